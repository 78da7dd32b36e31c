#include "zip/ZipTime.h"

#include <ctime>

namespace qv::zip {

std::uint32_t DosStamp(std::int64_t secondsSince1970) {
    const std::time_t when = static_cast<std::time_t>(secondsSince1970);
    std::tm local{};
    if (!localtime_r(&when, &local) || local.tm_year < 80) return (1u << 5 | 1u) << 16;
    if (local.tm_year > 80 + 127) return ((127u << 9 | 12u << 5 | 31u) << 16) | (23u << 11 | 59u << 5 | 29u);
    const std::uint32_t date = static_cast<std::uint32_t>((local.tm_year - 80) << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
    const std::uint32_t time = static_cast<std::uint32_t>(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
    return date << 16 | time;
}

std::uint32_t UnixTime32(std::int64_t secondsSince1970) {
    if (secondsSince1970 < 0) return 0;
    if (secondsSince1970 > 0xFFFFFFFFLL) return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(secondsSince1970);
}

}  // namespace qv::zip
