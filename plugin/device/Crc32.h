#pragma once
#include <cstdint>

// The CRC-32 of zip and Ethernet (reflected polynomial 0xEDB88320, start value
// all ones, final complement). Null data counts as no bytes.
std::uint32_t Crc32(const std::uint8_t* data, std::uint32_t length);
