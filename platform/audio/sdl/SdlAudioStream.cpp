#include "platform/audio/sdl/SdlAudioStream.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <optional>

#include "platform/audio/CaptureUrl.h"
#include "platform/audio/SoundFile.h"
#include "platform/audio/sdl/SdlDeviceNames.h"
#include "platform/os/Utf.h"

namespace qv::audio {

namespace {

std::atomic<AudioStreamFactory> g_factory{nullptr};

}  // namespace

IAudioStream* CreateAudioStream() {
    if (const AudioStreamFactory factory = g_factory.load()) return factory();
    return new (std::nothrow) sdl::SdlAudioStream();
}

void SetAudioStreamFactory(AudioStreamFactory factory) { g_factory.store(factory); }

}  // namespace qv::audio

namespace qv::audio::sdl {

namespace {

bool IsPercent(int value) { return value >= 0 && value <= 100; }
bool IsSwitch(int value) { return value == 0 || value == 1; }

}  // namespace

bool SdlAudioStream::Fail(std::u16string text) {
    m_error = text.empty() ? u"audio failure" : std::move(text);
    return false;
}

bool SdlAudioStream::HaveAudio() { return m_lease.IsHeld() || Fail(m_lease.Error()); }

bool SdlAudioStream::SetOption(StreamOption option, int value) {
    switch (option) {
    case StreamOption::InputVolume:
        if (!IsPercent(value)) return Fail(u"The input volume must be 0 to 100.");
        m_inputVolume = value;
        if (m_recorder) m_recorder->SetInputVolume(value);
        return true;
    case StreamOption::NotifyEnd:
        if (!IsSwitch(value)) return Fail(u"The end notification is 0 or 1.");
        m_notifyEnd = value == 1;
        if (m_player) m_player->SetCallback(m_callback, m_messages, m_context, m_notifyEnd);
        return true;
    case StreamOption::MeterLevels:
        if (!IsSwitch(value)) return Fail(u"Level metering is 0 or 1.");
        m_metering = value == 1;
        if (m_player) m_player->SetMetering(m_metering);
        if (m_recorder) m_recorder->SetMetering(m_metering);
        return true;
    }
    return Fail(u"The option is unknown.");
}

int SdlAudioStream::CountDevices(DeviceDirection direction, DeviceChoice& choice) {
    if (!HaveAudio()) return 0;
    choice.names = DeviceNames(direction);
    return static_cast<int>(choice.names.size());
}

bool SdlAudioStream::DeviceInfo(const DeviceChoice& choice, int index, AudioDeviceInfo* info) {
    if (!info) return Fail(u"No record was given.");
    if (index < 0 || static_cast<std::size_t>(index) >= choice.names.size())
        return Fail(u"The device index is outside the device list.");
    const std::u16string& name = choice.names[static_cast<std::size_t>(index)];
    const std::size_t units = std::min<std::size_t>(name.size(), kDeviceNameUnits - 1);
    std::memcpy(info->name, name.data(), units * sizeof(char16_t));
    info->name[units] = 0;
    return true;
}

bool SdlAudioStream::SelectDevice(DeviceChoice& choice, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= choice.names.size())
        return Fail(u"The device index is outside the device list.");
    choice.chosen = choice.names[static_cast<std::size_t>(index)];
    return true;
}

int SdlAudioStream::GetOutputDeviceCount() { return CountDevices(DeviceDirection::Output, m_output); }
int SdlAudioStream::GetInputDeviceCount() { return CountDevices(DeviceDirection::Capture, m_input); }
bool SdlAudioStream::GetOutputDeviceInfo(int index, AudioDeviceInfo* info) { return DeviceInfo(m_output, index, info); }
bool SdlAudioStream::GetInputDeviceInfo(int index, AudioDeviceInfo* info) { return DeviceInfo(m_input, index, info); }
bool SdlAudioStream::SelectOutputDevice(int index) { return SelectDevice(m_output, index); }
bool SdlAudioStream::SelectInputDevice(int index) { return SelectDevice(m_input, index); }

SdlPlayer& SdlAudioStream::Player() {
    if (!m_player) {
        m_player = std::make_unique<SdlPlayer>(this);
        m_player->SetVolume(m_volume[0], m_volume[1]);
        m_player->SetMetering(m_metering);
        m_player->SetCallback(m_callback, m_messages, m_context, m_notifyEnd);
    }
    return *m_player;
}

void SdlAudioStream::EndRecorder() {
    if (!m_recorder) return;
    (void)m_recorder->Stop();
    m_recorder.reset();
}

bool SdlAudioStream::OpenSound(std::vector<std::uint8_t> bytes, SourceFormat format) {
    if (!HaveAudio()) return false;
    std::u16string error;
    std::unique_ptr<IPcmSource> source;
    try {
        source = OpenPcmSource(std::move(bytes), format, error);
    } catch (const std::bad_alloc&) {
        return Fail(u"There is not enough memory for the sound.");
    }
    if (!source) return Fail(error);
    EndRecorder();
    Player().SetSource(std::move(source));
    m_mode = Mode::Player;
    return true;
}

bool SdlAudioStream::Open(const char16_t* urlOrPath) {
    if (!urlOrPath || !*urlOrPath) return Fail(u"No file or URL was given.");
    if (IsCaptureUrl(urlOrPath)) {
        const std::optional<CaptureUrl> url = ParseCaptureUrl(urlOrPath);
        if (!url) return Fail(u"The capture URL is not understood.");
        if (!HaveAudio()) return false;
        m_player.reset();
        EndRecorder();
        m_recorder = std::make_unique<SdlRecorder>();
        m_inputVolume = url->volume;
        m_recorder->SetInputVolume(m_inputVolume);
        m_recorder->SetMetering(m_metering);
        m_mode = Mode::Recorder;
        return true;
    }
    std::vector<std::uint8_t> bytes;
    if (!Check(ReadSoundFile(urlOrPath, bytes))) return false;
    return OpenSound(std::move(bytes), SourceFormat::Detect);
}

bool SdlAudioStream::OpenMemory(const void* data, std::size_t size, MemoryFormat format) {
    if (format != MemoryFormat::Mp3) return Fail(u"Only MP3 data can be opened from memory.");
    if (!data || size == 0) return Fail(u"No data was given.");
    if (size > kMaxSoundBytes) return Fail(u"The sound is too large.");
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::vector<std::uint8_t> copy;
    try {
        copy.assign(bytes, bytes + size);
    } catch (const std::bad_alloc&) {
        return Fail(u"There is not enough memory for the sound.");
    }
    return OpenSound(std::move(copy), SourceFormat::Mp3);
}

bool SdlAudioStream::StartRecord(const char16_t* path) {
    if (m_mode != Mode::Recorder) return Fail(u"The capture URL is not open.");
    if (!path || !*path) return Fail(u"No recording file was given.");
    return Check(m_recorder->Prepare(path, qv::os::Utf16ToUtf8(m_input.chosen)));
}

bool SdlAudioStream::Start() {
    switch (m_mode) {
    case Mode::Player: return Check(m_player->Start(qv::os::Utf16ToUtf8(m_output.chosen)));
    case Mode::Recorder: return Check(m_recorder->Start());
    case Mode::None: break;
    }
    return Fail(u"Nothing is open.");
}

bool SdlAudioStream::Stop() {
    switch (m_mode) {
    case Mode::Player: m_player->Stop(); return true;
    case Mode::Recorder: return Check(m_recorder->Stop());
    case Mode::None: break;
    }
    return true;
}

bool SdlAudioStream::SetProperty(StreamProperty property, const std::int32_t* values, int count) {
    if (property != StreamProperty::JumpToSecond) return Fail(u"The property is unknown.");
    if (!values || count < 1 || values[0] < 0) return Fail(u"The jump needs a second of 0 or more.");
    if (m_mode != Mode::Player) return Fail(u"No sound is open.");
    m_player->Seek(static_cast<std::uint64_t>(values[0]) * 1000);
    return true;
}

bool SdlAudioStream::SetVolume(int left, int right) {
    if (!IsPercent(left) || !IsPercent(right)) return Fail(u"The volume must be 0 to 100.");
    m_volume[0] = left;
    m_volume[1] = right;
    if (m_player) m_player->SetVolume(left, right);
    return true;
}

bool SdlAudioStream::GetLevel(int* left, int* right) {
    if (!left || !right) return Fail(u"No level was given.");
    Levels levels;
    if (m_mode == Mode::Player) levels = m_player->GetLevels();
    else if (m_mode == Mode::Recorder) levels = m_recorder->GetLevels();
    *left = levels.left;
    *right = levels.right;
    return true;
}

bool SdlAudioStream::GetDuration(AudioDuration* duration) {
    if (!duration) return Fail(u"No record was given.");
    *duration = {};
    if (m_mode == Mode::Player) *duration = DurationOfMs(m_player->DurationMs());
    else if (m_mode == Mode::Recorder) *duration = DurationOfMs(m_recorder->RecordedMs());
    else return Fail(u"Nothing is open.");
    return true;
}

bool SdlAudioStream::GetPosition(AudioPosition* position) {
    if (!position) return Fail(u"No record was given.");
    *position = {};
    if (m_mode == Mode::Player) *position = PositionOfMs(m_player->PositionMs());
    else if (m_mode == Mode::Recorder) *position = PositionOfMs(m_recorder->RecordedMs());
    else return Fail(u"Nothing is open.");
    return true;
}

bool SdlAudioStream::GetStatus(AudioStatus* status) {
    if (!status) return Fail(u"No record was given.");
    *status = {};
    if (m_mode == Mode::Player) {
        status->running = m_player->IsPlaying() ? 1 : 0;
        status->ready = m_player->HasSource() ? 1 : 0;
    } else if (m_mode == Mode::Recorder) {
        status->running = m_recorder->IsRecording() ? 1 : 0;
        status->ready = m_recorder->IsPrepared() ? 1 : 0;
    }
    return true;
}

bool SdlAudioStream::SetCallback(AudioStreamCallback fn, std::uint32_t messages, void* context) {
    m_callback = fn;
    m_messages = fn ? messages : 0;
    m_context = context;
    if (m_player) m_player->SetCallback(m_callback, m_messages, m_context, m_notifyEnd);
    return true;
}

void SdlAudioStream::Release() {
    // The recorder completes its file; both devices close and their threads
    // are joined before the lease can end SDL audio.
    EndRecorder();
    m_player.reset();
    delete this;
}

}  // namespace qv::audio::sdl
