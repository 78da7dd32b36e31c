#include "platform/ui/desktop/TrayIcon.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "PrivateBus.h"
#include "SniPeers.h"
#include "WindowThread.h"

namespace qv::desktop {
namespace {

using test::FakeWatcher;
using test::ScopedEnv;
using test::TrayHost;

constexpr UINT kTrayCallback = 2125;
constexpr UINT kTrayId = 100;

NotifyIconData IconData(HWND hwnd) {
    NotifyIconData data;
    data.hwnd = hwnd;
    data.id = kTrayId;
    data.flags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.callbackMessage = kTrayCallback;
    // Two sizes and a malformed one (fewer pixels than its size), which is left out.
    data.icon = {{2, 1, {0xFF102030u, 0x80FFFFFFu}}, {1, 1, {0x40000000u}}, {2, 2, {0xFF000000u}}};
    data.tip = u"Quorvel";
    return data;
}

class TrayOnPrivateBus : public ::testing::Test {
protected:
    void SetUp() override {
        if (!bus_.Start()) GTEST_SKIP() << "dbus-daemon is not available";
        env_.emplace("DBUS_SESSION_BUS_ADDRESS", bus_.Address());
    }
    BOOL Notify(DWORD message, const NotifyIconData& data) {
        return window_.OnThread([&] { return Shell_NotifyIcon(message, data); });
    }

    test::PrivateBus bus_;
    std::optional<ScopedEnv> env_;
    test::WindowThread window_;
};

TEST_F(TrayOnPrivateBus, ClicksReachTheWindowAsTrayCallbackMessages) {
    FakeWatcher watcher;
    ASSERT_TRUE(watcher.Ok());
    ASSERT_TRUE(Notify(NIM_ADD, IconData(window_.Hwnd())));
    ASSERT_EQ(watcher.Items().size(), 1u);
    const std::string item = watcher.Items()[0];
    TrayHost host;

    ASSERT_TRUE(host.Call(item, "Activate"));
    for (LPARAM expected : {0x201, 0x202}) {  // WM_LBUTTONDOWN, WM_LBUTTONUP
        auto m = window_.Next();
        ASSERT_TRUE(m);
        EXPECT_EQ(m->message, kTrayCallback);
        EXPECT_EQ(m->wParam, kTrayId);
        EXPECT_EQ(m->lParam, expected);
        EXPECT_EQ(m->thread, window_.ThreadId());
    }
    ASSERT_TRUE(host.Call(item, "ContextMenu"));
    for (LPARAM expected : {0x204, 0x205}) {  // WM_RBUTTONDOWN, WM_RBUTTONUP
        auto m = window_.Next();
        ASSERT_TRUE(m);
        EXPECT_EQ(m->lParam, expected);
    }
    EXPECT_TRUE(Notify(NIM_DELETE, IconData(window_.Hwnd())));
}

TEST_F(TrayOnPrivateBus, ShowsTipAndIconAndFollowsModifyAndDelete) {
    FakeWatcher watcher;
    ASSERT_TRUE(watcher.Ok());
    NotifyIconData data = IconData(window_.Hwnd());
    ASSERT_TRUE(Notify(NIM_ADD, data));
    EXPECT_FALSE(Notify(NIM_ADD, data));  // already there
    const std::string item = watcher.Items().at(0);
    TrayHost host;

    EXPECT_EQ(host.Text(item, "Title"), "Quorvel");
    const auto pixmaps = host.Pixmaps(item);
    ASSERT_TRUE(pixmaps);
    using Pixmap = TrayHost::PixmapData;
    EXPECT_EQ(*pixmaps, (std::vector<Pixmap>{Pixmap{2, 1, {0xFF, 0x10, 0x20, 0x30, 0x80, 0xFF, 0xFF, 0xFF}},
                                             Pixmap{1, 1, {0x40, 0x00, 0x00, 0x00}}}));

    data.flags = NIF_TIP;
    data.tip = std::u16string(130, u'声');
    ASSERT_TRUE(Notify(NIM_MODIFY, data));
    std::string expected;
    for (int i = 0; i < 127; ++i) expected += "声";
    EXPECT_EQ(host.Text(item, "Title"), expected);

    ASSERT_TRUE(Notify(NIM_DELETE, data));
    EXPECT_FALSE(Notify(NIM_DELETE, data));
    EXPECT_FALSE(Notify(NIM_MODIFY, data));
    bool gone = false;
    for (int i = 0; i < 100 && !(gone = !host.HasOwner(item)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(gone);
}

TEST_F(TrayOnPrivateBus, AbsentWithoutAWatcher) {
    EXPECT_FALSE(Notify(NIM_ADD, IconData(window_.Hwnd())));
    EXPECT_FALSE(Notify(NIM_DELETE, IconData(window_.Hwnd())));
}

TEST(TrayWithoutBus, AbsentCleanly) {
    ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/qv-bus");
    test::WindowThread window;
    NotifyIconData data = IconData(window.Hwnd());
    EXPECT_FALSE(window.OnThread([&] { return Shell_NotifyIcon(NIM_ADD, data); }));
    EXPECT_FALSE(window.OnThread([&] { return Shell_NotifyIcon(NIM_MODIFY, data); }));
}

}  // namespace
}  // namespace qv::desktop
