#pragma once
// One pass of libmad's synchronous decoder over MP3 bytes: each frame's
// samples scaled to 16 bits by the gain and handed to a sink, until the data
// ends, the frame that reaches the time limit, a frame in another format
// than the first, a sink that refuses, or a stop asked from outside.
// Damaged frames are skipped. An encoder's tag frame is no audio, and the
// delay and padding it names are not handed on (platform/audio/Mp3InfoTag.h).
// libmad's decoder is made and finished inside.
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>

#include "plugin/upload/PcmWaveFormat.h"

struct Mp3DecodeOutcome {
    PcmWaveFormat format;       // 16-bit, channels and rate of the first frame
    std::uint32_t samples = 0;  // per channel, all handed on
    bool stopped = false;       // asked to stop from outside
    bool sinkFailed = false;
};

// Takes one frame's bytes; false ends the decode.
using PcmSink = std::function<bool(std::span<const std::uint8_t> pcm)>;

// libmad's fixed-point samples (28 fraction bits) to 16-bit little-endian:
// each rounded, clipped to 16 bits, times the gain truncated toward zero;
// interleaved left, right when `right` is given. Returns the bytes written
// (2n mono, 4n stereo).
std::size_t ScaleMadSamples(float gain, const std::int32_t* left, const std::int32_t* right, unsigned n,
                            std::uint8_t* out);

// mp3: the data followed by libmad's guard bytes (Mp3Source.h).
Mp3DecodeOutcome DecodeMp3(std::span<const std::uint8_t> mp3, float gain, int limitSeconds, const PcmSink& sink,
                           const std::atomic<bool>* stop = nullptr);
