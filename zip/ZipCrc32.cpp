#include "zip/ZipCrc32.h"

#include <array>
#include <cstring>

namespace qv::zip {
namespace {

// Eight tables: table[k][b] is the register after byte b followed by k zero
// bytes, so eight input bytes are folded in per step.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables MakeTables() {
    Tables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        t[0][i] = value;
    }
    for (std::size_t k = 1; k < 8; ++k)
        for (std::size_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

std::uint32_t Crc32Step(std::uint32_t reg, std::uint8_t byte) {
    return kTables[0][(reg ^ byte) & 0xFF] ^ (reg >> 8);
}

std::uint32_t UpdateCrc32(std::uint32_t crc, const std::uint8_t* data, std::size_t length) {
    std::uint32_t reg = ~crc;
    for (; length >= 8; data += 8, length -= 8) {
        std::uint32_t low, high;
        std::memcpy(&low, data, 4);
        std::memcpy(&high, data + 4, 4);
        low ^= reg;
        reg = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
              kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
              kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
    }
    for (; length > 0; ++data, --length) reg = Crc32Step(reg, *data);
    return ~reg;
}

}  // namespace qv::zip
