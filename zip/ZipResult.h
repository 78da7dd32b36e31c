#pragma once
// Result codes of the zip writer. 0 is success; every other value is one of
// the codes below. The codes and their texts are fixed: callers compare the
// numbers and show the texts.
#include <cstdint>

using ZipResult = std::uint32_t;

inline constexpr ZipResult kZipOk = 0;
inline constexpr ZipResult kZipDuplicateFailed = 0x100;
inline constexpr ZipResult kZipOpenFailed = 0x200;
inline constexpr ZipResult kZipNoMemory = 0x300;
inline constexpr ZipResult kZipWriteFailed = 0x400;
inline constexpr ZipResult kZipNotFound = 0x500;
inline constexpr ZipResult kZipMoreData = 0x600;
inline constexpr ZipResult kZipCorrupt = 0x700;
inline constexpr ZipResult kZipReadFailed = 0x800;
inline constexpr ZipResult kZipBadArguments = 0x10000;
inline constexpr ZipResult kZipNotInMemory = 0x20000;
inline constexpr ZipResult kZipMemoryFull = 0x30000;
inline constexpr ZipResult kZipPreviousError = 0x40000;
inline constexpr ZipResult kZipEnded = 0x50000;
inline constexpr ZipResult kZipSizeMismatch = 0x60000;
inline constexpr ZipResult kZipPartlyUnzipped = 0x70000;
inline constexpr ZipResult kZipMixedHandle = 0x80000;
inline constexpr ZipResult kZipNotInitialised = 0x1000000;
inline constexpr ZipResult kZipUnseekable = 0x2000000;
inline constexpr ZipResult kZipChangedMind = 0x4000000;
inline constexpr ZipResult kZipFlateFailed = 0x5000000;

// Code 1 passed to DescribeZipResult stands for the calling thread's last result.
inline constexpr ZipResult kZipLastResult = 1;

namespace qv::zip {

// The calling thread's last result, set by every writer operation.
ZipResult LastResult();
ZipResult StoreLastResult(ZipResult result);

}  // namespace qv::zip
