// Runs the fuzz targets over seeded pseudo-random inputs, so every build
// exercises them; the libFuzzer builds search much further.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/os/Log.h"
#include "tests/model/fuzz/FuzzTargets.h"

namespace {

// Malformed inputs would flood the debug output with their traces.
struct QuietDebugOutput {
    QuietDebugOutput() { qv::os::SetDebugOutputHook([](const char*) {}); }
    ~QuietDebugOutput() { qv::os::SetDebugOutputHook(nullptr); }
};

template <class Target>
void RunSeeded(Target target, std::size_t maxSize, int runs) {
    std::mt19937 random(20261208);
    std::vector<std::uint8_t> input;
    for (int run = 0; run < runs; ++run) {
        input.resize(random() % (maxSize + 1));
        for (auto& byte : input) byte = static_cast<std::uint8_t>(random());
        target(input.data(), input.size());
    }
}

TEST(FuzzSmoke, NotificationsOfAnyContent) {
    QuietDebugOutput quiet;
    RunSeeded(FuzzNotification, 80, 1000);
    // Claimed counts at and past the limit with every triple an unknown id.
    std::vector<std::uint8_t> input(65, 0xFF);
    for (int count : {0, 11, 12, 255}) {
        input[5] = static_cast<std::uint8_t>(count);
        FuzzNotification(input.data(), input.size());
    }
}

TEST(FuzzSmoke, StateFilesOfAnyContent) {
    QuietDebugOutput quiet;
    RunSeeded(FuzzStateLoad, 4096, 200);
}

TEST(FuzzSmoke, ValueTextsOfAnyFormat) {
    QuietDebugOutput quiet;
    RunSeeded(FuzzValueText, 96, 20000);
}

}  // namespace
