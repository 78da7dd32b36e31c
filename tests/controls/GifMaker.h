#pragma once
// Small GIF files for the tests: frames of one colour each, with delays.
#include <cstdint>
#include <vector>

namespace qv::controls::test {

struct GifFrameSpec {
    std::uint8_t r, g, b;
    int delay;  // 1/100 s; negative: no delay given
};

std::vector<std::uint8_t> MakeGif(int width, int height, const std::vector<GifFrameSpec>& frames);

}  // namespace qv::controls::test
