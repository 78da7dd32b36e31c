#include "plugin/upload/WaveHeader.h"

#include <cstring>

namespace {

constexpr std::uint64_t kChunkHeadBytes = 8;
constexpr std::uint64_t kRiffHeadBytes = 12;  // "RIFF", size, "WAVE"
constexpr std::uint32_t kFmtBytes = 16;

std::uint32_t Read32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void Put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

bool IsCode(const std::uint8_t* p, const char (&code)[5]) { return std::memcmp(p, code, 4) == 0; }

std::optional<PcmWaveFormat> ReadPcmFormat(const std::uint8_t* body, std::uint32_t size) {
    if (size < kFmtBytes) return std::nullopt;
    PcmWaveFormat f;
    f.formatTag = Read16(body);
    f.channels = Read16(body + 2);
    f.samplesPerSec = Read32(body + 4);
    f.avgBytesPerSec = Read32(body + 8);
    f.blockAlign = Read16(body + 12);
    f.bitsPerSample = Read16(body + 14);
    f.extraSize = 0;
    const bool bitsOk = f.bitsPerSample == 8 || f.bitsPerSample == 16 || f.bitsPerSample == 32;
    if (f.formatTag != kWaveFormatPcm || (f.channels != 1 && f.channels != 2) || !bitsOk) return std::nullopt;
    if (f.samplesPerSec == 0 || f.blockAlign != f.channels * f.bitsPerSample / 8) return std::nullopt;
    if (static_cast<std::uint64_t>(f.avgBytesPerSec) != static_cast<std::uint64_t>(f.samplesPerSec) * f.blockAlign)
        return std::nullopt;
    return f;
}

}  // namespace

std::optional<std::uint64_t> FindChunk(std::span<const std::uint8_t> bytes, const char (&code)[5], std::uint64_t start,
                                       std::uint64_t length) {
    if (length < kChunkHeadBytes || start > bytes.size() || length > bytes.size() - start) return std::nullopt;
    const std::uint64_t end = start + length;
    std::uint64_t at = start;
    while (end - at >= kChunkHeadBytes) {
        const std::uint8_t* head = bytes.data() + at;
        const std::uint64_t size = Read32(head + 4);
        if (size + kChunkHeadBytes > end - at) return std::nullopt;
        if (IsCode(head, code)) return at;
        // The body and its pad byte; a pad past the range ends the walk.
        const std::uint64_t step = kChunkHeadBytes + size + (size & 1);
        if (step > end - at) return std::nullopt;
        at += step;
    }
    return std::nullopt;
}

std::optional<WaveLayout> ParseWaveHeader(std::span<const std::uint8_t> file) {
    if (file.size() < kRiffHeadBytes) return std::nullopt;
    const std::uint8_t* p = file.data();
    if (!IsCode(p, "RIFF") || !IsCode(p + 8, "WAVE")) return std::nullopt;
    const std::uint64_t riffSize = Read32(p + 4);
    if (riffSize < 4 || riffSize + kChunkHeadBytes > file.size()) return std::nullopt;
    const std::uint64_t bodyLength = riffSize - 4;
    const auto fmt = FindChunk(file, "fmt ", kRiffHeadBytes, bodyLength);
    const auto data = FindChunk(file, "data", kRiffHeadBytes, bodyLength);
    if (!fmt || !data) return std::nullopt;
    const auto format = ReadPcmFormat(p + *fmt + kChunkHeadBytes, Read32(p + *fmt + 4));
    if (!format) return std::nullopt;
    WaveLayout layout;
    layout.format = *format;
    layout.dataOffset = *data + kChunkHeadBytes;
    layout.dataSize = Read32(p + *data + 4);
    return layout;
}

std::optional<std::array<std::uint8_t, kWaveHeaderBytes>> MakeWaveHeader(const PcmWaveFormat& format,
                                                                        std::uint64_t dataSize) {
    if (dataSize > kMaxWaveDataBytes) return std::nullopt;
    std::array<std::uint8_t, kWaveHeaderBytes> h{};
    std::memcpy(h.data(), "RIFF", 4);
    Put32(h.data() + 4, static_cast<std::uint32_t>(dataSize + 36));
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    Put32(h.data() + 16, kFmtBytes);
    Put16(h.data() + 20, kWaveFormatPcm);
    Put16(h.data() + 22, format.channels);
    Put32(h.data() + 24, format.samplesPerSec);
    Put32(h.data() + 28, format.samplesPerSec * format.bitsPerSample * format.channels / 8);
    Put16(h.data() + 32, static_cast<std::uint16_t>(format.channels * format.bitsPerSample / 8));
    Put16(h.data() + 34, format.bitsPerSample);
    std::memcpy(h.data() + 36, "data", 4);
    Put32(h.data() + 40, static_cast<std::uint32_t>(dataSize));
    return h;
}
