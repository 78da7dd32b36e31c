// Ten family switches in one process with the real device manager, HID sim
// backend, plug-in thread and test plug-ins: nothing of a plug-in run may
// outlive it.
#include <dirent.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "common/device/DeviceManager.h"
#include "host/HidDeviceSource.h"
#include "host/ModuleConfig.h"
#include "host/QuorvelApp.h"
#include "host/SystemPluginLoader.h"
#include "platform/os/Tick.h"
#include "platform/os/Utf.h"
#include "tests/host/HostProcess.h"
#include "tests/support/SimCard.h"
#include "tests/support/SimCardServer.h"

namespace {

using qv::test::SimCard;
using qv::test::SimCardServer;

// Descriptors and threads of the process, counted once nothing is still on
// its way out: the in-process card server closes its side of a connection
// when its own thread notices the client's close, and a joined thread can
// stay listed for a moment until the kernel has finished its exit. A thread
// or descriptor that really outlives its run never goes, so it still counts.
int CountEntries(const char* folder);

int SettledCount(const char* folder, int expected) {
    int count = CountEntries(folder);
    for (int i = 0; i < 500 && count != expected; ++i) {
        qv::os::SleepMs(10);
        count = CountEntries(folder);
    }
    return count;
}

int CountEntries(const char* folder) {
    DIR* dir = opendir(folder);
    if (!dir) return -1;
    int count = 0;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.') ++count;
    }
    closedir(dir);
    return count - 1;  // the directory stream's own descriptor or nothing
}

class MemoryConfig : public IModuleConfig {
public:
    std::u16string ReadLastPluginFile() override { return {}; }
    void WriteLastPluginFile(const char16_t*) override {}
};

int CountPrefix(const HostSandbox& box, const std::string& prefix) {
    const auto lines = box.LogLines();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.rfind(prefix, 0) == 0;
    }));
}

bool WaitForCount(const HostSandbox& box, const std::string& prefix, int count) {
    for (int i = 0; i < 1000; ++i) {
        if (CountPrefix(box, prefix) >= count) return true;
        qv::os::SleepMs(20);
    }
    return false;
}

TEST(FamilySwitch, TenSwitchesLeaveNoDescriptorOrThread) {
    HostSandbox box;
    setenv("QV_HID_BACKEND", "sim", 1);
    setenv("QV_SIM_SOCKET", box.SimSocket().c_str(), 1);
    setenv("QV_TESTPLUGIN_LOG", (box.Root() + "/plugin.log").c_str(), 1);
    setenv("QV_TESTPLUGIN_CONTROL", (box.Root() + "/control").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (box.Root() + "/run").c_str(), 1);
    unsetenv("QV_TESTPLUGIN_MODE");

    SimCard card(SimCard::kZenkProductId);
    SimCardServer server(card);
    ASSERT_TRUE(server.Start(box.SimSocket()));

    HidDeviceSource source;
    SystemPluginLoader loader;
    MemoryConfig config;
    CQuorvelApp::Services services;
    services.deviceSource = &source;
    services.loader = &loader;
    services.moduleConfig = &config;
    services.startMonitor = [](qv::hid::PnpCallback cb) { return qv::hid::StartMonitor(std::move(cb)); };
    CQuorvelApp app(std::move(services), qv::os::Utf8ToUtf16(QV_TESTPLUGIN_DIR), nullptr,
                    std::make_unique<CDeviceManager>());

    ASSERT_TRUE(server.WaitForNoClients(10000));
    const int fdsBefore = CountEntries("/proc/self/fd");
    const int threadsBefore = CountEntries("/proc/self/task");
    int result = -1;
    std::thread loop([&] { result = app.RunModuleLoop(u""); });
    // Each plug-in run follows arrival and removal through a monitor of its
    // own; a removal sent before it subscribed would go unseen.
    auto monitored = [&](int runs) {
        for (int i = 0; i < 1000 && server.MonitorSubscriptions() < runs; ++i) qv::os::SleepMs(20);
        return server.MonitorSubscriptions() >= runs;
    };

    bool switched = WaitForCount(box, "zenk exchange ok=1", 1);
    EXPECT_TRUE(switched);
    const char* models[] = {"zenk", "drII"};
    const std::uint16_t products[] = {SimCard::kZenkProductId, SimCard::kDorbProductId};
    for (int n = 1; switched && n <= 10; ++n) {
        const std::string from = models[(n - 1) % 2];
        const std::string to = models[n % 2];
        switched = monitored(n);
        EXPECT_TRUE(switched) << n;
        if (!switched) break;
        card.Unplug();
        switched = WaitForCount(box, from + " pnp removed=1", (n + 1) / 2);
        EXPECT_TRUE(switched) << n;
        if (!switched) break;
        card.Plug(products[n % 2]);
        switched = WaitForCount(box, to + " exchange ok=1", n / 2 + 1) &&
                   WaitForCount(box, to + " run", n / 2 + 1);
        EXPECT_TRUE(switched) << n;
    }
    // The loop thread is joined whatever happened above.
    EXPECT_TRUE(box.SendControl("quit"));
    loop.join();
    ASSERT_TRUE(switched);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(CountPrefix(box, "zenk uninit") + CountPrefix(box, "drII uninit"), 11);
    EXPECT_TRUE(server.WaitForNoClients(10000)) << "a connection to the card outlived the runs";
    EXPECT_EQ(CountEntries("/proc/self/fd"), fdsBefore);
    EXPECT_EQ(SettledCount("/proc/self/task", threadsBefore), threadsBefore);
}

}  // namespace
