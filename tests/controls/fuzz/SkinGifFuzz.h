#pragma once
// Any bytes as the image of a GIF skin: the frames loaded agree with what
// the skin reports and each draws.
#include <cstddef>
#include <cstdint>

int FuzzSkinGif(const std::uint8_t* data, std::size_t size);
