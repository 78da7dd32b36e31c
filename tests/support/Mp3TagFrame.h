#pragma once
// Bytes for the fuzz targets to reach an encoder's tag frame: the input's
// first bytes become the body of an "Info" tag frame (MPEG-1 layer III,
// 44100 Hz, 128 kbit/s, joint stereo: 417 bytes), a silent frame follows so
// that a decoder locks onto the first, then the rest of the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv::test {

inline std::vector<std::uint8_t> BehindTagFrame(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kFrameBytes = 417;
    constexpr std::uint8_t kHeader[4] = {0xFF, 0xFB, 0x90, 0x44};
    constexpr std::size_t kTagAt = 4 + 32;  // after the header and the side information
    const std::size_t body = std::min(size, kFrameBytes - kTagAt - 4);
    std::vector<std::uint8_t> out(2 * kFrameBytes + size - body, 0);
    std::copy(kHeader, kHeader + 4, out.begin());
    std::copy(kHeader, kHeader + 4, out.begin() + kFrameBytes);
    const std::uint8_t info[4] = {'I', 'n', 'f', 'o'};
    std::copy(info, info + 4, out.begin() + kTagAt);
    for (std::size_t i = 0; i < size; ++i) out[i < body ? kTagAt + 4 + i : 2 * kFrameBytes + i - body] = data[i];
    return out;
}

}  // namespace qv::test
