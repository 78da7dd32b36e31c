#pragma once
// The CRC-32 of zip (reflected polynomial 0xEDB88320), kept running across
// pieces: start with 0, pass the previous value with each next piece.
#include <cstddef>
#include <cstdint>

namespace qv::zip {

std::uint32_t UpdateCrc32(std::uint32_t crc, const std::uint8_t* data, std::size_t length);

// One step of the raw register (no start or final complement), as the
// traditional cipher's key schedule uses it.
std::uint32_t Crc32Step(std::uint32_t reg, std::uint8_t byte);

}  // namespace qv::zip
