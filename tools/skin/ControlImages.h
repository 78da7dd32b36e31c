#pragma once
// The images of the plug-in's own controls (knobs, sliders, meters, switch
// and choice buttons, scroll bars, the equaliser's panel) and the busy
// animation.
#include <span>

#include "tools/skin/SkinImages.h"

namespace qv::skintool {

// An animation: frames of one size painted by frame index, each shown for
// delay hundredths of a second.
struct SkinAnimation {
    const char* fileName;
    int width;
    int height;
    int frames;
    int delay;
    void (*paint)(Canvas& canvas, int frame);
};

std::span<const SkinImage> ControlSkinImages();
std::span<const SkinAnimation> SkinAnimations();

}  // namespace qv::skintool
