#include "platform/ui/desktop/HotKeys.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "WindowThread.h"
#include "XvfbServer.h"
#include "platform/os/MessageQueue.h"

namespace qv::desktop {
namespace {

constexpr UINT kVkK = 0x4B, kVkF5 = 0x74, kVkF6 = 0x75, kVkF7 = 0x76, kVkF12 = 0x7B, kVkNumpad1 = 0x61;
constexpr int kFenceId = 900;

// The window thread, with the hotkey calls made where the window lives.
class HotKeyWindow : public test::WindowThread {
public:
    BOOL Register(int id, UINT modifiers, UINT vk) {
        return OnThread([=, this] { return RegisterHotKey(Hwnd(), id, modifiers, vk); });
    }
    BOOL Unregister(int id) {
        return OnThread([=, this] { return UnregisterHotKey(Hwnd(), id); });
    }
};

// Another X client: types keys through XTest and holds grabs of its own.
class OtherClient {
public:
    OtherClient() : conn_(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(conn_)) throw std::runtime_error("cannot reach the X server");
        root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
        const xcb_setup_t* setup = xcb_get_setup(conn_);
        min_ = setup->min_keycode;
        auto* reply = xcb_get_keyboard_mapping_reply(
            conn_, xcb_get_keyboard_mapping(conn_, min_, setup->max_keycode - min_ + 1), nullptr);
        per_ = reply->keysyms_per_keycode;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
        keymap_.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(reply));
        std::free(reply);
    }
    ~OtherClient() { xcb_disconnect(conn_); }

    xcb_keycode_t Keycode(xcb_keysym_t sym) const {
        for (std::size_t i = 0; i < keymap_.size(); ++i)
            if (keymap_[i] == sym) return static_cast<xcb_keycode_t>(min_ + i / per_);
        return 0;
    }
    void Tap(std::vector<xcb_keysym_t> held, xcb_keysym_t key) {
        for (xcb_keysym_t h : held) Fake(XCB_KEY_PRESS, Keycode(h));
        Fake(XCB_KEY_PRESS, Keycode(key));
        Fake(XCB_KEY_RELEASE, Keycode(key));
        for (xcb_keysym_t h : held) Fake(XCB_KEY_RELEASE, Keycode(h));
        std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
    }
    bool Grab(std::uint16_t mods, xcb_keysym_t key) {
        auto cookie = xcb_grab_key_checked(conn_, 1, root_, mods, Keycode(key),
                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t* error = xcb_request_check(conn_, cookie);
        std::free(error);
        return error == nullptr;
    }

private:
    void Fake(std::uint8_t type, xcb_keycode_t code) {
        xcb_test_fake_input(conn_, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }

    xcb_connection_t* conn_;
    xcb_window_t root_ = 0;
    xcb_keycode_t min_ = 0;
    int per_ = 1;
    std::vector<xcb_keysym_t> keymap_;
};

class HotKeyOnXvfb : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server_ = new test::XvfbServer;
        if (server_->Start()) setenv("DISPLAY", server_->Display().c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        if (server_->Display().empty()) GTEST_SKIP() << "Xvfb is not available";
        window_ = std::make_unique<HotKeyWindow>();
        other_ = std::make_unique<OtherClient>();
    }

    // Taps the fence hotkey and returns what arrived before it: X delivers in
    // order, so everything the earlier keys caused has then been posted.
    std::vector<test::ReceivedMessage> UntilFence() {
        std::vector<test::ReceivedMessage> before;
        other_->Tap({XK_Shift_L}, XK_F12);
        while (auto m = window_->Next()) {
            if (m->wParam == kFenceId) return before;
            before.push_back(*m);
        }
        ADD_FAILURE() << "the fence hotkey never arrived";
        return before;
    }

    static test::XvfbServer* server_;
    std::unique_ptr<HotKeyWindow> window_;
    std::unique_ptr<OtherClient> other_;
};

test::XvfbServer* HotKeyOnXvfb::server_ = nullptr;

TEST_F(HotKeyOnXvfb, DeliveredAsWmHotkeyOnOwningThreadWhateverTheLocks) {
    ASSERT_TRUE(window_->Register(14003, MOD_CONTROL | MOD_ALT, kVkK));
    ASSERT_TRUE(window_->Register(kFenceId, MOD_SHIFT, kVkF12));

    other_->Tap({XK_Control_L, XK_Alt_L}, XK_k);
    auto m = window_->Next();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->wParam, 14003u);
    EXPECT_EQ(m->lParam, static_cast<LPARAM>((MOD_CONTROL | MOD_ALT) | (kVkK << 16)));
    EXPECT_EQ(m->thread, window_->ThreadId());

    // CapsLock and NumLock on: still the same hotkey.
    other_->Tap({}, XK_Caps_Lock);
    other_->Tap({}, XK_Num_Lock);
    other_->Tap({XK_Control_L, XK_Alt_L}, XK_k);
    // A different combination of the same key is not it.
    other_->Tap({XK_Control_L}, XK_k);
    auto seen = UntilFence();
    other_->Tap({}, XK_Caps_Lock);
    other_->Tap({}, XK_Num_Lock);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].wParam, 14003u);

    EXPECT_TRUE(window_->Unregister(14003));
    EXPECT_TRUE(window_->Unregister(kFenceId));
}

TEST_F(HotKeyOnXvfb, KeypadDigitFiresOnlyWithNumLock) {
    ASSERT_TRUE(window_->Register(14000, 0, kVkNumpad1));
    ASSERT_TRUE(window_->Register(kFenceId, MOD_SHIFT, kVkF12));

    other_->Tap({}, XK_KP_1);  // NumLock off: this is the End key of the keypad
    EXPECT_TRUE(UntilFence().empty());

    other_->Tap({}, XK_Num_Lock);
    other_->Tap({}, XK_KP_1);
    auto seen = UntilFence();
    other_->Tap({}, XK_Num_Lock);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].wParam, 14000u);
    EXPECT_EQ(seen[0].lParam, static_cast<LPARAM>(kVkNumpad1 << 16));

    EXPECT_TRUE(window_->Unregister(14000));
    EXPECT_TRUE(window_->Unregister(kFenceId));
}

TEST_F(HotKeyOnXvfb, RefusedWhenAnotherProgramHoldsTheKey) {
    ASSERT_TRUE(other_->Grab(XCB_MOD_MASK_CONTROL, XK_F6));
    EXPECT_FALSE(window_->Register(14001, MOD_CONTROL, kVkF6));
    // The refused registration left none of its lock variants grabbed.
    EXPECT_TRUE(other_->Grab(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_LOCK, XK_F6));
    // Another combination of the same key is free.
    EXPECT_TRUE(window_->Register(14001, MOD_SHIFT, kVkF6));
    EXPECT_TRUE(window_->Unregister(14001));
}

TEST_F(HotKeyOnXvfb, ReleasedWhenUnregistered) {
    ASSERT_TRUE(window_->Register(kFenceId, MOD_SHIFT, kVkF12));
    ASSERT_TRUE(window_->Register(14002, MOD_CONTROL, kVkF7));
    EXPECT_FALSE(other_->Grab(XCB_MOD_MASK_CONTROL, XK_F7));

    EXPECT_TRUE(window_->Unregister(14002));
    EXPECT_FALSE(window_->Unregister(14002));
    other_->Tap({XK_Control_L}, XK_F7);
    EXPECT_TRUE(UntilFence().empty());
    EXPECT_TRUE(other_->Grab(XCB_MOD_MASK_CONTROL, XK_F7));
    EXPECT_TRUE(window_->Unregister(kFenceId));
}

TEST_F(HotKeyOnXvfb, DuplicatesAndUnknownKeysAreRefused) {
    ASSERT_TRUE(window_->Register(14004, MOD_ALT, kVkF6));
    EXPECT_FALSE(window_->Register(14004, MOD_ALT, kVkF7));  // same window and id
    EXPECT_FALSE(window_->Register(14005, MOD_ALT, kVkF6));  // same combination
    EXPECT_FALSE(window_->Register(14006, 0, 0xFF));          // no such key
    EXPECT_FALSE(window_->Register(14007, 0x10, kVkF7));      // unknown modifier bit
    EXPECT_FALSE(RegisterHotKey(nullptr, 14008, 0, kVkF7));
    EXPECT_FALSE(window_->Unregister(14009));
    EXPECT_TRUE(window_->Unregister(14004));
}

TEST_F(HotKeyOnXvfb, GrabOfDestroyedWindowIsDroppedForTheNextRegistration) {
    {
        HotKeyWindow gone;
        ASSERT_TRUE(gone.Register(14010, MOD_CONTROL | MOD_SHIFT, kVkF5));
    }
    EXPECT_TRUE(window_->Register(14010, MOD_CONTROL | MOD_SHIFT, kVkF5));
    EXPECT_TRUE(window_->Unregister(14010));
}

TEST(HotKeyServerLoss, RegistersAfreshOnANewServer) {
    const char* saved = std::getenv("DISPLAY");
    const std::string restore = saved ? saved : "";
    HotKeyWindow window;
    {
        test::XvfbServer first;
        if (!first.Start()) GTEST_SKIP() << "Xvfb is not available";
        setenv("DISPLAY", first.Display().c_str(), 1);
        ASSERT_TRUE(window.Register(14020, MOD_CONTROL, kVkF7));
    }
    test::XvfbServer second;
    ASSERT_TRUE(second.Start());
    setenv("DISPLAY", second.Display().c_str(), 1);
    ASSERT_TRUE(window.Register(14021, MOD_CONTROL, kVkF6));
    {
        OtherClient other;  // the new server really holds the grab
        EXPECT_FALSE(other.Grab(XCB_MOD_MASK_CONTROL, XK_F6));
    }
    EXPECT_TRUE(window.Unregister(14021));
    EXPECT_FALSE(window.Unregister(14020));  // dropped with the lost server
    if (saved) {
        setenv("DISPLAY", restore.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
}

TEST(HotKeyWithoutDisplay, RegistrationIsRefusedCleanly) {
    const char* saved = std::getenv("DISPLAY");
    const std::string restore = saved ? saved : "";
    HWND hwnd = os::CreateTarget([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });

    unsetenv("DISPLAY");
    EXPECT_FALSE(RegisterHotKey(hwnd, 1, MOD_CONTROL, kVkF5));
    setenv("DISPLAY", ":64999", 1);
    EXPECT_FALSE(RegisterHotKey(hwnd, 1, MOD_CONTROL, kVkF5));
    EXPECT_FALSE(UnregisterHotKey(hwnd, 1));

    if (saved) {
        setenv("DISPLAY", restore.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
    os::DestroyTarget(hwnd);
}

}  // namespace
}  // namespace qv::desktop
