#pragma once
// RIFF/WAVE headers in memory: the chunk walk, the checks that make a file
// of uncompressed PCM acceptable, and the 44-byte header of a new file.
// Sizes and offsets are 64-bit, so no chunk size (up to 2^32 - 1) can wrap
// a sum; each chunk step moves forward by at least its 8-byte head.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "plugin/upload/PcmWaveFormat.h"

inline constexpr std::size_t kWaveHeaderBytes = 44;
// The largest data size a 44-byte header can state (RIFF size = data + 36).
inline constexpr std::uint64_t kMaxWaveDataBytes = 0xFFFFFFFFull - 36;

// Where an accepted file keeps its samples.
struct WaveLayout {
    PcmWaveFormat format;
    std::uint64_t dataOffset = 0;  // first sample byte: the data chunk's offset + 8
    std::uint32_t dataSize = 0;
};

// The offset of the first chunk with the code in bytes[start, start + length),
// walking chunk by chunk (code, 32-bit size, body padded to an even length).
// Nothing when the range is under 8 bytes or lies outside bytes, or when a
// chunk's body runs past the range before the code is found.
[[nodiscard]] std::optional<std::uint64_t> FindChunk(std::span<const std::uint8_t> bytes, const char (&code)[5],
                                                     std::uint64_t start, std::uint64_t length);

// The layout of a RIFF/WAVE file of PCM: "RIFF" whose size + 8 fits in the
// file, "WAVE", and inside the RIFF body a "fmt " of at least 16 bytes
// (tag 1, 1 or 2 channels, 8, 16 or 32 bits, rate > 0, block align =
// channels x bits / 8, bytes per second = rate x block align) and a "data"
// chunk, in either order. Nothing for any other bytes.
[[nodiscard]] std::optional<WaveLayout> ParseWaveHeader(std::span<const std::uint8_t> file);

// "RIFF", data + 36, "WAVE", "fmt ", 16, the format's first 16 bytes,
// "data", data size. Nothing when the data size does not fit the header.
[[nodiscard]] std::optional<std::array<std::uint8_t, kWaveHeaderBytes>> MakeWaveHeader(const PcmWaveFormat& format,
                                                                                      std::uint64_t dataSize);
