#pragma once
// Every image of the skin: its file name under skin/images/ and how it is
// drawn. Image lists lay their state frames side by side, left to right:
// normal, hover, pushed, disabled.
#include <span>

#include "tools/skin/Canvas.h"

namespace qv::skintool {

struct SkinImage {
    const char* fileName;
    int width;
    int height;
    void (*paint)(Canvas& canvas);
};

std::span<const SkinImage> AllSkinImages();

}  // namespace qv::skintool
