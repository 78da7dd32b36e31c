#pragma once
// The ten short sounds of the built-in pads, each by the resource name the
// skin gives it ("DJ_ZS" is applause) and the function that makes it.
#include <cstdint>
#include <vector>

namespace qv::soundtool {

struct SkinSound {
    const char* name;  // resource name and file name without ".mp3"
    std::vector<std::int16_t> (*make)();
};

const std::vector<SkinSound>& AllSkinSounds();

}  // namespace qv::soundtool
