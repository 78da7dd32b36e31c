#pragma once
// The SDL backend's stream: a player or a recorder as its last Open made it,
// the devices chosen from the lists, the options and the last error text.
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/AudioDeviceList.h"
#include "platform/audio/AudioStream.h"
#include "platform/audio/sdl/SdlAudioSubsystem.h"
#include "platform/audio/sdl/SdlPlayer.h"
#include "platform/audio/sdl/SdlRecorder.h"

namespace qv::audio::sdl {

class SdlAudioStream final : public IAudioStream {
public:
    SdlAudioStream() = default;

    bool SetOption(StreamOption option, int value) override;
    const char16_t* GetLastErrorText() override { return m_error.c_str(); }

    int GetOutputDeviceCount() override;
    bool GetOutputDeviceInfo(int index, AudioDeviceInfo* info) override;
    bool SelectOutputDevice(int index) override;
    int GetInputDeviceCount() override;
    bool GetInputDeviceInfo(int index, AudioDeviceInfo* info) override;
    bool SelectInputDevice(int index) override;

    bool Open(const char16_t* urlOrPath) override;
    bool OpenMemory(const void* data, std::size_t size, MemoryFormat format) override;
    bool StartRecord(const char16_t* path) override;
    bool Start() override;
    bool Stop() override;

    bool SetProperty(StreamProperty property, const std::int32_t* values, int count) override;
    bool SetVolume(int left, int right) override;
    bool GetLevel(int* left, int* right) override;
    bool GetDuration(AudioDuration* duration) override;
    bool GetPosition(AudioPosition* position) override;
    bool GetStatus(AudioStatus* status) override;
    bool SetCallback(AudioStreamCallback fn, std::uint32_t messages, void* context) override;
    void Release() override;

private:
    enum class Mode { None, Player, Recorder };
    struct DeviceChoice {
        std::vector<std::u16string> names;  // as the last count read them
        std::u16string chosen;              // empty: the backend's default
    };

    ~SdlAudioStream() = default;
    bool Fail(std::u16string text);
    bool Check(const AudioResult& result) { return result ? true : Fail(result.Error()); }
    // Fails with the reason when SDL audio is not available.
    bool HaveAudio();
    int CountDevices(DeviceDirection direction, DeviceChoice& choice);
    bool DeviceInfo(const DeviceChoice& choice, int index, AudioDeviceInfo* info);
    bool SelectDevice(DeviceChoice& choice, int index);
    bool OpenSound(std::vector<std::uint8_t> bytes, SourceFormat format);
    SdlPlayer& Player();
    void EndRecorder();

    SdlAudioLease m_lease;
    std::u16string m_error;
    DeviceChoice m_output;
    DeviceChoice m_input;
    Mode m_mode = Mode::None;
    // The player is kept across Opens so its device stays open for the next sound.
    std::unique_ptr<SdlPlayer> m_player;
    std::unique_ptr<SdlRecorder> m_recorder;
    int m_inputVolume = 100;
    bool m_notifyEnd = true;
    bool m_metering = true;
    int m_volume[2] = {100, 100};
    AudioStreamCallback m_callback = nullptr;
    std::uint32_t m_messages = 0;
    void* m_context = nullptr;
};

}  // namespace qv::audio::sdl
