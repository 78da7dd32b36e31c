// The MP3 decoder: the sample scaling at its edges, mono and stereo sounds,
// the gain, the time limit, a change of format, sources it cannot decode,
// libmad's guard bytes, and no temporary file left behind on any path.
#include <gtest/gtest.h>

#include <mad.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/os/MessageQueue.h"
#include "platform/os/Utf.h"
#include "platform/ui/SNotifyCenter.h"
#include "plugin/app/AppEvents.h"
#include "plugin/upload/CLibmadDecoder.h"
#include "plugin/upload/ConvertForDevice.h"
#include "plugin/upload/UploadFrames.h"
#include "plugin/upload/Mp3Decode.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/upload/UploadTestFiles.h"

namespace qv::test {
namespace {

constexpr unsigned kFrameSamples = 1152;

struct Finished {
    int status = -1;
    std::u16string path;
    const ui::SObject* sender = nullptr;
};

class DecoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_center.addEvent(EventDecoderFinsh::EventID, EventDecoderFinsh::EventName);
        m_center.subscribeEvent(EventDecoderFinsh::EventID, [this](ui::EventArgs* e) {
            auto* finish = ui::EventCast<EventDecoderFinsh>(e);
            m_finished.push_back({finish->status, finish->path.str(), finish->sender});
            return true;
        });
    }
    void TearDown() override { os::DestroyThreadQueue(); }

    // Decodes and waits for the event (pumping this thread, which is the
    // centre's); the WAV, which the receiver owns, is read and deleted.
    std::optional<Finished> Decode(CLibmadDecoder& decoder, const std::string& source, int gain, int limit,
                                   DecodedWave* wave = nullptr) {
        m_finished.clear();
        if (!decoder.Start(os::Utf8ToUtf16(source), gain, 0, &m_owner, limit)) return std::nullopt;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (m_finished.empty() && std::chrono::steady_clock::now() < end) {
            os::WaitMessage(100);
            while (os::PumpOneMessage()) {
            }
        }
        if (m_finished.empty()) {
            ADD_FAILURE() << "the decoder's event did not come for " << source;
            return std::nullopt;
        }
        Finished finished = m_finished.front();
        if (wave && finished.status) *wave = ReadWave(os::Utf16ToUtf8(finished.path));
        if (!finished.path.empty()) std::filesystem::remove(os::Utf16ToUtf8(finished.path));
        decoder.Reset();
        return finished;
    }

    UploadTempFolder m_temp;
    ui::SNotifyCenter m_center;
    ui::SObject m_owner;
    std::vector<Finished> m_finished;
};

TEST(ScaleSamples, RoundsClipsAndScalesEachSample) {
    const std::int32_t one = MAD_F_ONE;
    struct Case {
        std::int32_t sample;
        float gain;
        std::int16_t expected;
    } cases[] = {
        {0, 1, 0},
        {4095, 1, 0},            // below half a step: rounded down
        {4096, 1, 1},            // half a step: rounded up
        {-4096, 1, 0},
        {-4097, 1, -1},
        {one - 8192, 1, 32767},  // the largest value before clipping
        {one, 1, 32767},         // clipped
        {INT32_MAX, 1, 32767},
        {-one, 1, -32768},
        {INT32_MIN, 1, -32768},
        {3 << 13, 0.5f, 1},      // 1.5 truncated toward zero
        {-(3 << 13), 0.5f, -1},
        {one, 0.5f, 16383},
        {INT32_MIN, 0.5f, -16384},
        {one, 0.0f, 0},
        {-one, 0.0f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.sample << " x " << c.gain);
        std::uint8_t out[2] = {0xAA, 0xAA};
        ASSERT_EQ(CLibmadDecoder::ScaleSamples(c.gain, &c.sample, nullptr, 1, out), 2u);
        EXPECT_EQ(static_cast<std::int16_t>(out[0] | (out[1] << 8)), c.expected);
    }
    // Stereo: left then right, little-endian, 4 bytes a pair.
    const std::int32_t left[2] = {one - 8192, 0};
    const std::int32_t right[2] = {-one, 4096};
    std::uint8_t out[8] = {};
    ASSERT_EQ(CLibmadDecoder::ScaleSamples(1, left, right, 2, out), 8u);
    const std::uint8_t expected[8] = {0xFF, 0x7F, 0x00, 0x80, 0x00, 0x00, 0x01, 0x00};
    EXPECT_TRUE(std::equal(std::begin(out), std::end(out), std::begin(expected)));
}

TEST_F(DecoderTest, MonoAndStereoSoundsBecomeWavesOfTheirOwnFormat) {
    struct Case {
        int rate;
        int channels;
    } cases[] = {{44100, 1}, {48000, 2}, {22050, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.channels << " channels at " << c.rate);
        const std::string mp3 = MakeToneMp3(m_temp.File("tone.mp3"), c.rate, c.channels, 1.0, 440, 0);
        ASSERT_FALSE(mp3.empty());
        CLibmadDecoder decoder;
        DecodedWave wave;
        auto finished = Decode(decoder, mp3, 100, 35, &wave);
        ASSERT_TRUE(finished);
        EXPECT_EQ(finished->status, 1);
        EXPECT_EQ(finished->sender, &m_owner);
        ASSERT_TRUE(wave.ok);
        EXPECT_EQ(+wave.format.channels, c.channels);
        EXPECT_EQ(+wave.format.samplesPerSec, static_cast<std::uint32_t>(c.rate));
        EXPECT_EQ(+wave.format.bitsPerSample, 16);
        EXPECT_EQ(+wave.format.avgBytesPerSec, static_cast<std::uint32_t>(c.rate * c.channels * 2));
        const std::size_t samples = wave.data.size() / (2u * static_cast<std::size_t>(c.channels));
        EXPECT_EQ(samples % (c.rate < 32000 ? 576 : kFrameSamples), 0u);
        EXPECT_GE(samples, static_cast<std::size_t>(c.rate));
        // The tone on the left (peak 12000), silence on the right.
        EXPECT_NEAR(Rms(wave.Channel(0)), 12000 / std::sqrt(2.0), 1500);
        if (c.channels == 2) {
            EXPECT_LT(Rms(wave.Channel(1)), 300);
        }
    }
    EXPECT_TRUE(m_temp.TempWaveFiles().empty());
}

TEST_F(DecoderTest, TheGainScalesTheRoundedSamplesAndZeroGivesSilenceOfFullLength) {
    const std::string mp3 = MakeToneMp3(m_temp.File("tone.mp3"), 44100, 1, 1.0);
    CLibmadDecoder decoder;
    DecodedWave full, half, none;
    ASSERT_TRUE(Decode(decoder, mp3, 100, 35, &full));
    ASSERT_TRUE(Decode(decoder, mp3, 50, 35, &half));
    ASSERT_TRUE(Decode(decoder, mp3, 0, 35, &none));
    ASSERT_FALSE(full.data.empty());
    ASSERT_EQ(half.data.size(), full.data.size());
    ASSERT_EQ(none.data.size(), full.data.size());
    const auto fullSamples = full.Channel(0);
    const auto halfSamples = half.Channel(0);
    for (std::size_t i = 0; i < fullSamples.size(); ++i)
        ASSERT_EQ(halfSamples[i], static_cast<std::int16_t>(fullSamples[i] / 2)) << i;
    EXPECT_TRUE(std::all_of(none.data.begin(), none.data.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(DecoderTest, ATimeLimitEndsWithTheFrameThatReachesIt) {
    const std::string mp3 = MakeToneMp3(m_temp.File("long.mp3"), 44100, 1, 25.0);
    CLibmadDecoder decoder;
    DecodedWave wave;
    ASSERT_TRUE(Decode(decoder, mp3, 100, 20, &wave));
    // 766 frames of 1152 samples: the first count at or over 882,000.
    EXPECT_EQ(wave.data.size(), 882432u * 2);
    EXPECT_EQ(+decoder.OutputFormat().samplesPerSec, 44100u);
}

TEST_F(DecoderTest, ASixtySecondSoundForKeyOneIsCutTo35Seconds) {
    const std::string mp3 = MakeToneMp3(m_temp.File("minute.mp3"), 44100, 1, 60.0);
    CLibmadDecoder decoder;
    m_finished.clear();
    ASSERT_EQ(decoder.Start(os::Utf8ToUtf16(mp3), 100, 0, &m_owner, SLOT_SECONDS[1]), 1);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (m_finished.empty() && std::chrono::steady_clock::now() < end) {
        os::WaitMessage(100);
        while (os::PumpOneMessage()) {
        }
    }
    ASSERT_EQ(m_finished.size(), 1u) << "the decoder's event did not come";
    const std::string wav = os::Utf16ToUtf8(m_finished[0].path);
    // The decoder ends with the frame that reaches 35 s ...
    const DecodedWave decoded = ReadWave(wav);
    EXPECT_EQ(decoded.data.size(), 1340u * 1152 * 2);  // 35.0 s is 1339.8 frames
    // ... and the conversion cuts to 35 s exactly.
    const auto image = ConvertForDevice(m_finished[0].path, 1);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), 44u + 35u * 88200);
    std::filesystem::remove(wav);
    decoder.Reset();
    EXPECT_TRUE(m_temp.TempWaveFiles().empty());
}

TEST_F(DecoderTest, AFrameInAnotherFormatEndsTheSound) {
    auto mono = EncodeMp3(ChannelToneSamples(44100, 1, 1.0, 440, 0), 44100, 1);
    const auto stereo = EncodeMp3(ChannelToneSamples(44100, 2, 2.0, 440, 660), 44100, 2);
    auto guarded = mono;
    guarded.resize(guarded.size() + MAD_BUFFER_GUARD, 0);
    const std::size_t monoOnly = DecodeMp3(guarded, 1, 35, [](std::span<const std::uint8_t>) { return true; }).samples;
    mono.insert(mono.end(), stereo.begin(), stereo.end());
    ASSERT_TRUE(WriteBytes(m_temp.File("both.mp3"), mono));
    CLibmadDecoder decoder;
    DecodedWave wave;
    ASSERT_TRUE(Decode(decoder, m_temp.File("both.mp3"), 100, 35, &wave));
    EXPECT_EQ(+wave.format.channels, 1);
    EXPECT_EQ(wave.data.size(), monoOnly * 2);
}

TEST_F(DecoderTest, TheGuardBytesLetTheLastFrameDecode) {
    const auto mp3 = EncodeMp3(ChannelToneSamples(44100, 1, 1.0, 440, 0), 44100, 1);
    auto guarded = mp3;
    guarded.resize(guarded.size() + MAD_BUFFER_GUARD, 0);
    const auto keep = [](std::span<const std::uint8_t>) { return true; };
    const std::uint32_t bare = DecodeMp3(mp3, 1, 35, keep).samples;
    const std::uint32_t withGuard = DecodeMp3(guarded, 1, 35, keep).samples;
    EXPECT_EQ(withGuard, bare + kFrameSamples);

    ASSERT_TRUE(WriteBytes(m_temp.File("tone.mp3"), mp3));
    CLibmadDecoder decoder;
    DecodedWave wave;
    ASSERT_TRUE(Decode(decoder, m_temp.File("tone.mp3"), 100, 35, &wave));
    EXPECT_EQ(wave.data.size(), withGuard * 2u);
}

TEST_F(DecoderTest, SourcesWithoutSoundReportFailureAndLeaveNoFile) {
    ASSERT_TRUE(WriteBytes(m_temp.File("empty.mp3"), {}));
    std::string garbage;
    while (garbage.size() < 20000) garbage += "this is no sound at all; ";
    ASSERT_TRUE(WriteBytes(m_temp.File("garbage.mp3"), std::vector<std::uint8_t>(garbage.begin(), garbage.end())));
    {
        std::ofstream huge(m_temp.File("huge.mp3"));
    }
    std::filesystem::resize_file(m_temp.File("huge.mp3"), (64u << 20) + 1);
    for (const char* name : {"empty.mp3", "garbage.mp3", "missing.mp3", "huge.mp3"}) {
        SCOPED_TRACE(name);
        CLibmadDecoder decoder;
        auto finished = Decode(decoder, m_temp.File(name), 100, 35);
        ASSERT_TRUE(finished);
        EXPECT_EQ(finished->status, 0);
        EXPECT_TRUE(finished->path.empty());
        EXPECT_TRUE(m_temp.TempWaveFiles().empty());
    }
}

TEST_F(DecoderTest, AResetDuringTheDecodeStopsAndJoinsItWithoutAnEvent) {
    const std::string mp3 = MakeToneMp3(m_temp.File("long.mp3"), 44100, 2, 60.0);
    {
        CLibmadDecoder decoder;
        ASSERT_EQ(decoder.Start(os::Utf8ToUtf16(mp3), 100, 0, &m_owner, 60), 1);
        decoder.Reset();
        CLibmadDecoder going;
        ASSERT_EQ(going.Start(os::Utf8ToUtf16(mp3), 100, 0, &m_owner, 60), 1);
    }  // the destructor stops and joins the second
    while (os::PumpOneMessage()) {
    }
    // A decode that ended before the stop came has handed its WAV on: the
    // receiver's to delete. Nothing else is left.
    EXPECT_LE(m_finished.size(), 2u);
    for (const Finished& f : m_finished) std::filesystem::remove(os::Utf16ToUtf8(f.path));
    EXPECT_TRUE(m_temp.TempWaveFiles().empty());
}

}  // namespace
}  // namespace qv::test
