#pragma once
// Reads a whole sound file into memory, up to kMaxSoundBytes.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio/AudioResult.h"

namespace qv::audio {

AudioResult ReadSoundFile(const std::u16string& path, std::vector<std::uint8_t>& bytes);

}  // namespace qv::audio
