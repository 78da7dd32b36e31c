#pragma once
// What the plug-in records about the machine at start, and the block it logs.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/os/SysInfo.h"

struct AppSysInfo {
    // The kernel's version stands where the system's version is kept.
    int osMajor = 0;
    int osMinor = 0;
    int osBuild = 0;
    std::uint16_t servicePackMajor = 0;
    std::uint16_t servicePackMinor = 0;
    int memoryMb = 0;  // total physical memory
    int is64BitOs = 0;
    char cpuName[255] = {};  // zero-terminated, cut to fit
};

AppSysInfo ToAppSysInfo(const qv::os::SysInfo& info);

// The block of text logged at start; versionText is the skin's "@string/ver".
std::string SysInfoLogBlock(const AppSysInfo& info, std::string_view versionText);

// Reads the machine's information and logs the block at error level.
AppSysInfo GetSysInfo(std::u16string_view versionText);
