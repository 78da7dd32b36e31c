#pragma once
#include <cstdint>

#include "platform/os/Types.h"

// A byte record as upper-case hexadecimal text followed by the two digits of
// its CRC-8 (the device frame's checksum), zero-terminated. Capacity is in
// characters and must hold 2 x count + 3.
BOOL HexEncodeWithCrc(const std::uint8_t* data, int count, char16_t* output, int capacity);

// The reverse: decodes the pairs before the last into output (capacity in
// bytes) and accepts the text when the last pair is their CRC-8. Only
// '0'-'9' and 'A'-'F' are digits; a text shorter than one pair is refused.
BOOL HexDecodeWithCrc(const char16_t* text, std::uint8_t* output, int capacity);
