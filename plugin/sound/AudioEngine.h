#pragma once
// CAudioEngine: the pages' holder of two audio streams, a recorder of the
// card's line input and a player of files and of MP3 sounds carried as a
// module's resources. Streams are opened on the card chosen by its device
// name, kept for later opens and released only through the holder, which
// clears its field. The error text of the stream's last failure stays
// readable after the stream is gone. The player's end of playback becomes
// EventPlaybackMsg, with this holder as its object, fired asynchronously
// while a main window exists. UI thread only.
#include <cstdint>

#include "platform/audio/AudioStream.h"
#include "platform/os/Types.h"
#include "platform/ui/SStringW.h"

class CAudioEngine {
public:
    CAudioEngine() = default;
    // Releases both streams.
    ~CAudioEngine();
    CAudioEngine(const CAudioEngine&) = delete;
    CAudioEngine& operator=(const CAudioEngine&) = delete;

    // Makes the recorder when there is none and prepares recording into the
    // file; recording begins with StartRecorder. 1 or 0.
    int OpenRecorder(const char16_t* deviceName, const char16_t* path);
    // Makes the player when there is none and opens the file; playing needs
    // StartPlayer. 1 or 0.
    int OpenPlayer(const char16_t* deviceName, const char16_t* path);
    // Opens the module's "MP3" resource of that name on the player; a null
    // module is the program's own, as the host hands its module over. 1 or 0.
    int PlayResource(const char16_t* resName, HMODULE module, const char16_t* deviceName);
    void StopPlay();
    void ReleaseAll();

    // The player; each answers 0 (or nothing) without one.
    qv::audio::IAudioStream* GetPlayer() const { return m_player; }
    qv::ui::SStringW GetPlayerErrorText() const;
    int SetPlayerVolume(int volume);
    int JumpPlayerTo(std::int32_t second);
    int GetPlayerPosition(qv::audio::AudioPosition* position);
    int GetPlayerDuration(qv::audio::AudioDuration* duration);
    int IsPlaying();
    int IsPlayerReady();
    // A failed start releases the player.
    int StartPlayer();
    void ReleasePlayer();

    // The recorder; each answers 0 (or nothing) without one.
    qv::audio::IAudioStream* GetRecorder() const { return m_recorder; }
    qv::ui::SStringW GetRecorderErrorText() const;
    int GetRecorderPosition(qv::audio::AudioPosition* position);
    int GetRecorderDuration(qv::audio::AudioDuration* duration);
    int IsRecording();
    // A failed start releases the recorder.
    int StartRecorder();
    // Completes the recording; 0 when its file could not be written whole.
    int StopRecorder();
    void ReleaseRecorder();

private:
    // The callback the player registers; its context is the holder.
    static int OnStreamMessage(qv::audio::IAudioStream* stream, void* context, std::uint32_t message,
                               std::uintptr_t param1, std::uintptr_t param2);
    // Creates a player with its options, device and callback; 0 when none.
    int MakePlayer(const char16_t* deviceName);
    // Keeps the stream's error text and releases it.
    void Release(qv::audio::IAudioStream*& stream, qv::ui::SStringW& errorText);
    // Keeps the stream's error text, releases it and answers 0.
    int FailPlayer();
    int FailRecorder();

    qv::audio::IAudioStream* m_recorder = nullptr;
    qv::audio::IAudioStream* m_player = nullptr;
    qv::ui::SStringW m_recorderError;  // the last failure of a recorder now gone
    qv::ui::SStringW m_playerError;
};
