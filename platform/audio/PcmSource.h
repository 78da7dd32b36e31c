#pragma once
// A sound decoded on demand: interleaved signed 16-bit frames at the sound's
// own rate and channel count (1 or 2), read forward from a position. The
// player converts them to the device's format.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv::audio {

class IPcmSource {
public:
    virtual ~IPcmSource() = default;
    virtual int Rate() const = 0;
    virtual int Channels() const = 0;
    virtual std::uint64_t TotalFrames() const = 0;
    // Up to maxFrames frames (maxFrames * Channels() samples); 0 at the end.
    virtual std::size_t Read(std::int16_t* out, std::size_t maxFrames) = 0;
    // Goes on from this frame; past the end, Read gives nothing.
    virtual void Seek(std::uint64_t frame) = 0;
};

// Bytes larger than this are refused: a player holds its whole file.
constexpr std::size_t kMaxSoundBytes = 256u << 20;

enum class SourceFormat { Detect, Mp3 };

// A source over the bytes, which it keeps: a PCM WAV file (RIFF/WAVE) when
// asked to detect and the bytes start so, else MP3. Null with the reason in
// error when the bytes hold no sound of that kind.
std::unique_ptr<IPcmSource> OpenPcmSource(std::vector<std::uint8_t> bytes, SourceFormat format,
                                          std::u16string& error);

}  // namespace qv::audio
