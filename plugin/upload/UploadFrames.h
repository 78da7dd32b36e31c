#pragma once
// The card's sound keys and the frames that fill one: a header (0x02) with
// the key, the block count and the bytes to send, then one frame (0x04) per
// 32-byte block of the WAV image, its index in bytes 36 .. 38. Byte 39, the
// checksum, is filled by the device manager as it sends.
#include <array>
#include <cstdint>
#include <span>

// Seconds of sound each key takes (entry 0 is not a key).
inline constexpr int SLOT_SECONDS[4] = {51, 35, 35, 20};
inline constexpr int kFirstSlot = 1;
inline constexpr int kLastSlot = 3;

inline constexpr std::uint8_t kCmdUploadHeader = 0x02;
inline constexpr std::uint8_t kCmdUploadBlock = 0x04;
// At most this much of an image is sent; the rest is cut.
inline constexpr std::uint32_t kMaxUploadBytes = 3460300;
inline constexpr std::uint32_t kUploadBlockBytes = 32;

using UploadFrame = std::array<std::uint8_t, 64>;

// The bytes of an image that are sent.
constexpr std::uint32_t UploadBytes(std::size_t imageSize) {
    return imageSize < kMaxUploadBytes ? static_cast<std::uint32_t>(imageSize) : kMaxUploadBytes;
}
constexpr std::uint32_t UploadBlockCount(std::uint32_t bytes) {
    return (bytes + kUploadBlockBytes - 1) / kUploadBlockBytes;
}

UploadFrame MakeUploadHeader(int slot, std::uint32_t blockCount, std::uint32_t bytes);
// Block n of the bytes sent: 32 bytes from offset 32 n, the last one
// holding the rest and zeros after it.
UploadFrame MakeUploadBlock(std::span<const std::uint8_t> sent, std::uint32_t block);
