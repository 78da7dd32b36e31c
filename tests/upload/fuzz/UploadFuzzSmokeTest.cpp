// The WAV reader's and the MP3 path's fuzz targets over seeded inputs built
// around real files, so every build runs them; the libFuzzer build searches
// further.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/os/Log.h"
#include "plugin/upload/WaveHeader.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/upload/UploadTestFiles.h"

int FuzzWaveFile(const std::uint8_t* data, std::size_t size);
int FuzzMp3Path(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

template <class Target>
void Mutate(const Bytes& seed, Target target, int runs, std::uint32_t randomSeed) {
    std::mt19937 random(randomSeed);
    for (int run = 0; run < runs; ++run) {
        Bytes input = seed;
        const int flips = static_cast<int>(random() % 12);
        for (int i = 0; i < flips && !input.empty(); ++i) input[random() % input.size()] = static_cast<std::uint8_t>(random());
        input.resize(random() % (input.size() + 1));
        target(input.data(), input.size());
    }
}

TEST(UploadFuzzSmoke, DamagedWavesAndMp3s) {
    qv::os::SetDebugOutputHook([](const char*) {});
    const auto header = *MakeWaveHeader(MakePcmFormat(2, 22050, 16), 400);
    Bytes wave(header.begin(), header.end());
    for (int i = 0; i < 400; ++i) wave.push_back(static_cast<std::uint8_t>(i * 13));
    Mutate(wave, FuzzWaveFile, 400, 20260301);

    const Bytes mp3 = qv::test::EncodeMp3(qv::test::ChannelToneSamples(22050, 2, 0.3, 440, 550), 22050, 2, 64);
    ASSERT_FALSE(mp3.empty());
    FuzzMp3Path(mp3.data(), mp3.size());
    Mutate(mp3, FuzzMp3Path, 150, 20260302);

    // The lame command-line encoder's tag frame, damaged with the rest.
    qv::test::UploadTempFolder temp;
    ASSERT_TRUE(qv::test::WriteWav16(temp.File("seed.wav"), qv::test::ChannelToneSamples(44100, 2, 0.3, 440, 550), 44100, 2));
    const Bytes tagged = qv::test::EncodeWithLameCli(temp.File("seed.wav"), {"-V", "6"});
    ASSERT_FALSE(tagged.empty()) << "the lame command-line encoder (Debian package lame) did not run";
    Mutate(tagged, FuzzMp3Path, 100, 20260303);
    qv::os::SetDebugOutputHook(nullptr);
}

}  // namespace
