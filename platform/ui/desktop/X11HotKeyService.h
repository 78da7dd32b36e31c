#pragma once
// Global hotkeys through key grabs on the X root window. The connection is
// opened by the first registration and closed with the last; while it is
// open a listener thread turns grabbed key presses into WM_HOTKEY posted to
// the registered window. The connection is xcb's, so a refused grab is seen
// as the reply to that request, without a process-wide X error handler.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/ui/desktop/HotKeys.h"

struct xcb_connection_t;

namespace qv::desktop {

class X11HotKeyService final : public IHotKeyService {
public:
    X11HotKeyService() = default;
    ~X11HotKeyService() override;
    X11HotKeyService(const X11HotKeyService&) = delete;
    X11HotKeyService& operator=(const X11HotKeyService&) = delete;

    BOOL Register(HWND hwnd, int id, UINT modifiers, UINT vk) override;
    BOOL Unregister(HWND hwnd, int id) override;

private:
    struct Grab {
        HWND hwnd;
        int id;
        UINT modifiers;
        UINT vk;
        std::uint8_t keycode;
        std::uint16_t xmods;
        bool needsNumLock;
    };

    [[nodiscard]] bool Connect();
    void Disconnect();
    void Listen();
    void OnKeyPress(std::uint8_t keycode, std::uint16_t state);
    [[nodiscard]] std::uint8_t KeycodeFor(std::uint32_t keysym) const;
    [[nodiscard]] std::vector<std::uint16_t> LockVariants(bool needsNumLock) const;
    [[nodiscard]] bool GrabAll(const Grab& grab);
    void UngrabAll(const Grab& grab);
    void WakeListener();
    void DropGrabsOfGoneWindows();

    std::mutex opMutex_;     // serialises Register/Unregister, held over connect and disconnect
    std::mutex tableMutex_;  // guards grabs_ against the listener
    std::vector<Grab> grabs_;

    xcb_connection_t* conn_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint16_t numLockMask_ = 0;
    std::uint8_t minKeycode_ = 0;
    int keysymsPerKeycode_ = 0;
    std::vector<std::uint32_t> keymap_;
    int wakeFd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread listener_;
};

}  // namespace qv::desktop
