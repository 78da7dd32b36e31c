#include "plugin/upload/ConvertForDevice.h"

#include <SDL.h>

#include <algorithm>
#include <memory>

#include "platform/os/Log.h"
#include "plugin/upload/CWaveFile.h"
#include "plugin/upload/UploadFrames.h"
#include "plugin/upload/WaveImage.h"

namespace {

// SDL takes at most an int's worth of bytes per call.
constexpr std::size_t kPutChunkBytes = 1 << 20;
// Far more than a key holds: a file of a tiny rate must not turn into
// gigabytes at the card's rate.
constexpr std::uint64_t kMaxConvertedBytes = 64ull << 20;
// SDL's resampler keeps the last 512 input frames back even when flushed:
// silence after the sound pushes them out, and the output is cut to the
// sound's own length.
constexpr std::size_t kTailFrames = 1024;

std::optional<SDL_AudioFormat> SdlFormatOf(const PcmWaveFormat& format) {
    switch (format.bitsPerSample) {
    case 8: return AUDIO_U8;
    case 16: return AUDIO_S16LSB;
    case 32: return AUDIO_S32LSB;
    default: return std::nullopt;
    }
}

struct StreamFree {
    void operator()(SDL_AudioStream* stream) const { SDL_FreeAudioStream(stream); }
};

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
    const auto sdlFormat = SdlFormatOf(format);
    if (!sdlFormat || pcm.empty() || format.channels == 0 || format.channels > 2 || format.samplesPerSec == 0 ||
        format.samplesPerSec > INT32_MAX || format.blockAlign == 0)
        return std::nullopt;
    const std::uint64_t frames = pcm.size() / format.blockAlign;
    if (frames * kDeviceRate / format.samplesPerSec * 2 > kMaxConvertedBytes) {
        QV_LOGE("the sound is too long to convert");
        return std::nullopt;
    }
    std::unique_ptr<SDL_AudioStream, StreamFree> stream(SDL_NewAudioStream(
        *sdlFormat, static_cast<Uint8>(format.channels), static_cast<int>(format.samplesPerSec), AUDIO_S16LSB, 1,
        static_cast<int>(kDeviceRate)));
    if (!stream) {
        QV_LOGE("no audio stream: %s", SDL_GetError());
        return std::nullopt;
    }
    for (std::size_t at = 0; at < pcm.size(); at += kPutChunkBytes) {
        const std::size_t n = std::min(kPutChunkBytes, pcm.size() - at);
        if (SDL_AudioStreamPut(stream.get(), pcm.data() + at, static_cast<int>(n)) != 0) {
            QV_LOGE("audio conversion failed: %s", SDL_GetError());
            return std::nullopt;
        }
    }
    const std::vector<std::uint8_t> tail(kTailFrames * format.blockAlign, format.bitsPerSample == 8 ? 0x80 : 0);
    if (SDL_AudioStreamPut(stream.get(), tail.data(), static_cast<int>(tail.size())) != 0 ||
        SDL_AudioStreamFlush(stream.get()) != 0)
        return std::nullopt;
    // The stream hands its output on in pieces: taken until none is left.
    std::vector<std::uint8_t> out;
    for (;;) {
        const std::size_t at = out.size();
        const int available = SDL_AudioStreamAvailable(stream.get());
        out.resize(at + static_cast<std::size_t>(std::max(available, 0)) + 4096);
        const int got = SDL_AudioStreamGet(stream.get(), out.data() + at, static_cast<int>(out.size() - at));
        if (got < 0) return std::nullopt;
        out.resize(at + static_cast<std::size_t>(got));
        if (got == 0) break;
    }
    out.resize(std::min<std::size_t>(out.size(), frames * kDeviceRate / format.samplesPerSec * 2));
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
