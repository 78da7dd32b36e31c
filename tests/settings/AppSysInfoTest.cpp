#include "plugin/app/AppSysInfo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/os/Log.h"

namespace {

TEST(AppSysInfo, TakesKernelVersionMemoryAndCpuName) {
    qv::os::SysInfo os;
    os.kernelMajor = 6;
    os.kernelMinor = 1;
    os.kernelPatch = 76;
    os.totalMemoryBytes = 8ull * 1024 * 1024 * 1024 + 5;
    os.cpuName = "Example CPU @ 3.0GHz";
    os.is64BitOs = true;
    const AppSysInfo info = ToAppSysInfo(os);
    EXPECT_EQ(info.osMajor, 6);
    EXPECT_EQ(info.osMinor, 1);
    EXPECT_EQ(info.osBuild, 76);
    EXPECT_EQ(info.memoryMb, 8192);
    EXPECT_EQ(info.is64BitOs, 1);
    EXPECT_STREQ(info.cpuName, "Example CPU @ 3.0GHz");

    EXPECT_EQ(SysInfoLogBlock(info, "1.0.3"),
              "\n===============================\n"
              "Windows ver:6.1  buildNumber:76  SPversion:0.0 x64\n"
              "CPU:Example CPU @ 3.0GHz\nMemory:8192MB\nver:1.0.3\n"
              "===============================\n");

    os.cpuName.assign(400, 'c');
    os.is64BitOs = false;
    os.totalMemoryBytes = 1ull << 62;
    const AppSysInfo big = ToAppSysInfo(os);
    EXPECT_EQ(std::strlen(big.cpuName), sizeof big.cpuName - 1);
    EXPECT_GT(big.memoryMb, 0);
    EXPECT_NE(SysInfoLogBlock(big, "").find(" x86\n"), std::string::npos);
}

std::string g_logged;

TEST(AppSysInfo, GetSysInfoLogsTheBlock) {
    g_logged.clear();
    qv::os::SetDebugOutputHook([](const char* text) { g_logged += text; });
    GetSysInfo(u"版本 2.1");
    qv::os::SetDebugOutputHook(nullptr);
    EXPECT_NE(g_logged.find("Windows ver:"), std::string::npos) << g_logged;
    // One log line: its own line ends are written as escapes.
    EXPECT_NE(g_logged.find("\\nver:版本 2.1\\n"), std::string::npos) << g_logged;
    EXPECT_EQ(g_logged.find('\n'), std::string::npos) << g_logged;
}

}  // namespace
