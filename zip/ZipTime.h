#pragma once
// Time stamps of zip entries.
#include <cstdint>

namespace qv::zip {

// The DOS stamp of a moment in local time: date in the high 16 bits, time
// (two-second steps) in the low 16. Moments outside what the format holds are
// clamped to 1980-01-01 00:00:00 and 2107-12-31 23:59:58.
std::uint32_t DosStamp(std::int64_t secondsSince1970);

// Seconds since 1970 for the extended time stamp field, clamped to 32 bits.
std::uint32_t UnixTime32(std::int64_t secondsSince1970);

}  // namespace qv::zip
