// MP3 files made by the lame command-line encoder, decoded by the player's
// source and by the upload's decoder alike: the encoder's tag frame, delay
// and padding are gone, so 3 s of tone decodes to 3 s from its first sample;
// a file without the tag decodes as it always did; and tag frames with
// broken fields trim nothing they should not.
#include <gtest/gtest.h>

#include <mad.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/audio/Mp3Source.h"
#include "plugin/upload/Mp3Decode.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/upload/UploadTestFiles.h"

namespace qv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Samples = std::vector<std::int16_t>;

constexpr double kSeconds = 3.0;
constexpr std::size_t kLameDelay = 576;  // what LAME puts before the sound at these settings
constexpr std::size_t kDecoderDelay = 529;  // what every layer III decoder puts before it
constexpr std::size_t kFrameSamples = 1152;

struct Decoded {
    bool opened = false;
    std::uint64_t total = 0;  // what the player's source reports
    Samples played;           // what it reads
    Samples uploaded;         // what the upload's decoder hands on
};

Decoded DecodeBoth(const Bytes& mp3, int channels) {
    Decoded d;
    std::u16string error;
    if (auto source = audio::Mp3Source::Open(mp3, error)) {
        d.opened = true;
        d.total = source->TotalFrames();
        Samples block(4096 * static_cast<std::size_t>(channels));
        while (const std::size_t n = source->Read(block.data(), 4096))
            d.played.insert(d.played.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n * channels));
    }
    Bytes guarded = mp3;
    guarded.resize(mp3.size() + MAD_BUFFER_GUARD, 0);
    DecodeMp3(guarded, 1, 35, [&d](std::span<const std::uint8_t> pcm) {
        for (std::size_t i = 0; i + 1 < pcm.size(); i += 2)
            d.uploaded.push_back(static_cast<std::int16_t>(pcm[i] | pcm[i + 1] << 8));
        return true;
    });
    return d;
}

// The shift of the decoded tone against the one encoded, in samples, within
// half its period either way.
long ShiftAgainst(const Samples& decoded, const Samples& tone, int channels, long maxShift) {
    const long frames = static_cast<long>(std::min(decoded.size(), tone.size()) / static_cast<std::size_t>(channels));
    long best = 0;
    double bestError = -1;
    for (long shift = -maxShift; shift <= maxShift; ++shift) {
        double error = 0;
        for (long i = maxShift; i < frames - maxShift; i += 3) {
            const double e = decoded[static_cast<std::size_t>(i * channels)] - tone[static_cast<std::size_t>((i - shift) * channels)];
            error += e * e;
        }
        if (bestError < 0 || error < bestError) {
            bestError = error;
            best = shift;
        }
    }
    return best;
}

struct Encoding {
    const char* name;
    int rate;
    int channels;
    std::vector<std::string> options;
    bool tagged;
};

void PrintTo(const Encoding& e, std::ostream* out) { *out << e.name; }

class Mp3GaplessTest : public ::testing::TestWithParam<Encoding> {
protected:
    UploadTempFolder m_temp;
};

TEST_P(Mp3GaplessTest, DecodesToTheEncodedLengthFromItsFirstSample) {
    const Encoding& e = GetParam();
    const Samples tone = ToneSamples(kSeconds, 440, e.rate, e.channels);
    const std::string wav = m_temp.File("tone.wav");
    ASSERT_TRUE(WriteWav16(wav, tone, e.rate, e.channels));
    const Bytes mp3 = EncodeWithLameCli(wav, e.options);
    ASSERT_FALSE(mp3.empty()) << "the lame command-line encoder (Debian package lame) did not run";

    const Decoded d = DecodeBoth(mp3, e.channels);
    ASSERT_TRUE(d.opened);
    EXPECT_EQ(d.played.size(), d.total * static_cast<std::size_t>(e.channels));
    EXPECT_TRUE(d.uploaded == d.played) << "the upload decodes " << d.uploaded.size() << " samples, the player "
                                        << d.played.size();
    const auto encoded = static_cast<double>(kSeconds * e.rate);
    if (e.tagged) {
        EXPECT_NEAR(static_cast<double>(d.total), encoded, 1.0);
        EXPECT_LE(std::abs(ShiftAgainst(d.played, tone, e.channels, e.rate / 880)), e.rate / 1000);
        EXPECT_LE(FitSine(d.played, e.rate, e.channels).first, static_cast<std::size_t>(e.rate / 1000));
    } else {
        // Whole frames, the encoder's and the decoder's delays included.
        EXPECT_EQ(d.total % kFrameSamples, 0u);
        EXPECT_GE(static_cast<double>(d.total), encoded + kLameDelay + kDecoderDelay);
        EXPECT_GE(FitSine(d.played, e.rate, e.channels).first, kLameDelay + kDecoderDelay - 10);
    }
}

INSTANTIATE_TEST_SUITE_P(
    LameSettings, Mp3GaplessTest,
    ::testing::Values(Encoding{"Cbr44100Mono", 44100, 1, {"-b", "128"}, true},
                      Encoding{"Cbr44100Stereo", 44100, 2, {"-b", "128"}, true},
                      Encoding{"Cbr48000Mono", 48000, 1, {"-b", "128"}, true},
                      Encoding{"Cbr48000Stereo", 48000, 2, {"-b", "192"}, true},
                      Encoding{"Vbr44100Mono", 44100, 1, {"-V", "4"}, true},
                      Encoding{"Vbr44100Stereo", 44100, 2, {"-V", "2"}, true},
                      Encoding{"Vbr48000Mono", 48000, 1, {"-V", "4"}, true},
                      Encoding{"Vbr48000Stereo", 48000, 2, {"-V", "4"}, true},
                      Encoding{"NoTag44100Stereo", 44100, 2, {"-b", "128", "-t"}, false}),
    [](const ::testing::TestParamInfo<Encoding>& info) { return std::string(info.param.name); });

// Tag frames with broken fields: whatever they say, a decoder drops no more
// than the stream holds, reads no more than it reports, and both decoders
// agree.
TEST(Mp3BrokenTagTest, TrimsOnlyWhatTheStreamHolds) {
    UploadTempFolder temp;
    const std::string wav = temp.File("tone.wav");
    ASSERT_TRUE(WriteWav16(wav, ToneSamples(kSeconds, 440, 48000, 2), 48000, 2));
    // 128 kbit/s at 48000 Hz: every frame is 384 bytes.
    const Bytes original = EncodeWithLameCli(wav, {"-b", "128"});
    ASSERT_FALSE(original.empty()) << "the lame command-line encoder (Debian package lame) did not run";
    constexpr std::size_t kFrameBytes = 384;
    constexpr std::size_t tagAt = 4 + 32, framesAt = tagAt + 8, lameAt = tagAt + 120, delayAt = lameAt + 21;
    ASSERT_EQ(std::string(original.begin() + tagAt, original.begin() + tagAt + 4), "Info");
    ASSERT_EQ(original[tagAt + 7], 0x0F) << "LAME writes every Xing field";
    const std::uint64_t all = (original.size() / kFrameBytes - 1) * kFrameSamples;  // the tag frame holds none
    const std::uint64_t sound = static_cast<std::uint64_t>(kSeconds * 48000);
    const std::uint64_t start = kLameDelay + kDecoderDelay;

    auto patched = [&](std::size_t at, Bytes bytes, std::size_t size = SIZE_MAX) {
        Bytes b(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(std::min(size, original.size())));
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    struct Case {
        const char* name;
        Bytes mp3;
        std::uint64_t expected;  // frames the player's source reports; 0: refused
    };
    const Case cases[] = {
        {"as encoded", original, sound},
        {"largest delay and padding", patched(delayAt, {0xFF, 0xFF, 0xFF}), all - 4095 - 4095},
        {"no frames counted", patched(framesAt, {0, 0, 0, 0}), all - start},
        {"one frame counted", patched(framesAt, {0, 0, 0, 1}), all - start},
        {"every frame counted", patched(framesAt, {0xFF, 0xFF, 0xFF, 0xFF}), all - start},
        {"no field flagged", patched(tagAt + 4, {0, 0, 0, 0}), all},
        {"another encoder's name", patched(lameAt, {'X', 'Y', 'Z', 'W'}), all},
        {"cut inside the tag", patched(0, {}, tagAt + 30), 0},
        {"cut after the tag frame", patched(0, {}, kFrameBytes), 0},
        {"cut in the fourth frame", patched(0, {}, 3 * kFrameBytes + 100), 2 * kFrameSamples - start},
        {"a delay longer than the two frames left", patched(delayAt, {0xFF, 0xF0, 0x00}, 3 * kFrameBytes),
         2 * kFrameSamples},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded d = DecodeBoth(c.mp3, 2);
        EXPECT_EQ(d.opened, c.expected > 0);
        EXPECT_EQ(d.total, c.expected);
        EXPECT_EQ(d.played.size(), d.total * 2);
        EXPECT_TRUE(d.uploaded == d.played) << d.uploaded.size() << " against " << d.played.size();
    }
}

}  // namespace
}  // namespace qv::test
