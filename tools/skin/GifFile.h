#pragma once
// Animations written as looping GIF files: pixels under half opacity become
// transparent, the others keep their colour exactly, so an animation may use
// at most 255 colours.
#include <cstdint>
#include <vector>

#include "tools/skin/ControlImages.h"

namespace qv::skintool {

// The file's bytes; empty when the frames hold too many colours.
std::vector<std::uint8_t> EncodeGif(const SkinAnimation& animation);

}  // namespace qv::skintool
