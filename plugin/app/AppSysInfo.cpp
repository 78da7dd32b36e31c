#include "plugin/app/AppSysInfo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/os/Log.h"
#include "platform/os/Utf.h"

AppSysInfo ToAppSysInfo(const qv::os::SysInfo& info) {
    AppSysInfo result;
    result.osMajor = info.kernelMajor;
    result.osMinor = info.kernelMinor;
    result.osBuild = info.kernelPatch;
    const std::uint64_t megabytes = info.totalMemoryBytes / (1024u * 1024u);
    result.memoryMb = static_cast<int>(std::min<std::uint64_t>(megabytes, INT32_MAX));
    result.is64BitOs = info.is64BitOs ? 1 : 0;
    const std::size_t length = std::min(info.cpuName.size(), sizeof result.cpuName - 1);
    std::memcpy(result.cpuName, info.cpuName.data(), length);
    result.cpuName[length] = '\0';
    return result;
}

std::string SysInfoLogBlock(const AppSysInfo& info, std::string_view versionText) {
    const std::string version(versionText);
    char buffer[qv::os::kLogBufferSize];
    std::snprintf(buffer, sizeof buffer,
                  "\n===============================\n"
                  "Windows ver:%d.%d  buildNumber:%d  SPversion:%d.%d %s\n"
                  "CPU:%s\nMemory:%dMB\nver:%s\n"
                  "===============================\n",
                  info.osMajor, info.osMinor, info.osBuild, info.servicePackMajor,
                  info.servicePackMinor, info.is64BitOs ? "x64" : "x86", info.cpuName,
                  info.memoryMb, version.c_str());
    return buffer;
}

AppSysInfo GetSysInfo(std::u16string_view versionText) {
    const AppSysInfo info = ToAppSysInfo(qv::os::GetSysInfo());
    QV_LOGE("%s", SysInfoLogBlock(info, qv::os::Utf16ToUtf8(versionText)).c_str());
    return info;
}
