#pragma once
// PCM WAV (RIFF/WAVE): 8, 16, 24 or 32-bit integer or 32-bit float samples,
// one or two channels, in a "data" chunk after its "fmt " chunk. Samples are
// read in place from the bytes and converted to 16 bits.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/PcmSource.h"

namespace qv::audio {

// True when the bytes start as a RIFF/WAVE file.
bool LooksLikeWav(const std::vector<std::uint8_t>& bytes);

class WavSource final : public IPcmSource {
public:
    // Null with the reason when the file is not a PCM WAV file this reads.
    static std::unique_ptr<WavSource> Open(std::vector<std::uint8_t> bytes, std::u16string& error);

    int Rate() const override { return m_rate; }
    int Channels() const override { return m_channels; }
    std::uint64_t TotalFrames() const override { return m_totalFrames; }
    std::size_t Read(std::int16_t* out, std::size_t maxFrames) override;
    void Seek(std::uint64_t frame) override { m_nextFrame = std::min(frame, m_totalFrames); }

private:
    enum class Encoding { U8, S16, S24, S32, F32 };

    explicit WavSource(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    bool ParseChunks(std::u16string& error);
    std::int16_t SampleAt(const std::uint8_t* p) const;

    std::vector<std::uint8_t> m_bytes;
    Encoding m_encoding = Encoding::S16;
    int m_rate = 0;
    int m_channels = 0;
    int m_bytesPerSample = 0;
    std::size_t m_dataOffset = 0;
    std::uint64_t m_totalFrames = 0;
    std::uint64_t m_nextFrame = 0;
};

}  // namespace qv::audio
