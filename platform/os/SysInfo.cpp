#include "platform/os/SysInfo.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/os/AtomicFile.h"

namespace qv::os {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// Calls f(line) for each line of the text.
template <class F>
void ForEachLine(std::string_view text, F f) {
    while (!text.empty()) {
        const auto end = text.find('\n');
        f(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

}  // namespace

std::string OsReleaseValue(std::string_view osRelease, std::string_view key) {
    std::string value;
    ForEachLine(osRelease, [&](std::string_view line) {
        line = Trim(line);
        const auto eq = line.find('=');
        if (!value.empty() || eq == std::string_view::npos || line.substr(0, eq) != key) return;
        std::string_view raw = line.substr(eq + 1);
        if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
            raw = raw.substr(1, raw.size() - 2);
        // Shell-style escapes inside double quotes.
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
            value.push_back(raw[i]);
        }
    });
    return value;
}

std::string CpuNameFromCpuInfo(std::string_view cpuInfo) {
    std::string name;
    ForEachLine(cpuInfo, [&](std::string_view line) {
        const auto colon = line.find(':');
        if (!name.empty() || colon == std::string_view::npos) return;
        const std::string_view key = Trim(line.substr(0, colon));
        // "model name" on x86; some other architectures only give "Model" or "cpu".
        if (key == "model name" || key == "Model" || key == "cpu")
            name = std::string(Trim(line.substr(colon + 1)));
    });
    return name;
}

SysInfo GetSysInfo() {
    SysInfo info;
    utsname names{};
    if (uname(&names) == 0) {
        info.osName = names.sysname;
        info.kernelRelease = names.release;
        std::sscanf(names.release, "%d.%d.%d", &info.kernelMajor, &info.kernelMinor,
                    &info.kernelPatch);
        const std::string_view machine = names.machine;
        info.is64BitOs = machine.find("64") != std::string_view::npos || machine == "s390x";
    }
    auto osRelease = ReadWholeFile("/etc/os-release");
    if (!osRelease) osRelease = ReadWholeFile("/usr/lib/os-release");
    if (osRelease) {
        if (std::string name = OsReleaseValue(*osRelease, "NAME"); !name.empty()) info.osName = name;
        info.osVersion = OsReleaseValue(*osRelease, "VERSION_ID");
    }
    struct sysinfo memory {};
    if (sysinfo(&memory) == 0)
        info.totalMemoryBytes = static_cast<std::uint64_t>(memory.totalram) * memory.mem_unit;
    if (auto cpuInfo = ReadWholeFile("/proc/cpuinfo")) info.cpuName = CpuNameFromCpuInfo(*cpuInfo);
    return info;
}

std::optional<std::array<std::uint8_t, 6>> FirstAdapterMac() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return std::nullopt;
    std::optional<std::array<std::uint8_t, 6>> best;
    int bestIndex = INT_MAX;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET) continue;
        if (entry->ifa_flags & IFF_LOOPBACK) continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        if (link->sll_halen < 6 || link->sll_ifindex >= bestIndex) continue;
        std::array<std::uint8_t, 6> mac{};
        bool zero = true;
        for (int i = 0; i < 6; ++i) {
            mac[i] = link->sll_addr[i];
            zero = zero && mac[i] == 0;
        }
        if (zero) continue;
        best = mac;
        bestIndex = link->sll_ifindex;
    }
    freeifaddrs(list);
    return best;
}

std::uint64_t MacToValue(const std::array<std::uint8_t, 6>& mac) {
    std::uint64_t value = 0;
    for (int i = 5; i >= 0; --i) value = value << 8 | mac[i];
    return value;
}

}  // namespace qv::os
