#pragma once
// Records an SDL capture device into an MP3 file: 16-bit stereo at 44100 Hz
// (SDL converts from what the device gives), scaled by the input volume,
// measured and encoded block by block on the device's thread. Everything that
// thread touches is guarded by SDL's device lock.
#include <SDL_audio.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio/AudioResult.h"
#include "platform/audio/FrameLevels.h"
#include "platform/audio/Mp3Encoder.h"

namespace qv::audio::sdl {

constexpr int kRecordRate = 44100;
constexpr int kRecordChannels = 2;
constexpr int kRecordBlockFrames = 1024;

class SdlRecorder {
public:
    SdlRecorder() = default;
    // Stops and completes the file.
    ~SdlRecorder();
    SdlRecorder(const SdlRecorder&) = delete;
    SdlRecorder& operator=(const SdlRecorder&) = delete;

    // Opens the named capture device (empty: SDL's default), paused, to
    // record into path, which the recording replaces only when Stop keeps
    // whole frames of it; a recording prepared before is completed first.
    AudioResult Prepare(const std::u16string& path, const std::string& deviceName);
    bool IsPrepared() const { return m_encoder != nullptr; }
    AudioResult Start();
    // Closes the device and completes the file; failure when it could not be
    // written whole. The recorded length stays readable.
    AudioResult Stop();

    void SetInputVolume(int percent);
    void SetMetering(bool on);

    // False once a write failed, though the device runs until Stop.
    bool IsRecording() const;
    std::uint64_t RecordedMs() const;
    Levels GetLevels() const;

private:
    static void SDLCALL CaptureThunk(void* self, Uint8* stream, int len);
    void Capture(Uint8* in, int len);
    void Lock() const;
    void Unlock() const;

    SDL_AudioDeviceID m_device = 0;
    bool m_started = false;

    // Shared with the device's thread.
    std::unique_ptr<Mp3Encoder> m_encoder;
    std::uint64_t m_frames = 0;
    bool m_writeFailed = false;  // recording ended early; Stop says why
    int m_volume = 100;
    bool m_metering = true;
    Levels m_levels;
};

}  // namespace qv::audio::sdl
