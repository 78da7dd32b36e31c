#pragma once
// The images of the main window, its caption and its small boxes (about,
// device information).
#include <span>

#include "tools/skin/SkinImages.h"

namespace qv::skintool {

std::span<const SkinImage> MainWindowImages();

}  // namespace qv::skintool
