#include "plugin/sound/AudioEngine.h"

#include <cstring>
#include <memory>

#include "platform/os/Log.h"
#include "platform/os/Tick.h"
#include "platform/ui/ModuleResources.h"
#include "platform/ui/SMessageBox.h"
#include "platform/ui/WinDefs.h"
#include "plugin/app/AppEvents.h"

using qv::audio::AudioDeviceInfo;
using qv::audio::IAudioStream;
using qv::ui::SStringW;

namespace {

constexpr std::uint32_t kPlaybackMessages = qv::audio::kMessagePlaybackEnd;

// The first device whose name holds deviceName (case-sensitive), else -1.
template <class Count, class Info>
int FindDevice(const char16_t* deviceName, Count count, Info info) {
    if (!deviceName || !*deviceName) return -1;
    const int n = count();
    for (int i = 0; i < n; ++i) {
        AudioDeviceInfo device;
        if (info(i, &device) && std::u16string_view(device.name).find(deviceName) != std::u16string_view::npos)
            return i;
    }
    return -1;
}

void SelectOutput(IAudioStream* stream, const char16_t* deviceName) {
    const int index = FindDevice(
        deviceName, [&] { return stream->GetOutputDeviceCount(); },
        [&](int i, AudioDeviceInfo* d) { return stream->GetOutputDeviceInfo(i, d); });
    if (index >= 0) (void)stream->SelectOutputDevice(index);
}

void SelectInput(IAudioStream* stream, const char16_t* deviceName) {
    const int index = FindDevice(
        deviceName, [&] { return stream->GetInputDeviceCount(); },
        [&](int i, AudioDeviceInfo* d) { return stream->GetInputDeviceInfo(i, d); });
    if (index >= 0) (void)stream->SelectInputDevice(index);
}

const char16_t* const kNoStream = u"The audio engine could not make a stream.";

}  // namespace

CAudioEngine::~CAudioEngine() { ReleaseAll(); }

int CAudioEngine::OnStreamMessage(IAudioStream*, void* context, std::uint32_t message, std::uintptr_t,
                                  std::uintptr_t) {
    // Runs on the device's thread: the event crosses to the UI thread.
    if (message != qv::audio::kMessagePlaybackEnd || !qv::ui::SApplication::HasMainWnd()) return 0;
    // The sender (the main window) is set on the UI thread at delivery.
    auto event = std::make_shared<EventPlaybackMsg>(nullptr);
    event->object = context;
    event->message = static_cast<std::int32_t>(message);
    FireMainWndEventAsync(std::move(event));
    return 0;
}

void CAudioEngine::Release(IAudioStream*& stream, SStringW& errorText) {
    if (!stream) return;
    const char16_t* text = stream->GetLastErrorText();
    if (text && *text) errorText = text;
    stream->Release();
    stream = nullptr;
}

int CAudioEngine::FailPlayer() {
    Release(m_player, m_playerError);
    return 0;
}

int CAudioEngine::FailRecorder() {
    Release(m_recorder, m_recorderError);
    return 0;
}

int CAudioEngine::OpenRecorder(const char16_t* deviceName, const char16_t* path) {
    if (!m_recorder) {
        m_recorder = qv::audio::CreateAudioStream();
        if (!m_recorder) {
            m_recorderError = kNoStream;
            return 0;
        }
        (void)m_recorder->SetOption(qv::audio::StreamOption::InputVolume, 100);
        SelectInput(m_recorder, deviceName);
        if (!m_recorder->Open(qv::audio::kLineInUrl)) return FailRecorder();
    }
    if (!m_recorder->StartRecord(path)) return FailRecorder();
    return 1;
}

int CAudioEngine::MakePlayer(const char16_t* deviceName) {
    if (m_player) return 1;
    m_player = qv::audio::CreateAudioStream();
    if (!m_player) {
        m_playerError = kNoStream;
        return 0;
    }
    (void)m_player->SetOption(qv::audio::StreamOption::NotifyEnd, 1);
    (void)m_player->SetOption(qv::audio::StreamOption::MeterLevels, 1);
    SelectOutput(m_player, deviceName);
    (void)m_player->SetCallback(&CAudioEngine::OnStreamMessage, kPlaybackMessages, this);
    return 1;
}

int CAudioEngine::OpenPlayer(const char16_t* deviceName, const char16_t* path) {
    if (!MakePlayer(deviceName)) return 0;
    QV_TRACE("打开时间:%u", qv::os::GetTickCount());
    if (!m_player->Open(path)) {
        QV_TRACE("打开失败:%s", SStringW(m_player->GetLastErrorText()).ToUtf8().c_str());
        return FailPlayer();
    }
    QV_TRACE("打开时间:%u", qv::os::GetTickCount());
    return 1;
}

int CAudioEngine::PlayResource(const char16_t* resName, HMODULE module, const char16_t* deviceName) {
    if (!resName || !*resName) {
        m_playerError = u"No sound resource was named.";
        return 0;
    }
    const auto resource = qv::ui::FindModuleResource(module, u"MP3", resName);
    if (!resource) {
        m_playerError = u"播放失败，未找到资源！";
        qv::ui::SMessageBox(nullptr, u"播放失败，未找到资源！", u"提示", MB_OK);
        return 0;
    }
    if (resource->empty()) {
        m_playerError = u"The sound resource is empty.";
        return 0;
    }
    if (!MakePlayer(deviceName)) return 0;
    if (!m_player->OpenMemory(resource->data(), resource->size(), qv::audio::MemoryFormat::Mp3)) return FailPlayer();
    return 1;
}

void CAudioEngine::StopPlay() {
    if (m_player) (void)m_player->Stop();
}

void CAudioEngine::ReleaseAll() {
    ReleaseRecorder();
    ReleasePlayer();
}

SStringW CAudioEngine::GetPlayerErrorText() const { return m_player ? SStringW(m_player->GetLastErrorText()) : m_playerError; }

int CAudioEngine::SetPlayerVolume(int volume) { return m_player && m_player->SetVolume(volume, volume) ? 1 : 0; }

int CAudioEngine::JumpPlayerTo(std::int32_t second) {
    return m_player && m_player->SetProperty(qv::audio::StreamProperty::JumpToSecond, &second, 1) ? 1 : 0;
}

int CAudioEngine::GetPlayerPosition(qv::audio::AudioPosition* position) {
    return m_player && position && m_player->GetPosition(position) ? 1 : 0;
}

int CAudioEngine::GetPlayerDuration(qv::audio::AudioDuration* duration) {
    return m_player && duration && m_player->GetDuration(duration) ? 1 : 0;
}

int CAudioEngine::IsPlaying() {
    qv::audio::AudioStatus status;
    return m_player && m_player->GetStatus(&status) && status.running ? 1 : 0;
}

int CAudioEngine::IsPlayerReady() {
    qv::audio::AudioStatus status;
    return m_player && m_player->GetStatus(&status) && status.ready ? 1 : 0;
}

int CAudioEngine::StartPlayer() {
    if (!m_player) {
        m_playerError = u"No sound is open.";
        return 0;
    }
    return m_player->Start() ? 1 : FailPlayer();
}

void CAudioEngine::ReleasePlayer() { Release(m_player, m_playerError); }

SStringW CAudioEngine::GetRecorderErrorText() const {
    return m_recorder ? SStringW(m_recorder->GetLastErrorText()) : m_recorderError;
}

int CAudioEngine::GetRecorderPosition(qv::audio::AudioPosition* position) {
    return m_recorder && position && m_recorder->GetPosition(position) ? 1 : 0;
}

int CAudioEngine::GetRecorderDuration(qv::audio::AudioDuration* duration) {
    return m_recorder && duration && m_recorder->GetDuration(duration) ? 1 : 0;
}

int CAudioEngine::IsRecording() {
    qv::audio::AudioStatus status;
    return m_recorder && m_recorder->GetStatus(&status) && status.running ? 1 : 0;
}

int CAudioEngine::StartRecorder() {
    if (!m_recorder) {
        m_recorderError = u"No recording is open.";
        return 0;
    }
    return m_recorder->Start() ? 1 : FailRecorder();
}

int CAudioEngine::StopRecorder() { return m_recorder && m_recorder->Stop() ? 1 : 0; }

void CAudioEngine::ReleaseRecorder() { Release(m_recorder, m_recorderError); }
