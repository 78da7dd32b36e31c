#include <gtest/gtest.h>

#include "platform/os/SysInfo.h"

namespace {
using namespace qv::os;

TEST(SysInfo, ParsesOsReleaseAndCpuInfo) {
    const char* osRelease =
        "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"
        "NAME=\"Debian GNU/Linux\"\n"
        "VERSION_ID=\"12\"\n"
        "ID=debian\n"
        "BUG=\"say \\\"hi\\\"\"\n";
    EXPECT_EQ(OsReleaseValue(osRelease, "NAME"), "Debian GNU/Linux");
    EXPECT_EQ(OsReleaseValue(osRelease, "VERSION_ID"), "12");
    EXPECT_EQ(OsReleaseValue(osRelease, "ID"), "debian");
    EXPECT_EQ(OsReleaseValue(osRelease, "BUG"), "say \"hi\"");
    EXPECT_EQ(OsReleaseValue(osRelease, "VERSION"), "");

    const char* cpuInfo =
        "processor\t: 0\nvendor_id\t: GenuineIntel\n"
        "model name\t: Intel(R) Core(TM) i7-8565U CPU @ 1.80GHz\n\n"
        "processor\t: 1\nmodel name\t: second\n";
    EXPECT_EQ(CpuNameFromCpuInfo(cpuInfo), "Intel(R) Core(TM) i7-8565U CPU @ 1.80GHz");
    EXPECT_EQ(CpuNameFromCpuInfo("processor : 0\n"), "");
}

TEST(SysInfo, MacValueIsLittleEndianWithTwoZeroBytes) {
    EXPECT_EQ(MacToValue({0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}), 0x5E4D3C2B1A00ull);
}

TEST(SysInfo, ThisMachineGivesPlausibleFigures) {
    const SysInfo info = GetSysInfo();
    EXPECT_FALSE(info.osName.empty());
    EXPECT_FALSE(info.kernelRelease.empty());
    EXPECT_GT(info.kernelMajor, 2);
    EXPECT_GT(info.totalMemoryBytes, 64ull << 20);
    if (auto mac = FirstAdapterMac()) {
        EXPECT_NE(MacToValue(*mac), 0u);
    }
}

}  // namespace
