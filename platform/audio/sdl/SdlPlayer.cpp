#include "platform/audio/sdl/SdlPlayer.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/os/Log.h"
#include "platform/os/Utf.h"

namespace qv::audio::sdl {

namespace {

constexpr int kFrameBytes = kPlayerChannels * static_cast<int>(sizeof(std::int16_t));
static_assert(kPlayerChannels == PlaybackConverter::kChannels);

}  // namespace

SdlPlayer::~SdlPlayer() { CloseDevice(); }

void SdlPlayer::Lock() const {
    if (m_device) SDL_LockAudioDevice(m_device);
}

void SdlPlayer::Unlock() const {
    if (m_device) SDL_UnlockAudioDevice(m_device);
}

void SdlPlayer::SetSource(std::unique_ptr<IPcmSource> source) {
    Lock();
    std::swap(m_source, source);
    m_playing = false;
    m_startFrame = 0;
    Rewind(0);
    Unlock();
    // The old sound (now in source) goes outside the lock.
}

void SdlPlayer::Rewind(std::uint64_t frame) {
    m_convert.reset();
    if (m_source && m_deviceRate > 0) m_convert = PlaybackConverter::Create(*m_source, m_deviceRate);
    if (m_source) m_source->Seek(frame);
    m_baseFrame = frame;
    m_playedFrames = 0;
    m_levels = {};
}

AudioResult SdlPlayer::OpenDevice(const std::string& deviceName) {
    SDL_AudioSpec want{};
    want.freq = kPlayerRate;
    want.format = AUDIO_S16SYS;
    want.channels = kPlayerChannels;
    want.samples = kPlayerBlockFrames;
    want.callback = &SdlPlayer::FillThunk;
    want.userdata = this;
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(deviceName.empty() ? nullptr : deviceName.c_str(), 0, &want,
                                                         &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device == 0) {
        QV_LOGE("SDL_OpenAudioDevice(%s): %s", deviceName.c_str(), SDL_GetError());
        return AudioResult::Fail(u"The output device cannot be opened: " + qv::os::Utf8ToUtf16(SDL_GetError()));
    }
    // Opened paused: nothing reaches Fill until the state below is set.
    m_device = device;
    m_deviceName = deviceName;
    m_deviceRate = have.freq;
    return AudioResult::Ok();
}

void SdlPlayer::CloseDevice() {
    if (!m_device) return;
    // Joins the device's thread: Fill does not run after this.
    SDL_CloseAudioDevice(m_device);
    m_device = 0;
    m_deviceRate = 0;
    m_playing = false;
}

AudioResult SdlPlayer::Start(const std::string& deviceName) {
    if (!m_source) return AudioResult::Fail(u"No sound is open.");
    if (m_device && deviceName != m_deviceName) CloseDevice();
    const bool opened = m_device == 0;
    if (opened) {
        if (AudioResult result = OpenDevice(deviceName); !result) return result;
    }
    Lock();
    if (!m_playing) Rewind(m_startFrame);
    const bool converting = m_convert != nullptr;
    m_playing = converting;
    Unlock();
    if (!converting) return AudioResult::Fail(u"The sound cannot be converted for the device.");
    if (opened) SDL_PauseAudioDevice(m_device, 0);
    return AudioResult::Ok();
}

void SdlPlayer::Stop() {
    CloseDevice();
    m_startFrame = 0;
    Rewind(0);
}

void SdlPlayer::Seek(std::uint64_t milliseconds) {
    if (!m_source) return;
    const std::uint64_t frame =
        std::min(milliseconds * static_cast<std::uint64_t>(m_source->Rate()) / 1000, m_source->TotalFrames());
    Lock();
    if (m_playing) Rewind(frame);
    else m_startFrame = frame;
    Unlock();
}

void SdlPlayer::SetVolume(int left, int right) {
    Lock();
    m_volume[0] = left;
    m_volume[1] = right;
    Unlock();
}

void SdlPlayer::SetMetering(bool on) {
    Lock();
    m_metering = on;
    m_levels = {};
    Unlock();
}

void SdlPlayer::SetCallback(AudioStreamCallback fn, std::uint32_t messages, void* context, bool notifyEnd) {
    Lock();
    m_callback = fn;
    m_messages = messages;
    m_context = context;
    m_notifyEnd = notifyEnd;
    Unlock();
}

bool SdlPlayer::IsPlaying() const {
    Lock();
    const bool playing = m_playing;
    Unlock();
    return playing;
}

std::uint64_t SdlPlayer::PositionMs() const {
    Lock();
    std::uint64_t ms = 0;
    if (m_playing && m_source && m_deviceRate > 0)
        ms = m_baseFrame * 1000 / static_cast<std::uint64_t>(m_source->Rate()) +
             m_playedFrames * 1000 / static_cast<std::uint64_t>(m_deviceRate);
    else if (m_source)
        ms = m_startFrame * 1000 / static_cast<std::uint64_t>(m_source->Rate());
    Unlock();
    return ms;
}

std::uint64_t SdlPlayer::DurationMs() const {
    if (!m_source) return 0;
    return m_source->TotalFrames() * 1000 / static_cast<std::uint64_t>(m_source->Rate());
}

Levels SdlPlayer::GetLevels() const {
    Lock();
    const Levels levels = m_playing ? m_levels : Levels{};
    Unlock();
    return levels;
}

void SDLCALL SdlPlayer::FillThunk(void* self, Uint8* stream, int len) { static_cast<SdlPlayer*>(self)->Fill(stream, len); }

void SdlPlayer::Fill(Uint8* out, int len) {
    int produced = 0;
    if (m_playing) {
        if (m_convert)
            produced = static_cast<int>(m_convert->Read(reinterpret_cast<std::int16_t*>(out),
                                                        static_cast<std::size_t>(len / kFrameBytes))) * kFrameBytes;
        const std::size_t frames = static_cast<std::size_t>(produced / kFrameBytes);
        const Levels levels = ScaleFrames(reinterpret_cast<std::int16_t*>(out), frames, kPlayerChannels, m_volume[0],
                                          m_volume[1], m_metering);
        if (m_metering) m_levels = levels;
        m_playedFrames += frames;
        // The block before handed the last samples over: the sound has ended.
        if (produced == 0) EndOfSound();
    }
    std::memset(out + produced, 0, static_cast<std::size_t>(len - produced));
}

void SdlPlayer::EndOfSound() {
    m_playing = false;
    m_startFrame = 0;
    m_levels = {};
    if (m_notifyEnd && m_callback && (m_messages & kMessagePlaybackEnd))
        m_callback(m_owner, m_context, kMessagePlaybackEnd, 0, 0);
}

}  // namespace qv::audio::sdl
