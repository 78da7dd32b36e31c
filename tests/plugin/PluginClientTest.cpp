// The real dorbII plug-in loaded into this process and driven as the host
// drives it, with a fake host and device manager. The skin is compiled into
// the test executable, as the host carries it.
#include <dirent.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "common/device/Frame.h"
#include "common/device/ICommProtocol.h"
#include "host/AppInterfaces.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Tick.h"
#include "platform/ui/ModuleResources.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SMenu.h"
#include "platform/ui/SWindowFactory.h"
#include "platform/ui/SNotifyCenter.h"
#include "plugin/app/AppEvents.h"
#include "tests/support/CatalogSim.h"
#include "tests/support/FakeAppHost.h"
#include "tests/support/FakeDeviceMgmt.h"
#include "tests/support/FakeMessageBoxService.h"

namespace {

namespace fs = std::filesystem;
using qv::test::FakeDeviceMgmt;
using FakeHost = qv::test::FakeAppHost;

int ThreadCount() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
        closedir(dir);
    }
    return count;
}

class PluginClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("qvplugin-" + std::to_string(getpid()));
        fs::create_directories(root);
        setenv("XDG_DATA_HOME", root.c_str(), 1);
        setenv("XDG_CONFIG_HOME", root.c_str(), 1);  // the usage report's device id
        host.manager.SetResponder(FakeDeviceMgmt::GoodReply);
    }
    void TearDown() override {
        qv::os::DestroyThreadQueue();
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    // Loads the plug-in and asks it for a client.
    IAppClient* Load(const char* plugin = QV_DORBII_PLUGIN) {
        library = dlopen(plugin, RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            ADD_FAILURE() << dlerror();
            return nullptr;
        }
        auto getClient = reinterpret_cast<GetClientFn>(dlsym(library, kGetClientExport));
        if (!getClient) {
            ADD_FAILURE() << "no " << kGetClientExport;
            return nullptr;
        }
        return getClient(&host);
    }
    void Unload() {
        if (library) dlclose(library);
        library = nullptr;
    }

    fs::path root;
    FakeHost host;
    void* library = nullptr;
};

TEST_F(PluginClientTest, RunsASessionAndDeliversNotificationsToTheUiThread) {
    IAppClient* client = Load();
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->GetModelId(), 0x64724949u);
    // The firmware image travels in the plug-in's own resources.
    auto firmware = qv::ui::FindModuleResource(client->GetInstance(), u"DATA", u"FMW15");
    ASSERT_TRUE(firmware.has_value());
    EXPECT_GT(firmware->size(), 0u);
    EXPECT_LE(firmware->size(), 65536u);
    ASSERT_EQ(client->Init(), 1);
    EXPECT_EQ(host.connects, 1);
    // The card was connected at start: the session opened.
    auto requests = host.manager.Requests();
    ASSERT_GE(requests.size(), 1u);
    EXPECT_EQ(requests[0].frame[0], 0x90);
    EXPECT_EQ(requests[0].frame[4], 1);
    EXPECT_TRUE(fs::exists(root / "Quorvel" / "DorbIIConfigData.db"));

    // A subscriber, as the main window's pages will have one.
    qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr();
    qv::ui::SNotifyCenter* center = qv::ui::SNotifyCenter::getSingletonPtr();
    ASSERT_NE(app, nullptr);
    ASSERT_NE(center, nullptr);
    EXPECT_EQ(app->GetString(u"@string/ver")->str(), u"1.0.3");
    EXPECT_EQ(app->GetNamedId(u"tgl_switch"), 5401);
    const DWORD uiThread = qv::os::GetCurrentThreadId();
    DWORD deliveredOn = 0;
    std::uint8_t deliveredValue = 0;
    center->addEvent(EventRecvData::EventID, EventRecvData::EventName);
    center->subscribeEvent(EventRecvData::EventID, [&](qv::ui::EventArgs* e) {
        deliveredOn = qv::os::GetCurrentThreadId();
        deliveredValue = static_cast<EventRecvData*>(e)->frame[5];
        EXPECT_NE(e->Sender(), nullptr);  // the main window that sent it
        EXPECT_EQ(e->Sender(), app->GetMainWnd());
        client->Quit();
        return true;
    });

    // The card's notification arrives on another thread once the main
    // window shows.
    std::thread receive([&] {
        while (!host.attached.load() || !qv::ui::SApplication::HasMainWnd()) qv::os::SleepMs(5);
        std::uint8_t frame[64] = {0x9E, 0, 0, 0, 1, 42, 0, 7};
        qv::frame::Seal(frame);
        client->GetProtocol()->OnRecvData(frame);
    });
    const int result = client->Run(u"");
    receive.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(deliveredOn, uiThread);
    EXPECT_EQ(deliveredValue, 42);
    EXPECT_EQ(host.detaches.load(), 1);
    const auto acks = host.manager.Posted();
    ASSERT_EQ(acks.size(), 1u);
    EXPECT_EQ(acks[0][0], 0x9F);
    EXPECT_EQ(acks[0][3], 0xFF);
    // The end of the run closed the session.
    requests = host.manager.Requests();
    EXPECT_EQ(requests.back().frame[0], 0x90);
    EXPECT_EQ(requests.back().frame[4], 0);

    client->Uninit();
    EXPECT_EQ(qv::ui::SApplication::getSingletonPtr(), nullptr);
    EXPECT_EQ(qv::ui::SNotifyCenter::getSingletonPtr(), nullptr);
    // The workspace was the manager's protocol: it was disconnected first.
    EXPECT_FALSE(host.manager.IsConnected());
    Unload();
}

TEST_F(PluginClientTest, WithoutACardInitSucceedsAndSendsNothing) {
    host.cardPresent = false;
    IAppClient* client = Load();
    ASSERT_NE(client, nullptr);
    ASSERT_EQ(client->Init(), 1);
    EXPECT_TRUE(host.manager.Requests().empty());
    // The plug-in's controls and the skin's edit menu are the framework's now.
    std::unique_ptr<qv::ui::SWindow> edit(qv::ui::CreateWindowByName(u"edit2"));
    EXPECT_NE(edit, nullptr);
    EXPECT_TRUE(qv::ui::GetEditMenuTemplate());
    client->Quit();
    EXPECT_EQ(client->Run(u""), 0);
    EXPECT_TRUE(host.manager.Requests().empty());
    client->Uninit();
    EXPECT_FALSE(qv::ui::GetEditMenuTemplate());  // it went with the run's skin
    Unload();
}

TEST_F(PluginClientTest, AStalledUsageReportEndsWithThePlugin) {
    qv::test::CatalogSim sim({"--switch", "stalled"});
    ASSERT_TRUE(sim.Start());
    sim.UseAsCatalogue();
    IAppClient* client = Load();
    ASSERT_NE(client, nullptr);
    ASSERT_EQ(client->Init(), 1);  // the session opens and posts its report
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (sim.Requests().empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(sim.Requests().size(), 1u);
    EXPECT_EQ(sim.Requests()[0].path, "/tuning/api/user/informationCollector.json");
    client->Quit();
    client->Run(u"");
    const auto asked = std::chrono::steady_clock::now();
    client->Uninit();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
    Unload();
    unsetenv("QV_CATALOGUE_URL");
}

TEST_F(PluginClientTest, ZenkBuildServesItsOwnCard) {
    host.cardPath = u"\\\\?\\hid#vid_2b53&pid_001d#7&1";
    IAppClient* client = Load(QV_ZENK_PLUGIN);
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->GetModelId(), kModelZenk);
    ASSERT_EQ(client->Init(), 1);
    auto requests = host.manager.Requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[0].frame[0], 0x90);
    // The session's full parameter sync follows, its last frame marked.
    for (std::size_t i = 1; i < requests.size(); ++i) EXPECT_EQ(requests[i].frame[0], 0x94);
    EXPECT_EQ(requests.back().frame[38], 1);
    EXPECT_TRUE(fs::exists(root / "Quorvel" / "ZenkConfigData.db"));
    client->Quit();
    client->Run(u"");
    client->Uninit();
    Unload();

    // A card in update mode at start opens no session.
    host.manager.ClearRecords();
    host.cardPath = u"\\\\?\\hid#vid_2b53&pid_0020#7&1";
    client = Load(QV_ZENK_PLUGIN);
    ASSERT_NE(client, nullptr);
    ASSERT_EQ(client->Init(), 1);
    EXPECT_TRUE(host.manager.Requests().empty());
    client->Quit();
    client->Run(u"");
    client->Uninit();
    Unload();
}

TEST_F(PluginClientTest, FailingInitLeavesNothingBehind) {
    // A module without the skin's definition.
    host.hostModule = qv::ui::ModuleOfAddress(reinterpret_cast<const void*>(&dlopen));
    const int threadsBefore = ThreadCount();
    qv::test::FakeMessageBoxService boxes;
    for (int round = 0; round < 3; ++round) {
        IAppClient* client = Load();
        ASSERT_NE(client, nullptr);
        EXPECT_EQ(client->Init(), 0);  // the client is gone with it
        ASSERT_EQ(boxes.Boxes().size(), static_cast<size_t>(round + 1));
        EXPECT_EQ(boxes.Boxes().back().text, u"初始化界面资源失败");
        EXPECT_EQ(boxes.Boxes().back().caption, u"ERROR");
        EXPECT_EQ(boxes.Boxes().back().type, MB_OK);
        EXPECT_EQ(qv::ui::SApplication::getSingletonPtr(), nullptr);
        EXPECT_EQ(qv::ui::SNotifyCenter::getSingletonPtr(), nullptr);
        EXPECT_EQ(host.attached.load(), nullptr);
        EXPECT_EQ(host.connects, 0);
        Unload();
        EXPECT_EQ(ThreadCount(), threadsBefore);
    }
}

}  // namespace
