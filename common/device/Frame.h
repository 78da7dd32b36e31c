#pragma once
#include <cstddef>
#include <cstdint>

// The device frame: 40 meaningful bytes in a zeroed 64-byte buffer.
// Byte 0 command (a reply carries command + 1), byte 3 status (0 in
// requests, 0xFF in a good reply), byte 39 the CRC-8 of bytes 0..38.
namespace qv::frame {

constexpr int kFrameLength = 40;
constexpr int kBufferSize = 64;
constexpr int kCommandByte = 0;
constexpr int kStatusByte = 3;
constexpr int kCrcByte = kFrameLength - 1;
constexpr std::uint8_t kStatusOk = 0xFF;

// CRC-8 over data[0..length-1]: the card's table, complemented at the end.
std::uint8_t Crc8(const std::uint8_t* data, std::size_t length);

// Fills byte 39 with the CRC of bytes 0..38 and returns it.
std::uint8_t Seal(std::uint8_t* frame);

// True when byte 39 holds the CRC of bytes 0..38.
bool HasValidCrc(const std::uint8_t* frame);

}  // namespace qv::frame
