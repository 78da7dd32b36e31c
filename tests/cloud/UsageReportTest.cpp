// The usage report: the body the server receives, the device id kept
// between starts, and the report posted when a session opens.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/SysInfo.h"
#include "plugin/usage/BackstageInterface.h"
#include "tests/support/CatalogSim.h"
#include "tests/support/FakeDeviceMgmt.h"

namespace {

// Form encoding written out here, apart from the client's.
std::string Encoded(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c)) {
            out += static_cast<char>(c);
        } else {
            char triple[4];
            std::snprintf(triple, sizeof triple, "%%%02X", c);
            out += triple;
        }
    }
    return out;
}

class UsageReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        qv::os::SetDebugOutputHook([](const char*) {});
        char pattern[] = "/tmp/qv-usage-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        unsetenv("QV_CATALOGUE_URL");
        std::filesystem::remove_all(dir);
        qv::os::SetDebugOutputHook(nullptr);
    }
    qv::os::UserRegistry Registry() const { return qv::os::UserRegistry(qv::os::ProgramPath(dir + "/registry.ini")); }
    static std::vector<qv::test::CatalogSim::Request> Reports(const qv::test::CatalogSim& sim, std::size_t count) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (sim.Requests().size() < count && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return sim.Requests();
    }
    std::string dir;
};

TEST_F(UsageReportTest, TheBodyArrivesExactly) {
    qv::test::CatalogSim sim;
    ASSERT_TRUE(sim.Start());
    sim.UseAsCatalogue();
    qv::os::UserRegistry registry = Registry();
    ASSERT_TRUE(registry.WriteBinary(u"Software\\Pellorvane", u"deviceId", {0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x81}));
    {
        CBackstageInterface report(Registry());
        report.PostUsageInfo();
        ASSERT_EQ(Reports(sim, 1).size(), 1u);
    }
    const qv::os::SysInfo info = qv::os::GetSysInfo();
    std::string osType = info.osName;
    for (char& c : osType)
        if (c == ' ') c = '_';
    osType += info.is64BitOs ? "_x64" : "_x86";
    const std::string expected = "deviceId=-9150748177064392952&osType=" + Encoded(osType) +
                                 "&osVersion=" + std::to_string(info.kernelPatch) + "&appVersion=1000003&app=2";
    const auto requests = sim.Requests();
    EXPECT_EQ(requests[0].path, "/tuning/api/user/informationCollector.json");
    EXPECT_EQ(requests[0].contentType, "application/x-www-form-urlencoded;charset=UTF-8");
    EXPECT_EQ(requests[0].body, expected);
}

TEST_F(UsageReportTest, TheDeviceIdIsMadeOnceAndReused) {
    std::uint64_t first = 0;
    {
        CBackstageInterface report(Registry());
        first = report.GetDeviceId();
    }
    const auto stored = Registry().ReadBinary(u"Software\\Pellorvane", u"deviceId");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size(), 8u);
    const auto mac = qv::os::FirstAdapterMac();
    EXPECT_EQ(first, mac ? qv::os::MacToValue(*mac) : 0);

    // A second start reads it back even when the adapters changed meanwhile.
    qv::os::UserRegistry registry = Registry();
    ASSERT_TRUE(registry.WriteBinary(u"Software\\Pellorvane", u"deviceId", {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(CBackstageInterface(Registry()).GetDeviceId(), 0x0807060504030201u);
    // A value too short to be an id is made again.
    ASSERT_TRUE(registry.WriteBinary(u"Software\\Pellorvane", u"deviceId", {1, 2, 3}));
    EXPECT_EQ(CBackstageInterface(Registry()).GetDeviceId(), first);
    EXPECT_EQ(Registry().ReadBinary(u"Software\\Pellorvane", u"deviceId")->size(), 8u);
}

TEST_F(UsageReportTest, EachSessionOpeningPostsOneReport) {
    qv::test::CatalogSim sim;
    ASSERT_TRUE(sim.Start());
    sim.UseAsCatalogue();
    qv::test::FakeDeviceMgmt manager;
    CBackstageInterface report(Registry());
    {
        CWorkSpace workspace(&manager, DorbIIFamily());
        workspace.SetUsageReport(&report);
        workspace.OpenSession();
        workspace.OpenSession();
    }
    EXPECT_EQ(Reports(sim, 2).size(), 2u);
}

TEST_F(UsageReportTest, AStalledReportEndsWithItsOwner) {
    qv::test::CatalogSim sim({"--switch", "stalled"});
    ASSERT_TRUE(sim.Start());
    sim.UseAsCatalogue();
    auto report = std::make_unique<CBackstageInterface>(Registry());
    report->PostUsageInfo();
    report->PostUsageInfo();
    Reports(sim, 2);
    EXPECT_EQ(report->PendingSends(), 2);
    const auto asked = std::chrono::steady_clock::now();
    report.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
}

}  // namespace
