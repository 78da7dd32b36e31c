#pragma once
// The images of the main window's recording area: the record and playback
// buttons, each with its glyph at the left (a dot or a triangle; a square
// while running), and the horizontal level meter.
#include <span>

#include "tools/skin/SkinImages.h"

namespace qv::skintool {

std::span<const SkinImage> RecordSkinImages();

}  // namespace qv::skintool
