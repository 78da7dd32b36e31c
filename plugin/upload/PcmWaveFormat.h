#pragma once
// The 18-byte PCM wave format as it sits in a "fmt " chunk (plus the extra
// size, always 0 here), little-endian and packed, so it is copied to and
// from files byte for byte. Packed fields are read by value: a reference to
// one may be misaligned.
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct PcmWaveFormat {
    std::uint16_t formatTag = 0;  // 1: PCM
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;
};
#pragma pack(pop)

static_assert(sizeof(PcmWaveFormat) == 18);
static_assert(offsetof(PcmWaveFormat, samplesPerSec) == 4);
static_assert(offsetof(PcmWaveFormat, bitsPerSample) == 14);

inline constexpr std::uint16_t kWaveFormatPcm = 1;

// A PCM format with the derived fields filled in.
constexpr PcmWaveFormat MakePcmFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    PcmWaveFormat format;
    format.formatTag = kWaveFormatPcm;
    format.channels = channels;
    format.samplesPerSec = rate;
    format.blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    format.avgBytesPerSec = rate * format.blockAlign;
    format.bitsPerSample = bits;
    return format;
}
