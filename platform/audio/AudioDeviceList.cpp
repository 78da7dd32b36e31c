#include "platform/audio/AudioDeviceList.h"

#include <atomic>

namespace qv::audio {

namespace {

std::atomic<IAudioDeviceList*> g_injected{nullptr};

}  // namespace

void SetAudioDeviceList(IAudioDeviceList* list) { g_injected.store(list); }

IAudioDeviceList* InjectedAudioDeviceList() { return g_injected.load(); }

}  // namespace qv::audio
