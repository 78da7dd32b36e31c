#include "plugin/upload/Mp3Decode.h"

#include <mad.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <type_traits>

#include "platform/audio/Mp3InfoTag.h"
#include "platform/os/Log.h"

static_assert(std::is_same_v<mad_fixed_t, std::int32_t>, "the scaling takes libmad's samples as they are");

namespace {

constexpr std::int64_t kRounding = 1 << (MAD_F_FRACBITS - 16);
constexpr std::int64_t kMin = -MAD_F_ONE;
constexpr std::int64_t kMax = MAD_F_ONE - 1;
constexpr int kShift = MAD_F_FRACBITS + 1 - 16;

std::int16_t ScaleOne(std::int32_t sample, float gain) {
    const std::int64_t clipped = std::clamp<std::int64_t>(static_cast<std::int64_t>(sample) + kRounding, kMin, kMax);
    const auto value = static_cast<std::int32_t>(clipped >> kShift);
    return static_cast<std::int16_t>(static_cast<std::int32_t>(std::trunc(static_cast<float>(value) * gain)));
}

void Put16(std::uint8_t* out, std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    out[0] = static_cast<std::uint8_t>(u);
    out[1] = static_cast<std::uint8_t>(u >> 8);
}

// What libmad's callbacks share for one run.
struct Run {
    std::span<const std::uint8_t> mp3;
    bool given = false;  // the data went to libmad (once)
    float gain;
    int limitSeconds;
    const PcmSink& sink;
    const std::atomic<bool>* stop;
    qv::audio::Mp3InfoTag::Span sound;  // the decoded samples handed on
    std::uint64_t decoded = 0;          // samples per channel of the frames so far
    bool formatKnown = false;
    Mp3DecodeOutcome outcome;
    std::array<std::uint8_t, 1152 * 4> pcm{};  // a frame holds at most 1152 samples per channel

    bool Stopping() const { return stop && stop->load(); }
};

// The frames from the start of the bytes up to the first in another format
// than the first one, and the samples each holds.
std::pair<std::uint64_t, unsigned> CountFrames(std::span<const std::uint8_t> mp3) {
    mad_stream stream;
    mad_header header;
    mad_header first;
    mad_stream_init(&stream);
    mad_header_init(&header);
    mad_header_init(&first);
    mad_stream_buffer(&stream, mp3.data(), mp3.size());
    std::uint64_t frames = 0;
    for (;;) {
        if (mad_header_decode(&header, &stream) != 0) {
            if (MAD_RECOVERABLE(stream.error)) continue;
            break;
        }
        if (frames == 0) {
            first = header;
        } else if (header.layer != first.layer || header.samplerate != first.samplerate ||
                   MAD_NCHANNELS(&header) != MAD_NCHANNELS(&first) ||
                   ((header.flags ^ first.flags) & MAD_FLAG_LSF_EXT)) {
            break;
        }
        ++frames;
    }
    mad_header_finish(&header);
    mad_stream_finish(&stream);
    return {frames, frames ? 32 * MAD_NSBSAMPLES(&first) : 0};
}

mad_flow Input(void* data, mad_stream* stream) {
    auto* run = static_cast<Run*>(data);
    if (run->given || run->mp3.empty() || run->Stopping()) return MAD_FLOW_STOP;
    mad_stream_buffer(stream, run->mp3.data(), run->mp3.size());
    run->given = true;
    return MAD_FLOW_CONTINUE;
}

mad_flow Filter(void*, const mad_stream*, mad_frame*) { return MAD_FLOW_CONTINUE; }
mad_flow Error(void*, mad_stream*, mad_frame*) { return MAD_FLOW_CONTINUE; }

mad_flow Output(void* data, const mad_header*, mad_pcm* pcm) {
    auto* run = static_cast<Run*>(data);
    Mp3DecodeOutcome& out = run->outcome;
    if (run->Stopping()) {
        out.stopped = true;
        return MAD_FLOW_STOP;
    }
    const unsigned channels = pcm->channels;
    const unsigned rate = pcm->samplerate;
    const unsigned n = std::min<unsigned>(pcm->length, 1152);
    if (channels == 0 || channels > 2 || rate == 0) return MAD_FLOW_STOP;
    // The first frame fixes the format; a frame in another one ends the sound.
    if (!run->formatKnown) {
        out.format = MakePcmFormat(static_cast<std::uint16_t>(channels), rate, 16);
        run->formatKnown = true;
    } else if (channels != out.format.channels || rate != out.format.samplesPerSec) {
        QV_LOGW("a frame of %u channels at %u Hz ends the sound", channels, rate);
        return MAD_FLOW_STOP;
    }
    // Only the frame's samples inside the sound go on.
    const std::uint64_t at = run->decoded;
    run->decoded += n;
    if (at >= run->sound.end) return MAD_FLOW_STOP;
    if (at + n <= run->sound.first) return MAD_FLOW_CONTINUE;
    const auto from = static_cast<unsigned>(at < run->sound.first ? run->sound.first - at : 0);
    const auto to = static_cast<unsigned>(std::min<std::uint64_t>(at + n, run->sound.end) - at);
    out.samples += to - from;
    const std::size_t bytes = ScaleMadSamples(run->gain, pcm->samples[0] + from,
                                              channels > 1 ? pcm->samples[1] + from : nullptr, to - from, run->pcm.data());
    if (!run->sink({run->pcm.data(), bytes})) {
        out.sinkFailed = true;
        return MAD_FLOW_STOP;
    }
    const double seconds = static_cast<double>(out.samples) / rate;
    return static_cast<long long>(seconds) < run->limitSeconds ? MAD_FLOW_CONTINUE : MAD_FLOW_STOP;
}

}  // namespace

std::size_t ScaleMadSamples(float gain, const std::int32_t* left, const std::int32_t* right, unsigned n,
                            std::uint8_t* out) {
    std::uint8_t* at = out;
    for (unsigned i = 0; i < n; ++i) {
        Put16(at, ScaleOne(left[i], gain));
        at += 2;
        if (right) {
            Put16(at, ScaleOne(right[i], gain));
            at += 2;
        }
    }
    return static_cast<std::size_t>(at - out);
}

Mp3DecodeOutcome DecodeMp3(std::span<const std::uint8_t> mp3, float gain, int limitSeconds, const PcmSink& sink,
                           const std::atomic<bool>* stop) {
    Run run{.mp3 = mp3,
            .gain = gain,
            .limitSeconds = limitSeconds,
            .sink = sink,
            .stop = stop,
            .sound = {0, UINT64_MAX},
            .outcome = {}};
    if (const auto tag = qv::audio::FindMp3InfoTag(mp3, qv::audio::Mp3DataStart(mp3))) {
        run.mp3 = mp3.subspan(tag->audioOffset);
        const auto [frames, frameSamples] = CountFrames(run.mp3);
        run.sound = tag->Sound(frames, frameSamples);
    }
    mad_decoder decoder;
    mad_decoder_init(&decoder, &run, Input, nullptr, Filter, Output, Error, nullptr);
    mad_decoder_run(&decoder, MAD_DECODER_MODE_SYNC);
    mad_decoder_finish(&decoder);
    if (run.Stopping()) run.outcome.stopped = true;
    return run.outcome;
}
