#include "platform/audio/Resampler.h"

#include <samplerate.h>

#include "platform/os/Log.h"

namespace qv::audio {

std::unique_ptr<Resampler> Resampler::Create(int channels, int inRate, int outRate) {
    if (channels < 1 || channels > 2 || inRate <= 0 || outRate <= 0) return nullptr;
    const double ratio = static_cast<double>(outRate) / inRate;
    if (!src_is_valid_ratio(ratio)) return nullptr;
    int error = 0;
    SRC_STATE* state = src_new(SRC_SINC_FASTEST, channels, &error);
    if (!state) {
        QV_LOGE("src_new: %s", src_strerror(error));
        return nullptr;
    }
    return std::unique_ptr<Resampler>(new Resampler(state, channels, ratio));
}

Resampler::~Resampler() { src_delete(m_state); }

std::optional<Resampler::Step> Resampler::Process(std::span<const float> in, std::span<float> out, bool last) {
    const auto channels = static_cast<std::size_t>(m_channels);
    SRC_DATA data{};
    data.data_in = in.data();
    data.data_out = out.data();
    data.input_frames = static_cast<long>(in.size() / channels);
    data.output_frames = static_cast<long>(out.size() / channels);
    data.end_of_input = last ? 1 : 0;
    data.src_ratio = m_ratio;
    if (const int error = src_process(m_state, &data); error != 0) {
        QV_LOGE("src_process: %s", src_strerror(error));
        return std::nullopt;
    }
    return Step{static_cast<std::size_t>(data.input_frames_used), static_cast<std::size_t>(data.output_frames_gen)};
}

}  // namespace qv::audio
