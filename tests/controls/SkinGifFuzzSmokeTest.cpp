// The GIF skin's fuzz target over seeded inputs in every build: random
// bytes, and real GIFs with bytes changed, cut short or lengthened.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/os/Log.h"
#include "tests/controls/GifMaker.h"
#include "tests/controls/fuzz/SkinGifFuzz.h"

namespace {

TEST(FuzzSmoke, GifSkinsOfAnyContent) {
    qv::os::SetDebugOutputHook([](const char*) {});
    std::mt19937 random(20261209);
    std::vector<std::uint8_t> input;
    for (int run = 0; run < 300; ++run) {
        input.resize(random() % 200);
        for (auto& byte : input) byte = static_cast<std::uint8_t>(random());
        FuzzSkinGif(input.data(), input.size());
    }
    const std::vector<std::uint8_t> gif =
        qv::controls::test::MakeGif(7, 5, {{255, 0, 0, 5}, {0, 255, 0, -1}, {0, 0, 255, 0}});
    for (int run = 0; run < 2000; ++run) {
        input = gif;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes; ++c) input[random() % input.size()] = static_cast<std::uint8_t>(random());
        if (run % 3 == 0) input.resize(random() % input.size());
        if (run % 5 == 0) input.insert(input.end(), 16, static_cast<std::uint8_t>(random()));
        FuzzSkinGif(input.data(), input.size());
    }
    EXPECT_EQ(FuzzSkinGif(gif.data(), gif.size()), 0);
    qv::os::SetDebugOutputHook(nullptr);
}

}  // namespace
