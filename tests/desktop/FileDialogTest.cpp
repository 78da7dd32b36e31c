#include "platform/ui/desktop/FileDialog.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "PrivateBus.h"
#include "platform/ui/desktop/PortalFileChooser.h"
#include "tests/support/FakeFileDialogService.h"

namespace qv::desktop {
namespace {

namespace fs = std::filesystem;
using namespace std::literals;

TEST(FileDialogHelpers, ParsesWindowsFilterLists) {
    const auto filters = ParseFilterList(u"mp3文件(*.mp3)\0*.mp3;\0All\0*.wav; *.mp3\0\0"sv);
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].name, u"mp3文件(*.mp3)");
    EXPECT_EQ(filters[0].patterns, std::vector<std::u16string>{u"*.mp3"});
    EXPECT_EQ(filters[1].patterns, (std::vector<std::u16string>{u"*.wav", u"*.mp3"}));
    EXPECT_TRUE(ParseFilterList(u""sv).empty());
    EXPECT_EQ(ParseFilterList(u"x\0*.a"sv).size(), 1u);  // unterminated list
}

TEST(FileDialogHelpers, AppendsDefaultExtensionOnlyWhenNameHasNone) {
    EXPECT_EQ(WithDefaultExtension(u"/rec/take", u"*.mp3"), u"/rec/take.mp3");
    EXPECT_EQ(WithDefaultExtension(u"/rec.d/take", u".mp3"), u"/rec.d/take.mp3");
    EXPECT_EQ(WithDefaultExtension(u"/rec/take.MP3", u"mp3"), u"/rec/take.MP3");
    EXPECT_EQ(WithDefaultExtension(u"/rec/take", u""), u"/rec/take");
    EXPECT_EQ(WithDefaultExtension(u"/rec/", u"mp3"), u"/rec/");
}

TEST(FileDialogHelpers, MapsOnlyLocalFileUris) {
    EXPECT_EQ(FileUriToPath("file:///tmp/a%20b%E6%89%8B.mp3"), "/tmp/a b手.mp3");
    EXPECT_EQ(FileUriToPath("file:///tmp/100%"), "/tmp/100%");
    EXPECT_EQ(FileUriToPath("file://host/x"), "");
    EXPECT_EQ(FileUriToPath("https://x/y"), "");
}

TEST(FakeFileDialog, AnswersInOrderAndRecordsRequests) {
    test::FakeFileDialogService fake;
    fake.QueueAnswer(u"/music/a.mp3");
    FileDialogOptions options;
    options.title = u"Open";
    EXPECT_EQ(FileDialogService().OpenFile(options), u"/music/a.mp3");
    EXPECT_EQ(FileDialogService().SaveFile(options), std::nullopt);
    ASSERT_EQ(fake.Requests().size(), 2u);
    EXPECT_FALSE(fake.Requests()[0].save);
    EXPECT_TRUE(fake.Requests()[1].save);
    EXPECT_EQ(fake.Requests()[1].options.title, u"Open");
}

// No session bus, and a zenity of our own on PATH that records its arguments,
// prints the answer given in a file and exits with the status given there.
class ZenityFallback : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-dialog-XXXXXX";
        dir_ = mkdtemp(pattern);
        savedPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        savedBus_ = bus ? std::optional<std::string>(bus) : std::nullopt;
        setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (dir_ / "no-bus").string()).c_str(), 1);
        const fs::path zenity = dir_ / "zenity";
        std::ofstream(zenity) << "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done > " << (dir_ / "args")
                              << "\ncat " << (dir_ / "answer") << "\nexit $(cat " << (dir_ / "status")
                              << ")\n";
        fs::permissions(zenity, fs::perms::owner_all);
        setenv("PATH", (dir_.string() + ":" + savedPath_).c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", savedPath_.c_str(), 1);
        if (savedBus_) {
            setenv("DBUS_SESSION_BUS_ADDRESS", savedBus_->c_str(), 1);
        } else {
            unsetenv("DBUS_SESSION_BUS_ADDRESS");
        }
        fs::remove_all(dir_);
    }
    void Reply(const std::string& answer, int status) {
        std::ofstream(dir_ / "answer") << answer << "\n";
        std::ofstream(dir_ / "status") << status;
    }
    std::string Args() {
        std::stringstream text;
        text << std::ifstream(dir_ / "args").rdbuf();
        return text.str();
    }

    fs::path dir_;
    std::string savedPath_;
    std::optional<std::string> savedBus_;
};

TEST_F(ZenityFallback, SaveDialogPassesOptionsAndAddsTheExtension) {
    Reply((dir_ / "take").string(), 0);
    FileDialogOptions options;
    options.title = u"录音";
    options.filters = ParseFilterList(u"mp3文件(*.mp3)\0*.mp3;\0\0"sv);
    options.initialFolder = dir_.u16string();
    options.initialName = u"rec";
    options.defaultExtension = u"*.mp3";
    EXPECT_EQ(FileDialogService().SaveFile(options), (dir_ / "take.mp3").u16string());
    EXPECT_EQ(Args(), "[--file-selection]\n[--title=录音]\n[--save]\n[--confirm-overwrite]\n"
                      "[--filename=" + dir_.string() + "/rec]\n[--file-filter=mp3文件(*.mp3) | *.mp3]\n");
}

TEST_F(ZenityFallback, OpenDialogReturnsOnlyExistingFiles) {
    const fs::path song = dir_ / "song one.mp3";
    std::ofstream(song) << "ID3";
    Reply(song.string(), 0);
    EXPECT_EQ(FileDialogService().OpenFile({}), song.u16string());
    Reply((dir_ / "gone.mp3").string(), 0);
    EXPECT_EQ(FileDialogService().OpenFile({}), std::nullopt);
}

TEST_F(ZenityFallback, CancelAndMissingChooserGiveNothing) {
    Reply("", 1);
    EXPECT_EQ(FileDialogService().OpenFile({}), std::nullopt);
    Reply("", 5);
    EXPECT_EQ(FileDialogService().SaveFile({}), std::nullopt);
    setenv("PATH", "/nonexistent-qv", 1);
    EXPECT_EQ(FileDialogService().OpenFile({}), std::nullopt);
}

// The desktop's file-chooser portal on a private bus: records each request
// and answers it through the request object, as the real portal does.
class FakePortal {
public:
    struct Request {
        std::string method, title, token, currentName, filterName, filterPattern;
    };

    FakePortal(unsigned response, std::string uri) : response_(response), uri_(std::move(uri)) {
        if (sd_bus_open_user(&bus_) < 0) return;
        static const sd_bus_vtable vtable[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("OpenFile", "ssa{sv}", "o", OnCall, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_METHOD("SaveFile", "ssa{sv}", "o", OnCall, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_VTABLE_END,
        };
        sd_bus_add_object_vtable(bus_, nullptr, "/org/freedesktop/portal/desktop",
                                 "org.freedesktop.portal.FileChooser", vtable, this);
        ok_ = sd_bus_request_name(bus_, "org.freedesktop.portal.Desktop", 0) >= 0;
        thread_ = std::thread([this] {
            while (!stop_.load()) {
                if (sd_bus_process(bus_, nullptr) > 0) continue;
                sd_bus_wait(bus_, 20'000);
            }
        });
    }
    ~FakePortal() {
        stop_.store(true);
        if (thread_.joinable()) thread_.join();
        sd_bus_flush_close_unref(bus_);
    }
    bool Ok() const { return ok_; }
    std::vector<Request> Requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

private:
    static int OnCall(sd_bus_message* m, void* self, sd_bus_error*) {
        auto* portal = static_cast<FakePortal*>(self);
        Request request;
        request.method = sd_bus_message_get_member(m);
        const char* parent = nullptr;
        const char* title = nullptr;
        sd_bus_message_read(m, "ss", &parent, &title);
        request.title = title;
        sd_bus_message_enter_container(m, 'a', "{sv}");
        while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
            const char* key = nullptr;
            sd_bus_message_read(m, "s", &key);
            const std::string k = key;
            const char* text = nullptr;
            if (k == "handle_token" || k == "current_name") {
                sd_bus_message_read(m, "v", "s", &text);
                (k == "handle_token" ? request.token : request.currentName) = text;
            } else if (k == "filters") {
                sd_bus_message_enter_container(m, 'v', "a(sa(us))");
                sd_bus_message_enter_container(m, 'a', "(sa(us))");
                sd_bus_message_enter_container(m, 'r', "sa(us)");
                const char* name = nullptr;
                const char* pattern = nullptr;
                unsigned kind = 0;
                sd_bus_message_read(m, "s", &name);
                sd_bus_message_read(m, "a(us)", 1, &kind, &pattern);
                request.filterName = name;
                request.filterPattern = pattern;
                sd_bus_message_exit_container(m);
                sd_bus_message_skip(m, nullptr);
                sd_bus_message_exit_container(m);
                sd_bus_message_exit_container(m);
            } else {
                sd_bus_message_skip(m, "v");
            }
            sd_bus_message_exit_container(m);
        }
        std::string sender = sd_bus_message_get_sender(m) + 1;
        for (char& c : sender)
            if (c == '.') c = '_';
        const std::string handle = "/org/freedesktop/portal/desktop/request/" + sender + "/" + request.token;
        {
            std::lock_guard<std::mutex> lock(portal->mutex_);
            portal->requests_.push_back(request);
        }
        sd_bus_reply_method_return(m, "o", handle.c_str());
        return sd_bus_emit_signal(portal->bus_, handle.c_str(), "org.freedesktop.portal.Request", "Response",
                                  "ua{sv}", portal->response_, 1, "uris", "as", 1, portal->uri_.c_str());
    }

    unsigned response_;
    std::string uri_;
    sd_bus* bus_ = nullptr;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<Request> requests_;
};

class PortalChooser : public ZenityFallback {
protected:
    void SetUp() override {
        ZenityFallback::SetUp();
        if (!bus_.Start()) GTEST_SKIP() << "dbus-daemon is not available";
        setenv("DBUS_SESSION_BUS_ADDRESS", bus_.Address().c_str(), 1);
        Reply("/zenity/was/asked", 0);  // must not be used while the portal answers
    }
    test::PrivateBus bus_;
};

TEST_F(PortalChooser, OpenReturnsThePortalsLocalFile) {
    const fs::path song = dir_ / "song one.mp3";
    std::ofstream(song) << "ID3";
    FakePortal portal(0, "file://" + dir_.string() + "/song%20one.mp3");
    ASSERT_TRUE(portal.Ok());
    FileDialogOptions options;
    options.title = u"Open";
    options.filters = ParseFilterList(u"mp3文件(*.mp3)\0*.mp3;\0\0"sv);
    EXPECT_EQ(FileDialogService().OpenFile(options), song.u16string());
    const auto requests = portal.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "OpenFile");
    EXPECT_EQ(requests[0].title, "Open");
    EXPECT_EQ(requests[0].filterName, "mp3文件(*.mp3)");
    EXPECT_EQ(requests[0].filterPattern, "*.mp3");
}

TEST_F(PortalChooser, SaveProposesTheNameAndCancelDoesNotFallBack) {
    FakePortal portal(1, "");
    ASSERT_TRUE(portal.Ok());
    FileDialogOptions options;
    options.initialName = u"take.mp3";
    EXPECT_EQ(FileDialogService().SaveFile(options), std::nullopt);
    const auto requests = portal.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "SaveFile");
    EXPECT_EQ(requests[0].currentName, "take.mp3");
    EXPECT_FALSE(fs::exists(dir_ / "args"));  // zenity never ran
}

TEST_F(PortalChooser, BusWithoutPortalFallsBackToZenity) {
    Reply((dir_ / "take").string(), 0);
    EXPECT_EQ(FileDialogService().SaveFile({}), (dir_ / "take").u16string());
}

}  // namespace
}  // namespace qv::desktop
