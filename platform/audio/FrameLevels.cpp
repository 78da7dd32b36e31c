#include "platform/audio/FrameLevels.h"

#include <algorithm>
#include <cstdlib>

namespace qv::audio {

namespace {

int PercentOfFullScale(int peak) { return (peak * 100 + 16383) / 32768; }

}  // namespace

Levels ScaleFrames(std::int16_t* samples, std::size_t frames, int channels, int leftPercent, int rightPercent,
                   bool measure) {
    const int gain[2] = {leftPercent, channels == 2 ? rightPercent : leftPercent};
    int peak[2] = {0, 0};
    const std::size_t count = frames * static_cast<std::size_t>(channels);
    const bool scale = gain[0] != 100 || gain[1] != 100;
    for (std::size_t i = 0; i < count; ++i) {
        const int channel = channels == 2 ? static_cast<int>(i & 1) : 0;
        int value = samples[i];
        if (scale) {
            value = value * gain[channel] / 100;
            samples[i] = static_cast<std::int16_t>(value);
        }
        if (measure) peak[channel] = std::max(peak[channel], std::abs(value));
    }
    if (channels != 2) peak[1] = peak[0];
    return {PercentOfFullScale(peak[0]), PercentOfFullScale(peak[1])};
}

}  // namespace qv::audio
