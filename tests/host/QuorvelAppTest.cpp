// The host object with its real plug-in thread, module loop and notification
// window, over fake libraries, cards and monitor.
#include "host/QuorvelApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "host/ModuleConfig.h"
#include "host/PluginLibrary.h"
#include "platform/os/MessageQueue.h"
#include "tests/host/HostFakes.h"

namespace {

const std::u16string kDorbPath = u"/dev/hidraw3#VID_2B53&PID_0036#0";
const std::u16string kZenkPath = u"/dev/hidraw4#VID_2B53&PID_001D#0";

// What the plug-ins did, in order, shared with the test thread.
class Journal {
public:
    void Add(std::string line) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_lines.push_back(std::move(line));
        m_changed.notify_all();
    }
    // Waits until the line has been added `times` times.
    bool WaitFor(const std::string& line, int times = 1) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] {
            int seen = 0;
            for (const auto& l : m_lines)
                if (l == line) ++seen;
            return seen >= times;
        });
    }
    std::vector<std::string> Lines() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_lines;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_lines;
};

enum class Behaviour { Normal, InitFails, NeverAttaches, DetachesTwice, InitWaits };

struct PluginWorld {
    Journal journal;
    Behaviour behaviour = Behaviour::Normal;
    std::mutex threadMutex;
    DWORD pluginThread = 0;
    // Released by the test when Init waits.
    std::mutex gateMutex;
    std::condition_variable gateChanged;
    bool gateOpen = false;
};
PluginWorld* g_world = nullptr;

// A plug-in that runs the message loop until asked to quit.
class LoopClient : public IAppClient {
public:
    LoopClient(IAppHost* host, std::uint32_t model, std::string name)
        : m_host(host), m_model(model), m_name(std::move(name)) {}
    BOOL Init() override {
        if (g_world->behaviour == Behaviour::InitFails) {
            g_world->journal.Add(m_name + " init-fail");
            delete this;
            return 0;
        }
        const int connected = m_host->ConnectDevice(this);
        g_world->journal.Add(m_name + " init " + std::to_string(connected));
        if (g_world->behaviour == Behaviour::InitWaits) {
            std::unique_lock<std::mutex> lock(g_world->gateMutex);
            g_world->gateChanged.wait(lock, [] { return g_world->gateOpen; });
        }
        return 1;
    }
    int Run(const char16_t*) override {
        if (g_world->behaviour == Behaviour::NeverAttaches) return 5;
        m_host->AttachClient(this);
        {
            std::lock_guard<std::mutex> guard(g_world->threadMutex);
            g_world->pluginThread = qv::os::GetCurrentThreadId();
        }
        g_world->journal.Add(m_name + " run");
        const int result = qv::os::RunMessageLoop();
        m_host->DetachClient();
        if (g_world->behaviour == Behaviour::DetachesTwice) m_host->DetachClient();
        return result;
    }
    void Uninit() override {
        g_world->journal.Add(m_name + " uninit");
        delete this;
    }
    void OnDevicePnp(int removed, const char16_t*) override {
        g_world->journal.Add(m_name + " pnp " + std::to_string(removed));
    }
    ICommProtocol* GetProtocol() override { return nullptr; }
    HMODULE GetInstance() override { return nullptr; }
    std::uint32_t GetModelId() override { return m_model; }
    void Quit() override {
        g_world->journal.Add(m_name + " quit");
        qv::os::PostQuitMessage(0);
    }

private:
    IAppHost* m_host;
    std::uint32_t m_model;
    std::string m_name;
};

IAppClient* GetZenk(IAppHost* host) { return new LoopClient(host, kModelZenk, "zenk"); }
IAppClient* GetDorb(IAppHost* host) { return new LoopClient(host, kModelDorbII, "dorb"); }
IAppClient* GetNothing(IAppHost*) { return nullptr; }

class FakeLibraries : public IPluginLibraryLoader {
public:
    void* Load(const std::u16string& path) override {
        std::lock_guard<std::mutex> guard(m_mutex);
        loaded.push_back(path);
        if (missing) return nullptr;
        ++live;
        if (path == u"/q/zenk.so") return reinterpret_cast<void*>(&GetZenk);
        if (path == u"/q/dorbII.so") return reinterpret_cast<void*>(&GetDorb);
        return nullptr;
    }
    void* Resolve(void* library, const char* name) override {
        if (noExport || std::string(name) != "GetClient") return nullptr;
        return nullClient ? reinterpret_cast<void*>(&GetNothing) : library;
    }
    void Free(void*) override {
        std::lock_guard<std::mutex> guard(m_mutex);
        --live;
    }
    std::vector<std::u16string> Loaded() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return loaded;
    }

    bool missing = false;
    bool noExport = false;
    bool nullClient = false;
    int live = 0;

private:
    std::mutex m_mutex;
    std::vector<std::u16string> loaded;
};

class MemoryConfig : public IModuleConfig {
public:
    std::u16string ReadLastPluginFile() override { return stored; }
    void WriteLastPluginFile(const char16_t* file) override { stored = file ? file : u""; }
    std::u16string stored;
};

// Hands the monitor's callback to the test while a notification window exists.
class MonitorSlot {
public:
    class Monitor : public qv::hid::IMonitor {
    public:
        explicit Monitor(MonitorSlot& slot) : m_slot(slot) {}
        ~Monitor() override { m_slot.Set(nullptr); }

    private:
        MonitorSlot& m_slot;
    };

    std::unique_ptr<qv::hid::IMonitor> Start(qv::hid::PnpCallback callback) {
        Set(std::move(callback));
        return std::make_unique<Monitor>(*this);
    }
    void Set(qv::hid::PnpCallback callback) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_callback = std::move(callback);
        ++m_changes;
        m_changed.notify_all();
    }
    // Waits until a monitor is running, then reports through it.
    bool Report(bool removed, const std::u16string& path) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_changed.wait_for(lock, std::chrono::seconds(5), [&] { return bool(m_callback); }))
            return false;
        m_callback(removed, path);
        return true;
    }
    bool Running() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return bool(m_callback);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    qv::hid::PnpCallback m_callback;
    int m_changes = 0;
};

// The fake source is read on the plug-in thread while the test changes it.
class LockedSource : public IDeviceSource {
public:
    std::vector<std::u16string> FindCards(const DeviceRow& row, int maxPaths) override {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_source.FindCards(row, maxPaths);
    }
    ICommunicateDevice* CreateDevice(const std::u16string& path) override {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_source.CreateDevice(path);
    }
    void Plug(std::uint16_t productId, const std::u16string& path) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_source.cards[productId] = {path};
    }
    void Unplug(std::uint16_t productId) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_source.cards.erase(productId);
    }

private:
    std::mutex m_mutex;
    FakeDeviceSource m_source;
};

class QuorvelAppTest : public ::testing::Test {
protected:
    void SetUp() override { g_world = &world; }
    void TearDown() override { g_world = nullptr; }

    std::unique_ptr<CQuorvelApp> MakeApp() {
        CQuorvelApp::Services services;
        services.deviceSource = &source;
        services.loader = &libraries;
        services.moduleConfig = &config;
        services.startMonitor = [this](qv::hid::PnpCallback cb) { return monitor.Start(std::move(cb)); };
        services.releaseInstanceGuard = [this] { ++guardReleases; };
        auto manager = std::make_unique<FakeManager>();
        return std::make_unique<CQuorvelApp>(std::move(services), u"/q", nullptr, std::move(manager));
    }
    // Quits the running plug-in from outside, as its window would.
    void QuitPlugin() {
        std::lock_guard<std::mutex> guard(world.threadMutex);
        qv::os::PostTask(world.pluginThread, [] { qv::os::PostQuitMessage(0); });
    }

    PluginWorld world;
    LockedSource source;
    FakeLibraries libraries;
    MemoryConfig config;
    MonitorSlot monitor;
    int guardReleases = 0;
};

TEST_F(QuorvelAppTest, FamilySwitchOnArrivalOfOtherCard) {
    config.stored = u"zenk.so";
    auto app = MakeApp();
    std::thread loop([&] { EXPECT_EQ(app->RunModuleLoop(u""), 0); });

    ASSERT_TRUE(world.journal.WaitFor("zenk run"));
    source.Plug(0x0036, kDorbPath);
    ASSERT_TRUE(monitor.Report(false, kDorbPath));
    ASSERT_TRUE(world.journal.WaitFor("dorb run"));
    EXPECT_TRUE(world.journal.WaitFor("dorb init 1"));

    // The card leaves, the plug-in is told; a zenk card arriving now switches back.
    source.Unplug(0x0036);
    ASSERT_TRUE(monitor.Report(true, u"/DEV/HIDRAW3#vid_2b53&pid_0036#0"));
    ASSERT_TRUE(world.journal.WaitFor("dorb pnp 1"));
    source.Plug(0x001D, kZenkPath);
    ASSERT_TRUE(monitor.Report(false, kZenkPath));
    ASSERT_TRUE(world.journal.WaitFor("zenk init 1"));
    ASSERT_TRUE(world.journal.WaitFor("zenk run", 2));
    QuitPlugin();
    loop.join();

    EXPECT_EQ(std::u16string(app->CurrentPluginFile()), u"zenk.so");
    EXPECT_EQ(libraries.Loaded(),
              (std::vector<std::u16string>{u"/q/zenk.so", u"/q/dorbII.so", u"/q/zenk.so"}));
    EXPECT_EQ(libraries.live, 0);
    EXPECT_EQ(app->LastPluginResult(), 0);
    EXPECT_FALSE(monitor.Running());
    // A switch does not give up the single-instance guard.
    EXPECT_EQ(guardReleases, 0);
}

TEST_F(QuorvelAppTest, ArrivalOfSameFamilyConnectsWithoutSwitch) {
    auto app = MakeApp();
    std::thread loop([&] { app->RunModuleLoop(u""); });
    ASSERT_TRUE(world.journal.WaitFor("zenk run"));
    source.Plug(0x001D, kZenkPath);
    ASSERT_TRUE(monitor.Report(false, kZenkPath));
    ASSERT_TRUE(world.journal.WaitFor("zenk pnp 0"));
    QuitPlugin();
    loop.join();
    EXPECT_EQ(libraries.Loaded().size(), 1u);
}

TEST_F(QuorvelAppTest, SecondDetachDoesNotEndNextPlugin) {
    world.behaviour = Behaviour::DetachesTwice;
    auto app = MakeApp();
    std::thread loop([&] { app->RunModuleLoop(u""); });
    ASSERT_TRUE(world.journal.WaitFor("zenk run"));
    ASSERT_TRUE(monitor.Report(false, kDorbPath));
    ASSERT_TRUE(world.journal.WaitFor("dorb run"));
    // The loop still follows the new plug-in: a switch back is honoured.
    ASSERT_TRUE(monitor.Report(false, kZenkPath));
    ASSERT_TRUE(world.journal.WaitFor("zenk run", 2));
    EXPECT_EQ(libraries.Loaded().size(), 3u);
    QuitPlugin();
    loop.join();
}

TEST_F(QuorvelAppTest, AnEndRequestQuitsTheRunningClientOnceAndStartsNoOther) {
    auto app = MakeApp();
    std::thread loop([&] { EXPECT_EQ(app->RunModuleLoop(u""), 0); });
    ASSERT_TRUE(world.journal.WaitFor("zenk run"));
    app->RequestEnd();
    app->RequestEnd();
    loop.join();
    const auto lines = world.journal.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "zenk quit"), 1);
    EXPECT_EQ(libraries.Loaded().size(), 1u);
    EXPECT_EQ(std::u16string(app->CurrentPluginFile()), u"zenk.so");
    EXPECT_EQ(app->LastPluginResult(), 0);
}

TEST_F(QuorvelAppTest, AnEndRequestedBeforeTheClientAttachesEndsItOnAttaching) {
    world.behaviour = Behaviour::InitWaits;
    auto app = MakeApp();
    std::thread loop([&] { EXPECT_EQ(app->RunModuleLoop(u""), 0); });
    ASSERT_TRUE(world.journal.WaitFor("zenk init 0"));
    app->RequestEnd();
    {
        std::lock_guard<std::mutex> guard(world.gateMutex);
        world.gateOpen = true;
    }
    world.gateChanged.notify_all();
    loop.join();
    const auto lines = world.journal.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "zenk quit"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "zenk uninit"), 1);
    EXPECT_EQ(libraries.Loaded().size(), 1u);
}

TEST_F(QuorvelAppTest, RestartRequestReleasesGuardOnce) {
    auto app = MakeApp();
    app->ReleaseInstanceGuard();
    app->ReleaseInstanceGuard();
    EXPECT_EQ(guardReleases, 1);
}

class PluginFailureTest : public QuorvelAppTest,
                          public ::testing::WithParamInterface<int> {};

TEST_P(PluginFailureTest, EndsHostWithResultZero) {
    switch (GetParam()) {
    case 0: libraries.missing = true; break;
    case 1: libraries.noExport = true; break;
    case 2: libraries.nullClient = true; break;
    case 3: world.behaviour = Behaviour::InitFails; break;
    case 4: world.behaviour = Behaviour::NeverAttaches; break;
    }
    auto app = MakeApp();
    EXPECT_EQ(app->RunModuleLoop(u""), 0);
    EXPECT_EQ(app->LastPluginResult(), GetParam() == 4 ? 5 : 1);
    EXPECT_EQ(std::u16string(app->CurrentPluginFile()), u"zenk.so");
    EXPECT_EQ(libraries.Loaded().size(), 1u);
    EXPECT_EQ(libraries.live, 0);
}

INSTANTIATE_TEST_SUITE_P(MissingLibraryExportClientInitOrAttach, PluginFailureTest,
                         ::testing::Range(0, 5));

}  // namespace
