#include "tests/support/FakeAudioStream.h"

namespace qv::test {

namespace {

using namespace qv::audio;

FakeStreamScript* g_script = nullptr;

class FakeAudioStream final : public IAudioStream {
public:
    bool SetOption(StreamOption, int) override { return true; }
    const char16_t* GetLastErrorText() override { return u""; }
    int GetOutputDeviceCount() override { return 0; }
    bool GetOutputDeviceInfo(int, AudioDeviceInfo*) override { return false; }
    bool SelectOutputDevice(int) override { return false; }
    int GetInputDeviceCount() override { return 0; }
    bool GetInputDeviceInfo(int, AudioDeviceInfo*) override { return false; }
    bool SelectInputDevice(int) override { return false; }
    bool Open(const char16_t*) override { return true; }
    bool OpenMemory(const void*, std::size_t, MemoryFormat) override { return true; }
    bool StartRecord(const char16_t*) override { return true; }
    bool Start() override {
        m_running = true;
        return true;
    }
    bool Stop() override {
        m_running = false;
        return true;
    }
    bool SetProperty(StreamProperty, const std::int32_t*, int) override { return true; }
    bool SetVolume(int, int) override { return true; }
    bool GetLevel(int* left, int* right) override {
        *left = g_script->levels[0];
        *right = g_script->levels[1];
        return true;
    }
    bool GetDuration(AudioDuration* duration) override {
        *duration = g_script->duration;
        return true;
    }
    bool GetPosition(AudioPosition* position) override {
        *position = g_script->position;
        return true;
    }
    bool GetStatus(AudioStatus* status) override {
        status->running = m_running ? 1 : 0;
        status->ready = 1;
        return true;
    }
    bool SetCallback(AudioStreamCallback, std::uint32_t, void*) override { return true; }
    void Release() override { delete this; }

private:
    ~FakeAudioStream() = default;
    bool m_running = false;
};

IAudioStream* MakeFake() { return new FakeAudioStream(); }

}  // namespace

FakeAudioStreams::FakeAudioStreams() {
    g_script = &script;
    SetAudioStreamFactory(&MakeFake);
}

FakeAudioStreams::~FakeAudioStreams() {
    SetAudioStreamFactory(nullptr);
    g_script = nullptr;
}

}  // namespace qv::test
