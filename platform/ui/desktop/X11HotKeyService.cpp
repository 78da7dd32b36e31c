#include "platform/ui/desktop/X11HotKeyService.h"

#include <X11/keysym.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/os/AltSignalStack.h"
#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/desktop/VirtualKeyMap.h"

namespace qv::desktop {
namespace {

// The modifiers a hotkey may name; lock keys (CapsLock, NumLock) are ignored
// by grabbing every lock variant.
constexpr std::uint16_t kRelevantMods =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
constexpr UINT kKnownModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

std::uint16_t ToXMods(UINT modifiers) {
    std::uint16_t x = 0;
    if (modifiers & MOD_ALT) x |= XCB_MOD_MASK_1;
    if (modifiers & MOD_CONTROL) x |= XCB_MOD_MASK_CONTROL;
    if (modifiers & MOD_SHIFT) x |= XCB_MOD_MASK_SHIFT;
    if (modifiers & MOD_WIN) x |= XCB_MOD_MASK_4;
    return x;
}

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> Own(T* p) {
    return Reply<T>(p, &std::free);
}

}  // namespace

X11HotKeyService::~X11HotKeyService() {
    std::lock_guard<std::mutex> op(opMutex_);
    if (conn_) Disconnect();
}

BOOL X11HotKeyService::Register(HWND hwnd, int id, UINT modifiers, UINT vk) {
    std::lock_guard<std::mutex> op(opMutex_);
    if (!hwnd || !os::IsTarget(hwnd)) {
        QV_LOGE("no such window %p", static_cast<void*>(hwnd));
        return FALSE;
    }
    if (modifiers & ~kKnownModifiers) {
        QV_LOGE("unknown modifier bits 0x%X", modifiers);
        return FALSE;
    }
    const auto mapping = KeySymForVirtualKey(vk);
    if (!mapping) {
        QV_LOGE("virtual key 0x%X has no X key", vk);
        return FALSE;
    }
    if (conn_ && xcb_connection_has_error(conn_)) {
        // The X server went away: its grabs went with it. Start afresh.
        QV_LOGE("the X connection was lost: registering again on a new one");
        {
            std::lock_guard<std::mutex> table(tableMutex_);
            grabs_.clear();
        }
        Disconnect();
    }
    if (conn_) DropGrabsOfGoneWindows();
    for (const Grab& g : grabs_) {
        if (g.hwnd == hwnd && g.id == id) {
            QV_LOGE("hotkey id %d is already registered for this window", id);
            return FALSE;
        }
    }
    if (!conn_ && !Connect()) return FALSE;

    Grab grab{hwnd, id, modifiers, vk, KeycodeFor(mapping->keysym), ToXMods(modifiers),
              mapping->needsNumLock};
    bool ok = grab.keycode != 0;
    if (!ok) QV_LOGE("virtual key 0x%X is not on this keyboard", vk);
    for (const Grab& g : grabs_) {
        if (ok && g.keycode == grab.keycode && g.xmods == grab.xmods) {
            QV_LOGE("key combination 0x%X+0x%X is already registered", modifiers, vk);
            ok = false;
        }
    }
    if (ok && !GrabAll(grab)) {
        QV_LOGE("key combination 0x%X+0x%X is held by another program", modifiers, vk);
        ok = false;
    }
    if (ok) {
        std::lock_guard<std::mutex> table(tableMutex_);
        grabs_.push_back(grab);
    }
    if (grabs_.empty()) {
        if (conn_) Disconnect();
    } else {
        WakeListener();
    }
    return ok ? TRUE : FALSE;
}

BOOL X11HotKeyService::Unregister(HWND hwnd, int id) {
    std::lock_guard<std::mutex> op(opMutex_);
    auto it = std::find_if(grabs_.begin(), grabs_.end(),
                           [&](const Grab& g) { return g.hwnd == hwnd && g.id == id; });
    if (it == grabs_.end()) return FALSE;
    UngrabAll(*it);
    {
        std::lock_guard<std::mutex> table(tableMutex_);
        grabs_.erase(it);
    }
    if (grabs_.empty()) {
        Disconnect();
    } else {
        WakeListener();
    }
    return TRUE;
}

bool X11HotKeyService::Connect() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        QV_LOGE("no X display: global hotkeys are unavailable");
        return false;
    }
    int screenNumber = 0;
    xcb_connection_t* conn = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(conn)) {
        QV_LOGE("cannot connect to X display %s", display);
        xcb_disconnect(conn);
        return false;
    }
    const xcb_setup_t* setup = xcb_get_setup(conn);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && screens.rem; ++i) xcb_screen_next(&screens);

    auto keyboard = Own(xcb_get_keyboard_mapping_reply(
        conn,
        xcb_get_keyboard_mapping(conn, setup->min_keycode,
                                 setup->max_keycode - setup->min_keycode + 1),
        nullptr));
    auto modifiers = Own(xcb_get_modifier_mapping_reply(conn, xcb_get_modifier_mapping(conn), nullptr));
    const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (!screens.rem || !keyboard || !modifiers || fd < 0) {
        QV_LOGE("X display %s: cannot read the keyboard (errno %d)", display, errno);
        if (fd >= 0) close(fd);
        xcb_disconnect(conn);
        return false;
    }

    conn_ = conn;
    root_ = screens.data->root;
    wakeFd_ = fd;
    minKeycode_ = setup->min_keycode;
    keysymsPerKeycode_ = keyboard->keysyms_per_keycode;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    keymap_.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(keyboard.get()));

    numLockMask_ = 0;
    const std::uint8_t numLock = KeycodeFor(XK_Num_Lock);
    const xcb_keycode_t* modKeys = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const int perModifier = modifiers->keycodes_per_modifier;
    for (int mod = 0; numLock && mod < 8; ++mod) {
        for (int k = 0; k < perModifier; ++k) {
            if (modKeys[mod * perModifier + k] == numLock) numLockMask_ = 1u << mod;
        }
    }

    stop_.store(false);
    listener_ = std::thread([this] { Listen(); });
    return true;
}

void X11HotKeyService::Disconnect() {
    stop_.store(true);
    WakeListener();
    if (listener_.joinable()) listener_.join();
    xcb_disconnect(conn_);
    conn_ = nullptr;
    close(wakeFd_);
    wakeFd_ = -1;
    keymap_.clear();
}

void X11HotKeyService::WakeListener() {
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(wakeFd_, &one, sizeof one);
}

void X11HotKeyService::Listen() {
    const qv::os::AltSignalStack altStack;
    // Other threads' requests may read events off the socket into xcb's queue;
    // they wake this loop afterwards, so queued events are never left behind.
    pollfd fds[2] = {{xcb_get_file_descriptor(conn_), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    while (!stop_.load()) {
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            QV_LOGE("poll failed: errno %d", errno);
            return;
        }
        std::uint64_t drained;
        [[maybe_unused]] ssize_t n = read(wakeFd_, &drained, sizeof drained);
        while (xcb_generic_event_t* event = xcb_poll_for_event(conn_)) {
            if ((event->response_type & 0x7F) == XCB_KEY_PRESS) {
                const auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
                OnKeyPress(press->detail, press->state);
            }
            std::free(event);
        }
        if (xcb_connection_has_error(conn_)) {
            QV_LOGE("the X connection broke: hotkeys stop");
            return;
        }
    }
}

void X11HotKeyService::OnKeyPress(std::uint8_t keycode, std::uint16_t state) {
    HWND hwnd = nullptr;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    {
        std::lock_guard<std::mutex> table(tableMutex_);
        for (const Grab& g : grabs_) {
            if (g.keycode == keycode && g.xmods == (state & kRelevantMods)) {
                hwnd = g.hwnd;
                wParam = static_cast<WPARAM>(g.id);
                lParam = static_cast<LPARAM>(g.modifiers | (g.vk << 16));
                break;
            }
        }
    }
    if (hwnd) os::PostMessage(hwnd, WM_HOTKEY, wParam, lParam);
}

std::uint8_t X11HotKeyService::KeycodeFor(std::uint32_t keysym) const {
    // Unshifted positions first, so a key is found where it is typed plainly.
    const int count = keysymsPerKeycode_ ? static_cast<int>(keymap_.size()) / keysymsPerKeycode_ : 0;
    for (int column = 0; column < keysymsPerKeycode_; ++column) {
        for (int k = 0; k < count; ++k) {
            if (keymap_[k * keysymsPerKeycode_ + column] == keysym) {
                return static_cast<std::uint8_t>(minKeycode_ + k);
            }
        }
    }
    return 0;
}

std::vector<std::uint16_t> X11HotKeyService::LockVariants(bool needsNumLock) const {
    std::vector<std::uint16_t> variants;
    for (std::uint16_t caps : {std::uint16_t{0}, std::uint16_t{XCB_MOD_MASK_LOCK}}) {
        if (numLockMask_) variants.push_back(caps | numLockMask_);
        if (!needsNumLock || !numLockMask_) variants.push_back(caps);
    }
    return variants;
}

bool X11HotKeyService::GrabAll(const Grab& grab) {
    std::vector<xcb_void_cookie_t> cookies;
    for (std::uint16_t lock : LockVariants(grab.needsNumLock)) {
        cookies.push_back(xcb_grab_key_checked(conn_, 1, root_, grab.xmods | lock, grab.keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    bool ok = true;
    for (xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(conn_, cookie)) {
            ok = false;  // BadAccess: another client holds this combination
            std::free(error);
        }
    }
    if (xcb_connection_has_error(conn_)) ok = false;
    if (!ok) UngrabAll(grab);
    return ok;
}

void X11HotKeyService::UngrabAll(const Grab& grab) {
    // Checked so the server has released the key before the caller goes on.
    std::vector<xcb_void_cookie_t> cookies;
    for (std::uint16_t lock : LockVariants(grab.needsNumLock)) {
        cookies.push_back(xcb_ungrab_key_checked(conn_, grab.keycode, root_, grab.xmods | lock));
    }
    for (xcb_void_cookie_t cookie : cookies) std::free(xcb_request_check(conn_, cookie));
}

void X11HotKeyService::DropGrabsOfGoneWindows() {
    for (auto it = grabs_.begin(); it != grabs_.end();) {
        if (os::IsTarget(it->hwnd)) {
            ++it;
            continue;
        }
        UngrabAll(*it);
        std::lock_guard<std::mutex> table(tableMutex_);
        it = grabs_.erase(it);
    }
}

}  // namespace qv::desktop
