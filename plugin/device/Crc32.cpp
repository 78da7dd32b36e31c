#include "plugin/device/Crc32.h"

#include <array>

namespace {

constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        table[i] = value;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

}  // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::uint32_t length) {
    std::uint32_t value = 0xFFFFFFFFu;
    if (data) {
        for (std::uint32_t i = 0; i < length; ++i)
            value = kTable[(value ^ data[i]) & 0xFF] ^ (value >> 8);
    }
    return ~value;
}
