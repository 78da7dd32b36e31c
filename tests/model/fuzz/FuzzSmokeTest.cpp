// Runs the fuzz targets over seeded pseudo-random inputs, so every build
// exercises them; the libFuzzer builds search much further.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/os/Log.h"
#include "tests/model/fuzz/FuzzTargets.h"

namespace {

// Malformed inputs would flood the debug output with their traces.
struct QuietDebugOutput {
    QuietDebugOutput() { qv::os::SetDebugOutputHook([](const char*) {}); }
    ~QuietDebugOutput() { qv::os::SetDebugOutputHook(nullptr); }
};

// A literal's bytes, zeros inside included.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

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

TEST(FuzzSmoke, ProfileFilesOfAnyContentAndWrites) {
    QuietDebugOutput quiet;
    RunSeeded(FuzzProfile, 512, 2000);
    // Files a random input rarely makes: lone CRs, a stray odd byte in
    // UTF-16, duplicate sections and keys, quotes and blanks.
    const std::string cases[] = {
        Bytes("\x00S\0k\0v\0[S]\r\nk=1\r"),
        Bytes("\x00S\0j\0 'x' \0[S]\r\nk=v\r"),
        Bytes("\x00S\0j\0v\0\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0v\0A"),
        Bytes("\x01s\0K\0\0[S]\nk=1\n[s]\nk=2\nj=3\n"),
        Bytes("\x00T\0a\0\"q\"\0x=1\n[S]\n  \n\n"),
    };
    for (const std::string& input : cases)
        FuzzProfile(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

TEST(FuzzSmoke, ValueTextsOfAnyFormat) {
    QuietDebugOutput quiet;
    RunSeeded(FuzzValueText, 96, 20000);
}

}  // namespace
