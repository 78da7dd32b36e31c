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
#include "WindowThread.h"

namespace qv::desktop {
namespace {

constexpr UINT kTrayCallback = 2125;
constexpr UINT kTrayId = 100;

// A tray host's watcher on the private bus: records the items that register.
class FakeWatcher {
public:
    FakeWatcher() {
        if (sd_bus_open_user(&bus_) < 0) return;
        static const sd_bus_vtable vtable[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("RegisterStatusNotifierItem", "s", "", OnRegister, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_VTABLE_END,
        };
        sd_bus_add_object_vtable(bus_, nullptr, "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher",
                                 vtable, this);
        ok_ = sd_bus_request_name(bus_, "org.kde.StatusNotifierWatcher", 0) >= 0;
        thread_ = std::thread([this] {
            while (!stop_.load()) {
                if (sd_bus_process(bus_, nullptr) > 0) continue;
                sd_bus_wait(bus_, 20'000);
            }
        });
    }
    ~FakeWatcher() {
        stop_.store(true);
        if (thread_.joinable()) thread_.join();
        sd_bus_flush_close_unref(bus_);
    }
    bool Ok() const { return ok_; }
    std::vector<std::string> Items() {
        std::lock_guard<std::mutex> lock(mutex_);
        return items_;
    }

private:
    static int OnRegister(sd_bus_message* m, void* self, sd_bus_error*) {
        const char* name = nullptr;
        if (sd_bus_message_read(m, "s", &name) >= 0) {
            auto* watcher = static_cast<FakeWatcher*>(self);
            std::lock_guard<std::mutex> lock(watcher->mutex_);
            watcher->items_.push_back(name);
        }
        return sd_bus_reply_method_return(m, "");
    }

    sd_bus* bus_ = nullptr;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> items_;
};

// A tray host's side of the conversation with an item.
class TrayHost {
public:
    TrayHost() { sd_bus_open_user(&bus_); }
    ~TrayHost() { sd_bus_flush_close_unref(bus_); }

    bool Call(const std::string& item, const char* method) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        const int r = sd_bus_call_method(bus_, item.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                                         method, &error, nullptr, "ii", 10, 20);
        sd_bus_error_free(&error);
        return r >= 0;
    }
    std::string Text(const std::string& item, const char* property) {
        char* text = nullptr;
        sd_bus_get_property_string(bus_, item.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                                   property, nullptr, &text);
        std::string result = text ? text : "<none>";
        std::free(text);
        return result;
    }
    // The first pixmap of IconPixmap as (width, height, bytes).
    std::optional<std::tuple<int, int, std::vector<std::uint8_t>>> Pixmap(const std::string& item) {
        sd_bus_message* reply = nullptr;
        if (sd_bus_get_property(bus_, item.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                                "IconPixmap", nullptr, &reply, "a(iiay)") < 0) {
            return std::nullopt;
        }
        std::optional<std::tuple<int, int, std::vector<std::uint8_t>>> result;
        int w = 0, h = 0;
        const void* data = nullptr;
        std::size_t size = 0;
        if (sd_bus_message_enter_container(reply, 'a', "(iiay)") >= 0 &&
            sd_bus_message_enter_container(reply, 'r', "iiay") > 0 &&
            sd_bus_message_read(reply, "ii", &w, &h) >= 0 &&
            sd_bus_message_read_array(reply, 'y', &data, &size) >= 0) {
            const auto* bytes = static_cast<const std::uint8_t*>(data);
            result.emplace(w, h, std::vector<std::uint8_t>(bytes, bytes + size));
        }
        sd_bus_message_unref(reply);
        return result;
    }
    bool HasOwner(const std::string& name) {
        int has = 0;
        sd_bus_message* reply = nullptr;
        if (sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                               "NameHasOwner", nullptr, &reply, "s", name.c_str()) >= 0) {
            sd_bus_message_read(reply, "b", &has);
        }
        sd_bus_message_unref(reply);
        return has != 0;
    }

private:
    sd_bus* bus_ = nullptr;
};

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (saved_) {
            setenv(name_, saved_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

NotifyIconData IconData(HWND hwnd) {
    NotifyIconData data;
    data.hwnd = hwnd;
    data.id = kTrayId;
    data.flags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.callbackMessage = kTrayCallback;
    data.icon = {2, 1, {0xFF102030u, 0x80FFFFFFu}};
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
    auto pixmap = host.Pixmap(item);
    ASSERT_TRUE(pixmap);
    EXPECT_EQ(std::get<0>(*pixmap), 2);
    EXPECT_EQ(std::get<1>(*pixmap), 1);
    EXPECT_EQ(std::get<2>(*pixmap),
              (std::vector<std::uint8_t>{0xFF, 0x10, 0x20, 0x30, 0x80, 0xFF, 0xFF, 0xFF}));

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
