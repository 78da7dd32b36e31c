#include "plugin/upload/Mp3Decode.h"

#include <mad.h>

#include <array>

#include "platform/os/Log.h"
#include "plugin/upload/CLibmadDecoder.h"

namespace {

// What libmad's callbacks share for one run.
struct Run {
    std::span<const std::uint8_t> mp3;
    bool given = false;  // the data went to libmad (once)
    float gain;
    int limitSeconds;
    const PcmSink& sink;
    const std::atomic<bool>* stop;
    Mp3DecodeOutcome outcome;
    std::array<std::uint8_t, 1152 * 4> pcm{};  // a frame holds at most 1152 samples per channel

    bool Stopping() const { return stop && stop->load(); }
};

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
    if (out.samples == 0) {
        out.format = MakePcmFormat(static_cast<std::uint16_t>(channels), rate, 16);
    } else if (channels != out.format.channels || rate != out.format.samplesPerSec) {
        QV_LOGW("a frame of %u channels at %u Hz ends the sound", channels, rate);
        return MAD_FLOW_STOP;
    }
    out.samples += n;
    const std::size_t bytes = CLibmadDecoder::ScaleSamples(run->gain, pcm->samples[0],
                                                           channels > 1 ? pcm->samples[1] : nullptr, n, run->pcm.data());
    if (!run->sink({run->pcm.data(), bytes})) {
        out.sinkFailed = true;
        return MAD_FLOW_STOP;
    }
    const double seconds = static_cast<double>(out.samples) / rate;
    return static_cast<long long>(seconds) < run->limitSeconds ? MAD_FLOW_CONTINUE : MAD_FLOW_STOP;
}

}  // namespace

Mp3DecodeOutcome DecodeMp3(std::span<const std::uint8_t> mp3, float gain, int limitSeconds, const PcmSink& sink,
                           const std::atomic<bool>* stop) {
    Run run{.mp3 = mp3, .gain = gain, .limitSeconds = limitSeconds, .sink = sink, .stop = stop, .outcome = {}};
    mad_decoder decoder;
    mad_decoder_init(&decoder, &run, Input, nullptr, Filter, Output, Error, nullptr);
    mad_decoder_run(&decoder, MAD_DECODER_MODE_SYNC);
    mad_decoder_finish(&decoder);
    if (run.Stopping()) run.outcome.stopped = true;
    return run.outcome;
}
