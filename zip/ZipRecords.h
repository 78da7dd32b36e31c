#pragma once
// The records of a zip archive, laid out byte for byte (little-endian).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qv::zip {

inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagUtf8Name = 0x0800;
inline constexpr std::uint16_t kMethodStored = 0;
inline constexpr std::uint16_t kMethodDeflated = 8;
inline constexpr std::size_t kMaxNameBytes = 260;

// The extended time stamp field (id 0x5455): the local copy holds the last
// write, last access and creation times, the central copy the last write.
using LocalTimeExtra = std::array<std::uint8_t, 17>;
using CentralTimeExtra = std::array<std::uint8_t, 9>;

// What the central directory needs of a written entry.
struct ZipEntryRecord {
    std::uint16_t versionMadeBy = 0x0B17;
    std::uint16_t versionNeeded = 20;
    std::uint16_t flags = 0;
    std::uint16_t method = kMethodStored;
    std::uint32_t dosStamp = 0;  // date high, time low
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    std::uint32_t externalAttributes = 0;
    std::uint32_t localHeaderOffset = 0;
    std::string name;  // UTF-8, at most kMaxNameBytes
    LocalTimeExtra localExtra{};
    CentralTimeExtra centralExtra{};
};

void SetTimeExtras(ZipEntryRecord& record, std::uint32_t lastWrite, std::uint32_t lastAccess, std::uint32_t creation);

std::vector<std::uint8_t> LocalHeader(const ZipEntryRecord& record);
std::vector<std::uint8_t> CentralHeader(const ZipEntryRecord& record);
std::array<std::uint8_t, 16> DataDescriptor(const ZipEntryRecord& record);
std::array<std::uint8_t, 22> EndRecord(std::uint16_t entries, std::uint32_t directorySize,
                                       std::uint32_t directoryOffset);

}  // namespace qv::zip
