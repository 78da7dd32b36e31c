#pragma once
// The images of the sound pads area: the pads, the stop and volume buttons
// of its play row.
#include <span>

#include "tools/skin/SkinImages.h"

namespace qv::skintool {

std::span<const SkinImage> SoundImages();

}  // namespace qv::skintool
