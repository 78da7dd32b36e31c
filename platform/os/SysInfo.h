#pragma once
// What the usage report tells about the machine.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv::os {

struct SysInfo {
    std::string osName;         // os-release NAME ("Debian GNU/Linux"), else uname's sysname
    std::string osVersion;      // os-release VERSION_ID ("12"), may be empty
    std::string kernelRelease;  // uname release ("6.1.0-18-amd64")
    int kernelMajor = 0;        // leading numbers of the kernel release
    int kernelMinor = 0;
    int kernelPatch = 0;
    std::uint64_t totalMemoryBytes = 0;
    std::string cpuName;  // /proc/cpuinfo "model name", may be empty
    bool is64BitOs = false;
};

SysInfo GetSysInfo();

// The hardware address of the first non-loopback adapter (by interface index)
// with a non-zero address; nullopt when there is none.
std::optional<std::array<std::uint8_t, 6>> FirstAdapterMac();
// The 6 address bytes, then two zero bytes, read as a little-endian number.
std::uint64_t MacToValue(const std::array<std::uint8_t, 6>& mac);

// Parsers of the files above, for tests.
std::string OsReleaseValue(std::string_view osRelease, std::string_view key);
std::string CpuNameFromCpuInfo(std::string_view cpuInfo);

}  // namespace qv::os
