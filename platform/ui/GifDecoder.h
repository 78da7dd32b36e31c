#pragma once
// GIF decoding through giflib: every frame composited onto the full canvas
// (with its disposal method), premultiplied, with its delay in 1/100 s.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/ui/SBitmap.h"

namespace qv::ui {

struct GifImage {
    std::vector<BitmapPtr> frames;
    std::vector<int> delays;  // 1/100 s, 0 when the file gives none
};

// Limits that keep a hostile file from exhausting memory.
constexpr int kGifMaxSide = 4096;
constexpr int kGifMaxFrames = 1024;

// Errors give no frames.
GifImage DecodeGif(std::span<const std::uint8_t> bytes);

}  // namespace qv::ui
