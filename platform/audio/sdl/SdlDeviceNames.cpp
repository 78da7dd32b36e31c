#include "platform/audio/sdl/SdlDeviceNames.h"

#include <SDL.h>

#include "platform/os/Utf.h"

namespace qv::audio::sdl {

std::vector<std::u16string> DeviceNames(DeviceDirection direction) {
    if (IAudioDeviceList* injected = InjectedAudioDeviceList()) return injected->Names(direction);
    const int capture = direction == DeviceDirection::Capture ? 1 : 0;
    std::vector<std::u16string> names;
    const int count = SDL_GetNumAudioDevices(capture);
    for (int i = 0; i < count; ++i) {
        if (const char* name = SDL_GetAudioDeviceName(i, capture)) names.push_back(qv::os::Utf8ToUtf16(name));
    }
    return names;
}

}  // namespace qv::audio::sdl
