#pragma once
// Global hotkeys with Windows semantics: a key combination registered for a
// window reaches that window as WM_HOTKEY (wParam = id, lParam = modifiers |
// virtual key << 16) on the window's own thread, whichever program has the
// focus. Modifier bits and virtual-key codes keep their Windows values, since
// stored settings hold them.
#include "platform/os/Types.h"

namespace qv::desktop {

constexpr UINT MOD_ALT = 0x0001;
constexpr UINT MOD_CONTROL = 0x0002;
constexpr UINT MOD_SHIFT = 0x0004;
constexpr UINT MOD_WIN = 0x0008;

class IHotKeyService {
public:
    virtual ~IHotKeyService() = default;
    // FALSE when the combination is held by another program or another
    // registration, the (window, id) pair is already registered, the key or a
    // modifier bit is unknown, or there is no desktop to grab keys on.
    virtual BOOL Register(HWND hwnd, int id, UINT modifiers, UINT vk) = 0;
    // FALSE when (window, id) is not registered.
    virtual BOOL Unregister(HWND hwnd, int id) = 0;
};

// The service in use: the X11 one unless a test installed another.
IHotKeyService& HotKeyService();
// Installs a replacement (not owned; it must outlive its use); null restores
// the default.
void SetHotKeyService(IHotKeyService* service);

BOOL RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk);
BOOL UnregisterHotKey(HWND hwnd, int id);

}  // namespace qv::desktop
