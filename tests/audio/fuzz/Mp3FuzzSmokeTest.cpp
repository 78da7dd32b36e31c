// The MP3 input fuzz target over damaged copies of a real MP3 file, so every
// build runs it; the libFuzzer build searches further.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <random>
#include <string>

#include "platform/os/Log.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/Mp3Fixture.h"

int FuzzMp3Input(const std::uint8_t* data, std::size_t size);
void EndMp3InputFuzz();

namespace {

TEST(Mp3FuzzSmoke, DamagedMp3OfAnyContent) {
    qv::os::SetDebugOutputHook([](const char*) {});
    qv::test::UseDummyAudio();
    char pattern[] = "/tmp/qv-mp3fuzz-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string file = std::string(pattern) + "/seed.mp3";
    const std::string wav = std::string(pattern) + "/seed.wav";
    ASSERT_TRUE(qv::test::WriteMp3(file, qv::test::ToneSamples(0.3, 440, 22050, 1), 22050, 1));
    const std::vector<std::uint8_t> seed = qv::test::ReadBytes(file);
    // With the lame command-line encoder's tag frame, whose fields the
    // damage reaches too.
    ASSERT_TRUE(qv::test::WriteWav16(wav, qv::test::ToneSamples(0.2, 440, 44100, 2), 44100, 2));
    const std::vector<std::uint8_t> tagged = qv::test::EncodeWithLameCli(wav, {"-b", "64"});
    std::filesystem::remove_all(pattern);
    ASSERT_GT(seed.size(), 100u);
    ASSERT_GT(tagged.size(), 100u) << "the lame command-line encoder (Debian package lame) did not run";
    std::mt19937 random(20240611);
    for (int run = 0; run < 90; ++run) {
        std::vector<std::uint8_t> input = run % 3 ? seed : tagged;
        const int flips = static_cast<int>(random() % 16);
        for (int i = 0; i < flips; ++i) input[random() % input.size()] = static_cast<std::uint8_t>(random());
        input.resize(random() % (input.size() + 1));
        FuzzMp3Input(input.data(), input.size());
    }
    EndMp3InputFuzz();
    qv::os::SetDebugOutputHook(nullptr);
}

}  // namespace
