#pragma once
// Plays one sound at a time on an SDL output device. The device opens at the
// first Start (16-bit stereo at the device's own rate) and stays open for the
// sounds that follow until Stop, a change of device or the player's end; a
// PlaybackConverter turns each sound into the device's format, sample-exact.
// Everything the device's thread touches is guarded by SDL's device lock.
#include <SDL_audio.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio/AudioResult.h"
#include "platform/audio/AudioStream.h"
#include "platform/audio/FrameLevels.h"
#include "platform/audio/PcmSource.h"
#include "platform/audio/PlaybackConverter.h"

namespace qv::audio::sdl {

// The format the player asks of an output device; SDL may change the rate.
constexpr int kPlayerRate = 48000;
constexpr int kPlayerChannels = 2;
constexpr int kPlayerBlockFrames = 1024;

class SdlPlayer {
public:
    explicit SdlPlayer(IAudioStream* owner) : m_owner(owner) {}
    // Closes the device: no callback follows.
    ~SdlPlayer();
    SdlPlayer(const SdlPlayer&) = delete;
    SdlPlayer& operator=(const SdlPlayer&) = delete;

    // The sound to play next; what played stops.
    void SetSource(std::unique_ptr<IPcmSource> source);
    bool HasSource() const { return m_source != nullptr; }

    // Plays on the named device (empty: SDL's default) from the position.
    AudioResult Start(const std::string& deviceName);
    // Stops, rewinds and closes the device.
    void Stop();
    // Goes on from the millisecond (playing) or starts there next (stopped).
    void Seek(std::uint64_t milliseconds);

    void SetVolume(int left, int right);
    void SetMetering(bool on);
    void SetCallback(AudioStreamCallback fn, std::uint32_t messages, void* context, bool notifyEnd);

    bool IsPlaying() const;
    std::uint64_t PositionMs() const;
    std::uint64_t DurationMs() const;
    Levels GetLevels() const;

private:
    static void SDLCALL FillThunk(void* self, Uint8* stream, int len);
    void Fill(Uint8* out, int len);
    void EndOfSound();
    // Restarts the sound's conversion at the source frame (lock held).
    void Rewind(std::uint64_t frame);
    AudioResult OpenDevice(const std::string& deviceName);
    void CloseDevice();
    void Lock() const;
    void Unlock() const;

    IAudioStream* m_owner;
    SDL_AudioDeviceID m_device = 0;
    std::string m_deviceName;
    int m_deviceRate = 0;

    // Shared with the device's thread; written under the lock.
    std::unique_ptr<IPcmSource> m_source;
    std::unique_ptr<PlaybackConverter> m_convert;  // reads m_source
    bool m_playing = false;
    std::uint64_t m_baseFrame = 0;    // source frame the current run began at
    std::uint64_t m_playedFrames = 0; // device frames handed over since then
    std::uint64_t m_startFrame = 0;   // where the next Start begins
    int m_volume[2] = {100, 100};
    bool m_metering = true;
    Levels m_levels;
    AudioStreamCallback m_callback = nullptr;
    std::uint32_t m_messages = 0;
    void* m_context = nullptr;
    bool m_notifyEnd = true;
};

}  // namespace qv::audio::sdl
