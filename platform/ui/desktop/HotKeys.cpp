#include "platform/ui/desktop/HotKeys.h"

#include <atomic>

#include "platform/ui/desktop/X11HotKeyService.h"

namespace qv::desktop {
namespace {

std::atomic<IHotKeyService*> g_replacement{nullptr};

}  // namespace

IHotKeyService& HotKeyService() {
    if (IHotKeyService* replacement = g_replacement.load()) return *replacement;
    static X11HotKeyService service;
    return service;
}

void SetHotKeyService(IHotKeyService* service) { g_replacement.store(service); }

BOOL RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk) {
    return HotKeyService().Register(hwnd, id, modifiers, vk);
}

BOOL UnregisterHotKey(HWND hwnd, int id) { return HotKeyService().Unregister(hwnd, id); }

}  // namespace qv::desktop
