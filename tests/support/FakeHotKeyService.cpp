#include "tests/support/FakeHotKeyService.h"

#include "platform/os/MessageQueue.h"
#include "platform/os/Messages.h"

namespace qv::test {

FakeHotKeyService::FakeHotKeyService() { desktop::SetHotKeyService(this); }

FakeHotKeyService::~FakeHotKeyService() { desktop::SetHotKeyService(nullptr); }

BOOL FakeHotKeyService::Register(HWND hwnd, int id, UINT modifiers, UINT vk) {
    log.push_back("+" + std::to_string(id));
    const UINT hotkey = modifiers << 16 | vk;
    if (vk == refusedKey || registered.count(id)) return FALSE;
    // As on the desktop, a combination has one holder.
    for (const auto& entry : registered)
        if (entry.second.second == hotkey) return FALSE;
    registered[id] = {hwnd, hotkey};
    return TRUE;
}

BOOL FakeHotKeyService::Unregister(HWND, int id) {
    log.push_back("-" + std::to_string(id));
    return registered.erase(id) ? TRUE : FALSE;
}

bool FakeHotKeyService::Press(UINT hotkey) const {
    for (const auto& [id, holder] : registered) {
        if (holder.second != hotkey) continue;
        const LPARAM lParam = static_cast<LPARAM>((hotkey >> 16) | (hotkey & 0xFFFF) << 16);
        return qv::os::PostMessage(holder.first, WM_HOTKEY, static_cast<WPARAM>(id), lParam);
    }
    return false;
}

}  // namespace qv::test
