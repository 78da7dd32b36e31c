#pragma once
// The MP3 bytes a decode starts from: a file read whole, or a copy of an
// "mp3" resource, each followed by libmad's guard bytes (zeros), so that the
// decoder reads the last frame to its end. A source over 64 MiB gives no
// data rather than being held in memory.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

inline constexpr std::uint64_t kMaxMp3SourceBytes = 64ull << 20;

// Empty when the file is missing, unreadable, empty, read short or too large.
std::vector<std::uint8_t> LoadMp3File(const std::u16string& path);
// Empty when the resource bytes are empty or too large.
std::vector<std::uint8_t> CopyMp3Bytes(std::span<const std::uint8_t> bytes);
