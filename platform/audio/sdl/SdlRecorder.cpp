#include "platform/audio/sdl/SdlRecorder.h"

#include <SDL.h>

#include "platform/os/Log.h"
#include "platform/os/Utf.h"

namespace qv::audio::sdl {

namespace {

constexpr int kFrameBytes = kRecordChannels * static_cast<int>(sizeof(std::int16_t));

}  // namespace

SdlRecorder::~SdlRecorder() {
    if (m_encoder) (void)Stop();
}

void SdlRecorder::Lock() const {
    if (m_device) SDL_LockAudioDevice(m_device);
}

void SdlRecorder::Unlock() const {
    if (m_device) SDL_UnlockAudioDevice(m_device);
}

AudioResult SdlRecorder::Prepare(const std::u16string& path, const std::string& deviceName) {
    if (m_encoder) (void)Stop();
    std::u16string error;
    std::unique_ptr<Mp3Encoder> encoder = Mp3Encoder::Create(path, kRecordRate, kRecordChannels, error);
    if (!encoder) return AudioResult::Fail(error);
    SDL_AudioSpec want{};
    want.freq = kRecordRate;
    want.format = AUDIO_S16SYS;
    want.channels = kRecordChannels;
    want.samples = kRecordBlockFrames;
    want.callback = &SdlRecorder::CaptureThunk;
    want.userdata = this;
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID device =
        SDL_OpenAudioDevice(deviceName.empty() ? nullptr : deviceName.c_str(), 1, &want, &have, 0);
    if (device == 0) {
        QV_LOGE("SDL_OpenAudioDevice(%s, capture): %s", deviceName.c_str(), SDL_GetError());
        // The encoder goes unfinished: the file at path stays as it was.
        return AudioResult::Fail(u"The input device cannot be opened: " + qv::os::Utf8ToUtf16(SDL_GetError()));
    }
    // The device is paused: its thread takes nothing until Start.
    m_device = device;
    m_started = false;
    Lock();
    m_encoder = std::move(encoder);
    m_frames = 0;
    m_writeFailed = false;
    m_levels = {};
    Unlock();
    return AudioResult::Ok();
}

AudioResult SdlRecorder::Start() {
    if (!m_encoder) return AudioResult::Fail(u"No recording file is open.");
    if (!m_started) SDL_PauseAudioDevice(m_device, 0);
    m_started = true;
    return AudioResult::Ok();
}

AudioResult SdlRecorder::Stop() {
    if (!m_encoder) return AudioResult::Ok();
    // Joins the device's thread: Capture does not run after this.
    SDL_CloseAudioDevice(m_device);
    m_device = 0;
    m_started = false;
    m_levels = {};
    std::u16string error;
    const bool written = m_encoder->Finish(error);
    m_encoder.reset();
    return written ? AudioResult::Ok() : AudioResult::Fail(error);
}

void SdlRecorder::SetInputVolume(int percent) {
    Lock();
    m_volume = percent;
    Unlock();
}

void SdlRecorder::SetMetering(bool on) {
    Lock();
    m_metering = on;
    m_levels = {};
    Unlock();
}

bool SdlRecorder::IsRecording() const {
    Lock();
    const bool recording = m_started && !m_writeFailed;
    Unlock();
    return recording;
}

std::uint64_t SdlRecorder::RecordedMs() const {
    Lock();
    const std::uint64_t ms = m_frames * 1000 / kRecordRate;
    Unlock();
    return ms;
}

Levels SdlRecorder::GetLevels() const {
    Lock();
    const Levels levels = m_started ? m_levels : Levels{};
    Unlock();
    return levels;
}

void SDLCALL SdlRecorder::CaptureThunk(void* self, Uint8* stream, int len) {
    static_cast<SdlRecorder*>(self)->Capture(stream, len);
}

void SdlRecorder::Capture(Uint8* in, int len) {
    if (!m_encoder) return;
    auto* samples = reinterpret_cast<std::int16_t*>(in);
    const std::size_t frames = static_cast<std::size_t>(len / kFrameBytes);
    const Levels levels = ScaleFrames(samples, frames, kRecordChannels, m_volume, m_volume, m_metering);
    if (m_metering) m_levels = levels;
    if (m_encoder->Encode(samples, frames)) m_frames += frames;
    else m_writeFailed = true;
}

}  // namespace qv::audio::sdl
