#pragma once
// The names SDL lists for its output or capture devices (empty when it lists
// none); a name opens its device through SDL_OpenAudioDevice.
#include <string>
#include <vector>

#include "platform/audio/AudioDeviceList.h"

namespace qv::audio::sdl {

// The injected list when a test installed one, else SDL's.
std::vector<std::u16string> DeviceNames(DeviceDirection direction);

}  // namespace qv::audio::sdl
