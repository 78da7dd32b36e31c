#pragma once
// The audio engine: each player or recorder is one IAudioStream made by
// CreateAudioStream and ended by its Release. A player opens a file (MP3 or
// PCM WAV) or MP3 bytes and plays them on an output device; a recorder opens
// the capture URL and records the chosen input into an MP3 file.
//
// A stream is used from one thread at a time (the UI thread). Its device
// runs on a thread of the backend; the callback is called there and must not
// call the stream. Every failing call sets a non-empty error text.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/audio/AudioRecords.h"

namespace qv::audio {

class IAudioStream;

// End of playback: the callback's message when a started sound has played to
// its end (once per Start).
constexpr std::uint32_t kMessagePlaybackEnd = 0x10000;

// Called on the device's thread with the context given to SetCallback and one
// of the messages asked for; answers 0.
using AudioStreamCallback = int (*)(IAudioStream* stream, void* context, std::uint32_t message,
                                    std::uintptr_t param1, std::uintptr_t param2);

enum class StreamOption : int {
    InputVolume = 1,   // recorder: gain applied to the input, 0..100 (default 100)
    NotifyEnd = 2,     // player: 1 calls back at the end of playback (default 1)
    MeterLevels = 3,   // 1 measures the levels GetLevel reports (default 1)
};

enum class StreamProperty : int {
    JumpToSecond = 2,  // one value: the second to go on from
};

enum class MemoryFormat : int {
    Mp3 = 1,
};

// The URL that opens a recorder on the chosen capture device. "src" must be
// "line"; "volume" (0..100) sets the input volume.
constexpr const char16_t* kLineInUrl = u"wavein://src=line;volume=100;";

class IAudioStream {
public:
    virtual bool SetOption(StreamOption option, int value) = 0;
    // The last failure's text; valid until the next call on the stream.
    virtual const char16_t* GetLastErrorText() = 0;

    // Device lists are read anew by the Count calls; Info and Select index
    // into the list the last Count read. A selection takes effect at the next
    // device open; without one the backend's default device is used.
    virtual int GetOutputDeviceCount() = 0;
    virtual bool GetOutputDeviceInfo(int index, AudioDeviceInfo* info) = 0;
    virtual bool SelectOutputDevice(int index) = 0;
    virtual int GetInputDeviceCount() = 0;
    virtual bool GetInputDeviceInfo(int index, AudioDeviceInfo* info) = 0;
    virtual bool SelectInputDevice(int index) = 0;

    // A file path (player) or kLineInUrl (recorder). Opening a sound stops
    // what played before; the device stays open for it.
    virtual bool Open(const char16_t* urlOrPath) = 0;
    // A player on a copy of the bytes.
    virtual bool OpenMemory(const void* data, std::size_t size, MemoryFormat format) = 0;
    // Recorder: the MP3 file to record into. The recording replaces it at
    // Stop (or Release) when it holds at least one whole frame; until then,
    // and after a failure to start, the file stays as it was.
    virtual bool StartRecord(const char16_t* path) = 0;

    // Player: plays from the current position (the start after Stop or the
    // end). Recorder: records until Stop.
    virtual bool Start() = 0;
    // Player: stops and rewinds; the sound stays open. Recorder: stops and
    // completes the file; false when it could not be written whole (its
    // whole frames are kept). A recorder whose write failed stops recording
    // by itself: GetStatus reports it no longer running.
    virtual bool Stop() = 0;

    virtual bool SetProperty(StreamProperty property, const std::int32_t* values, int count) = 0;
    // Volume 0..100 of the left and right channel.
    virtual bool SetVolume(int left, int right) = 0;
    // Peak levels 0..100 of the latest block played or recorded.
    virtual bool GetLevel(int* left, int* right) = 0;

    virtual bool GetDuration(AudioDuration* duration) = 0;
    virtual bool GetPosition(AudioPosition* position) = 0;
    virtual bool GetStatus(AudioStatus* status) = 0;

    // messages: the messages wanted (kMessagePlaybackEnd); null fn: none.
    virtual bool SetCallback(AudioStreamCallback fn, std::uint32_t messages, void* context) = 0;

    // Stops the stream, closes its device and deletes it. Returns only when
    // no callback can follow.
    virtual void Release() = 0;

protected:
    ~IAudioStream() = default;
};

// A new stream; null only when none can be made.
IAudioStream* CreateAudioStream();
// Test seam: CreateAudioStream answers what the factory makes instead of a
// stream of the backend. Null restores the backend.
using AudioStreamFactory = IAudioStream* (*)();
void SetAudioStreamFactory(AudioStreamFactory factory);

// Owning handle for callers that keep a stream in a scope.
struct AudioStreamReleaser {
    void operator()(IAudioStream* stream) const { stream->Release(); }
};
using AudioStreamPtr = std::unique_ptr<IAudioStream, AudioStreamReleaser>;

}  // namespace qv::audio
