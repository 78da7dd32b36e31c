#pragma once
// Volume and level metering of interleaved 16-bit frames, done in one pass
// over each block a device takes or gives.
#include <cstddef>
#include <cstdint>

namespace qv::audio {

// Peak levels 0..100 per channel; a mono block reports the same on both.
struct Levels {
    int left = 0;
    int right = 0;
};

// Scales the frames by leftPercent and rightPercent (0..100; a mono block
// takes leftPercent) and, when measure is set, returns their peaks.
Levels ScaleFrames(std::int16_t* samples, std::size_t frames, int channels, int leftPercent, int rightPercent,
                   bool measure);

}  // namespace qv::audio
