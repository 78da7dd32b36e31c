#include "platform/audio/WavSource.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qv::audio {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

bool LooksLikeWav(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 &&
           std::memcmp(bytes.data() + 8, "WAVE", 4) == 0;
}

std::unique_ptr<WavSource> WavSource::Open(std::vector<std::uint8_t> bytes, std::u16string& error) {
    if (bytes.size() > kMaxSoundBytes) {
        error = u"The sound is too large.";
        return nullptr;
    }
    std::unique_ptr<WavSource> source(new WavSource(std::move(bytes)));
    if (!source->ParseChunks(error)) return nullptr;
    return source;
}

bool WavSource::ParseChunks(std::u16string& error) {
    if (!LooksLikeWav(m_bytes)) {
        error = u"The file is not a WAV file.";
        return false;
    }
    bool haveFormat = false;
    std::size_t pos = 12;
    while (m_bytes.size() - pos >= 8) {
        const std::uint8_t* chunk = m_bytes.data() + pos;
        const std::size_t available = m_bytes.size() - pos - 8;
        const std::size_t size = std::min<std::size_t>(Le32(chunk + 4), available);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16) break;
            const std::uint8_t* f = chunk + 8;
            std::uint16_t tag = Le16(f);
            if (tag == kFormatExtensible && size >= 26) tag = Le16(f + 24);  // the sub-format GUID's first bytes
            m_channels = Le16(f + 2);
            m_rate = static_cast<int>(std::min<std::uint32_t>(Le32(f + 4), 1u << 30));
            const int bits = Le16(f + 14);
            const int blockAlign = Le16(f + 12);
            m_bytesPerSample = bits / 8;
            if (tag == kFormatPcm && bits == 8) m_encoding = Encoding::U8;
            else if (tag == kFormatPcm && bits == 16) m_encoding = Encoding::S16;
            else if (tag == kFormatPcm && bits == 24) m_encoding = Encoding::S24;
            else if (tag == kFormatPcm && bits == 32) m_encoding = Encoding::S32;
            else if (tag == kFormatFloat && bits == 32) m_encoding = Encoding::F32;
            else break;
            if (m_channels < 1 || m_channels > 2 || m_rate < 1000 || m_rate > 384000 ||
                blockAlign != m_channels * m_bytesPerSample)
                break;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && haveFormat) {
            m_dataOffset = pos + 8;
            m_totalFrames = size / static_cast<std::size_t>(m_channels * m_bytesPerSample);
            if (m_totalFrames == 0) {
                error = u"The WAV file holds no samples.";
                return false;
            }
            return true;
        }
        pos += 8 + size + (size & 1);  // chunks are padded to even lengths
        if (pos > m_bytes.size()) break;
    }
    error = haveFormat ? u"The WAV file has no data." : u"The WAV file is not PCM in one or two channels.";
    return false;
}

std::int16_t WavSource::SampleAt(const std::uint8_t* p) const {
    switch (m_encoding) {
    case Encoding::U8: return static_cast<std::int16_t>((p[0] - 128) << 8);
    case Encoding::S16: return static_cast<std::int16_t>(Le16(p));
    case Encoding::S24: return static_cast<std::int16_t>(Le16(p + 1));
    case Encoding::S32: return static_cast<std::int16_t>(Le16(p + 2));
    case Encoding::F32: {
        float value;
        std::memcpy(&value, p, sizeof value);
        if (!std::isfinite(value)) return 0;
        return static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
    }
    }
    return 0;
}

std::size_t WavSource::Read(std::int16_t* out, std::size_t maxFrames) {
    const std::size_t frames = static_cast<std::size_t>(std::min<std::uint64_t>(maxFrames, m_totalFrames - m_nextFrame));
    const std::size_t frameBytes = static_cast<std::size_t>(m_channels * m_bytesPerSample);
    const std::uint8_t* p = m_bytes.data() + m_dataOffset + m_nextFrame * frameBytes;
    for (std::size_t i = 0; i < frames * static_cast<std::size_t>(m_channels); ++i, p += m_bytesPerSample)
        out[i] = SampleAt(p);
    m_nextFrame += frames;
    return frames;
}

}  // namespace qv::audio
