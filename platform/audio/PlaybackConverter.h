#pragma once
// A sound's frames as an output device takes them: 16-bit stereo (a mono
// sound on both channels) at the device's rate. A sound of another rate goes
// through a Resampler that keeps its phase from one block to the next, so
// that it plays at its own pitch and length to the sample. Reads from the
// source it was made with, from wherever that stands; allocates only when
// made.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio/PcmSource.h"
#include "platform/audio/Resampler.h"

namespace qv::audio {

class PlaybackConverter {
public:
    static constexpr int kChannels = 2;

    // Null when no resampler converts the source's rate to the device's.
    static std::unique_ptr<PlaybackConverter> Create(IPcmSource& source, int deviceRate);

    // Up to maxFrames device frames into out; fewer only at the sound's end.
    std::size_t Read(std::int16_t* out, std::size_t maxFrames);

private:
    PlaybackConverter(IPcmSource& source, std::unique_ptr<Resampler> resampler);
    // Decodes the next source frames into m_in; false at the source's end.
    bool Refill();
    // Device frames straight from the source (same rate).
    std::size_t Copy(std::int16_t* out, std::size_t maxFrames);

    IPcmSource& m_source;
    std::unique_ptr<Resampler> m_resampler;  // null at the device's own rate
    std::vector<std::int16_t> m_decoded;
    std::vector<float> m_in;   // source frames the resampler has not taken yet
    std::size_t m_inAt = 0;    // first of them, in samples
    std::size_t m_inEnd = 0;
    std::vector<float> m_out;  // the resampler's output before it becomes 16 bits
    bool m_sourceDone = false;
    bool m_finished = false;
};

}  // namespace qv::audio
