#pragma once
// Huffman code lengths limited to a maximum length, for the three trees of a
// deflate block.
#include <cstdint>

namespace qv::zip::deflate {

// Sets lengths[0..symbols) for the given frequencies (at most 286 symbols):
// 0 for unused symbols, else 1..maxLength, forming a complete prefix code.
// At least two symbols always get a code (0 or 1 are added when fewer are
// used), as the format needs. Returns the highest symbol with a code.
int BuildCodeLengths(const std::uint32_t* freq, int symbols, int maxLength, std::uint8_t* lengths);

}  // namespace qv::zip::deflate
