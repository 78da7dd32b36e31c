#include "plugin/upload/ConvertForDevice.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>

#include "platform/audio/Resampler.h"
#include "platform/os/Log.h"
#include "plugin/upload/CWaveFile.h"
#include "plugin/upload/UploadFrames.h"
#include "plugin/upload/WaveImage.h"

namespace {

// Source frames converted per step, so that the float copies stay small.
constexpr std::size_t kChunkFrames = 1 << 16;
// Far more than a key holds: a file of a tiny rate must not turn into
// gigabytes at the card's rate.
constexpr std::uint64_t kMaxConvertedBytes = 64ull << 20;

// One sample of the formats the WAV reader takes, as a float in -1 .. 1.
float SampleAt(const std::uint8_t* p, std::uint16_t bits) {
    switch (bits) {
    case 8: return (static_cast<float>(p[0]) - 128.0f) / 128.0f;
    case 16: return static_cast<float>(static_cast<std::int16_t>(p[0] | p[1] << 8)) / 32768.0f;
    default:
        return static_cast<float>(static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | p[1] << 8 | p[2] << 16 |
                                                            static_cast<std::uint32_t>(p[3]) << 24)) /
               2147483648.0f;
    }
}

// Whole frames of PCM as mono floats: the mean of the channels.
void MixToMono(std::span<const std::uint8_t> pcm, const PcmWaveFormat& format, std::vector<float>& mono) {
    const std::size_t bytes = format.bitsPerSample / 8u;
    mono.resize(pcm.size() / format.blockAlign);
    for (std::size_t i = 0; i < mono.size(); ++i) {
        const std::uint8_t* frame = pcm.data() + i * format.blockAlign;
        float sum = 0;
        for (std::size_t c = 0; c < format.channels; ++c) sum += SampleAt(frame + c * bytes, format.bitsPerSample);
        mono[i] = sum / static_cast<float>(format.channels);
    }
}

void AppendS16(std::span<const float> samples, std::vector<std::uint8_t>& out) {
    for (const float sample : samples) {
        const auto v = static_cast<std::uint16_t>(qv::audio::FloatToS16(sample));
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
}

// Feeds the samples through the resampler; with `last`, also what its
// filter still holds. One resampler takes the whole sound, so its phase runs
// on from one piece to the next.
bool Resample(qv::audio::Resampler& resampler, std::span<const float> in, bool last, std::vector<float>& scratch,
              std::vector<std::uint8_t>& out) {
    for (;;) {
        const auto step = resampler.Process(in, scratch, last);
        if (!step) return false;
        AppendS16(std::span(scratch).first(step->made), out);
        in = in.subspan(step->used);
        if (step->used == 0 && step->made == 0) return true;
    }
}

// The source bytes that go to the key: the whole data, or less than the
// key's seconds, in whole frames.
std::size_t LengthForSlot(const CWaveFile& wave, int slot) {
    const PcmWaveFormat& format = wave.Format();
    std::uint64_t length = wave.GetDataSize();
    if (slot >= kFirstSlot && slot <= kLastSlot) {
        const std::uint64_t limit = static_cast<std::uint64_t>(SLOT_SECONDS[slot]) * format.avgBytesPerSec;
        length = std::min(length, limit);
    }
    return static_cast<std::size_t>(length - length % format.blockAlign);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ConvertToDeviceSamples(std::span<const std::uint8_t> pcm,
                                                                const PcmWaveFormat& format) {
    const std::uint16_t bits = format.bitsPerSample;
    if ((bits != 8 && bits != 16 && bits != 32) || pcm.empty() || format.channels == 0 || format.channels > 2 ||
        format.samplesPerSec == 0 || format.samplesPerSec > INT32_MAX || format.blockAlign != format.channels * bits / 8)
        return std::nullopt;
    const std::uint64_t frames = pcm.size() / format.blockAlign;
    const std::uint64_t outFrames = frames * kDeviceRate / format.samplesPerSec;
    if (outFrames * 2 > kMaxConvertedBytes) {
        QV_LOGE("the sound is too long to convert");
        return std::nullopt;
    }
    std::unique_ptr<qv::audio::Resampler> resampler;
    if (format.samplesPerSec != kDeviceRate) {
        resampler = qv::audio::Resampler::Create(1, static_cast<int>(format.samplesPerSec), static_cast<int>(kDeviceRate));
        if (!resampler) {
            QV_LOGE("no conversion from %u Hz", format.samplesPerSec);
            return std::nullopt;
        }
    }
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(outFrames * 2));
    std::vector<float> mono;
    std::vector<float> converted(kChunkFrames);
    const std::size_t chunkBytes = kChunkFrames * format.blockAlign;
    for (std::size_t at = 0; at < pcm.size(); at += chunkBytes) {
        MixToMono(pcm.subspan(at, std::min(chunkBytes, pcm.size() - at)), format, mono);
        if (!resampler) {
            AppendS16(mono, out);
        } else if (!Resample(*resampler, mono, at + chunkBytes >= pcm.size(), converted, out)) {
            return std::nullopt;
        }
    }
    // The resampler's rounding may leave a frame more or less.
    out.resize(static_cast<std::size_t>(outFrames * 2), 0);
    if (out.empty()) return std::nullopt;
    return out;
}

std::optional<std::vector<std::uint8_t>> ConvertForDevice(const std::u16string& path, int slot) {
    // Opened without a format: an empty file is refused, never made a new one.
    CWaveFile wave;
    if (!wave.Open(path, nullptr)) {
        QV_LOGE("the decoded sound is no PCM WAV");
        return std::nullopt;
    }
    const std::size_t length = LengthForSlot(wave, slot);
    if (length == 0) return std::nullopt;
    auto samples = ConvertToDeviceSamples(wave.Samples().first(length), wave.Format());
    if (!samples) return std::nullopt;
    auto image = BuildWaveImage(*samples, kDeviceRate, 1, 16);
    if (image.empty()) return std::nullopt;
    return image;
}
