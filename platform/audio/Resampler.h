#pragma once
// Rate conversion of interleaved float frames through libsamplerate's
// band-limited (sinc) converter. It keeps its phase and its filter's history
// from one call to the next, so a sound fed in pieces of any size comes out
// as if fed whole: nothing lost or repeated where the pieces meet, and the
// frames in x outRate / inRate frames in all once the input has ended.
// One sound at a time, one thread at a time; Process allocates nothing.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

struct SRC_STATE_tag;

namespace qv::audio {

class Resampler {
public:
    // Null when the channel count is not 1 or 2, or the rates are not
    // positive and within a factor of 256 of each other.
    static std::unique_ptr<Resampler> Create(int channels, int inRate, int outRate);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    struct Step {
        std::size_t used = 0;  // frames taken from the input
        std::size_t made = 0;  // frames written to the output
    };
    // Takes frames of `in` and writes frames to `out` (whole frames of the
    // channels it was made for). With `last`, `in` holds the end of the sound:
    // calls with `last` then give what the filter still holds, until one
    // makes nothing. Nothing when libsamplerate fails.
    [[nodiscard]] std::optional<Step> Process(std::span<const float> in, std::span<float> out, bool last);

private:
    Resampler(SRC_STATE_tag* state, int channels, double ratio) : m_state(state), m_channels(channels), m_ratio(ratio) {}

    SRC_STATE_tag* m_state;
    int m_channels;
    double m_ratio;
};

// One of the resampler's samples (-1 .. 1) as a 16-bit one, rounded and
// clipped: its filter may overshoot full scale a little.
inline std::int16_t FloatToS16(float sample) {
    return static_cast<std::int16_t>(std::lrint(std::clamp(sample * 32768.0f, -32768.0f, 32767.0f)));
}

}  // namespace qv::audio
