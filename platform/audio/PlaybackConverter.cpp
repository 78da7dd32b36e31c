#include "platform/audio/PlaybackConverter.h"

#include <algorithm>

namespace qv::audio {

namespace {

// Source frames decoded per step: one MP3 frame's worth.
constexpr std::size_t kChunkFrames = 1152;
// Device frames the resampler writes per call.
constexpr std::size_t kOutFrames = 1024;

// Frames of `channels` samples to the device's stereo frames.
template <class Sample, class Convert>
void ToStereo(const Sample* in, std::size_t frames, int channels, std::int16_t* out, Convert convert) {
    for (std::size_t i = 0; i < frames; ++i) {
        const Sample* frame = in + i * static_cast<std::size_t>(channels);
        out[2 * i] = convert(frame[0]);
        out[2 * i + 1] = convert(frame[channels - 1]);
    }
}

}  // namespace

std::unique_ptr<PlaybackConverter> PlaybackConverter::Create(IPcmSource& source, int deviceRate) {
    std::unique_ptr<Resampler> resampler;
    if (source.Rate() != deviceRate) {
        resampler = Resampler::Create(source.Channels(), source.Rate(), deviceRate);
        if (!resampler) return nullptr;
    }
    return std::unique_ptr<PlaybackConverter>(new PlaybackConverter(source, std::move(resampler)));
}

PlaybackConverter::PlaybackConverter(IPcmSource& source, std::unique_ptr<Resampler> resampler)
    : m_source(source), m_resampler(std::move(resampler)) {
    const auto channels = static_cast<std::size_t>(source.Channels());
    m_decoded.resize(kChunkFrames * channels);
    if (m_resampler) {
        m_in.resize(kChunkFrames * channels);
        m_out.resize(kOutFrames * channels);
    }
}

std::size_t PlaybackConverter::Copy(std::int16_t* out, std::size_t maxFrames) {
    std::size_t produced = 0;
    while (produced < maxFrames) {
        const std::size_t n = m_source.Read(m_decoded.data(), std::min(kChunkFrames, maxFrames - produced));
        if (n == 0) break;
        ToStereo(m_decoded.data(), n, m_source.Channels(), out + 2 * produced, [](std::int16_t s) { return s; });
        produced += n;
    }
    return produced;
}

bool PlaybackConverter::Refill() {
    const std::size_t frames = m_source.Read(m_decoded.data(), kChunkFrames);
    const std::size_t samples = frames * static_cast<std::size_t>(m_source.Channels());
    for (std::size_t i = 0; i < samples; ++i) m_in[i] = static_cast<float>(m_decoded[i]) / 32768.0f;
    m_inAt = 0;
    m_inEnd = samples;
    return frames > 0;
}

std::size_t PlaybackConverter::Read(std::int16_t* out, std::size_t maxFrames) {
    if (!m_resampler) return Copy(out, maxFrames);
    const auto channels = static_cast<std::size_t>(m_source.Channels());
    std::size_t produced = 0;
    while (produced < maxFrames && !m_finished) {
        if (m_inAt == m_inEnd && !m_sourceDone) m_sourceDone = !Refill();
        const std::size_t room = std::min(kOutFrames, maxFrames - produced) * channels;
        const auto step = m_resampler->Process(std::span(m_in).subspan(m_inAt, m_inEnd - m_inAt),
                                               std::span(m_out).first(room), m_sourceDone);
        // Input is left only before the source's end, and a call that makes
        // nothing after it has given the filter's last.
        if (!step || (step->used == 0 && step->made == 0)) {
            m_finished = true;
            break;
        }
        m_inAt += step->used * channels;
        ToStereo(m_out.data(), step->made, m_source.Channels(), out + 2 * produced, FloatToS16);
        produced += step->made;
    }
    return produced;
}

}  // namespace qv::audio
