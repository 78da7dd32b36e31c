// The conversion of a decoded sound for the card: every PCM format the WAV
// reader takes becomes 16-bit mono at 44100 Hz with its tone kept, a key's
// time limit cuts the source, and files without sound give no image.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/os/Utf.h"
#include "plugin/upload/CWaveFile.h"
#include "plugin/upload/ConvertForDevice.h"
#include "plugin/upload/UploadFrames.h"
#include "plugin/upload/WaveHeader.h"
#include "plugin/upload/WaveImage.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/upload/UploadTestFiles.h"

namespace qv::test {
namespace {

// A tone of the frequency in every channel, as PCM of the format.
std::vector<std::uint8_t> TonePcm(const PcmWaveFormat& f, double seconds, double hz, double peak = 0.5) {
    const auto frames = static_cast<std::size_t>(seconds * f.samplesPerSec);
    std::vector<std::uint8_t> pcm;
    pcm.reserve(frames * f.blockAlign);
    for (std::size_t i = 0; i < frames; ++i) {
        const double v = peak * std::sin(2 * M_PI * hz * static_cast<double>(i) / f.samplesPerSec);
        for (int c = 0; c < f.channels; ++c) {
            if (f.bitsPerSample == 8) {
                pcm.push_back(static_cast<std::uint8_t>(std::lround(128 + 127 * v)));
            } else {
                const auto s = static_cast<std::int64_t>(std::llround(v * (f.bitsPerSample == 16 ? 32767.0 : 2147483647.0)));
                for (int b = 0; b < f.bitsPerSample / 8; ++b) pcm.push_back(static_cast<std::uint8_t>(s >> (8 * b)));
            }
        }
    }
    return pcm;
}

bool WriteWave(const std::string& path, const PcmWaveFormat& format, const std::vector<std::uint8_t>& pcm) {
    CWaveFile wave;
    PcmWaveFormat f = format;
    if (!wave.Open(os::Utf8ToUtf16(path), &f)) return false;
    if (pcm.size() + 44 > CWaveFile::kNewFileMapping && !wave.Reserve(pcm.size() + 44)) return false;
    return wave.Write(pcm.data(), static_cast<std::uint32_t>(pcm.size())) == static_cast<std::int64_t>(pcm.size());
}

std::vector<std::int16_t> ImageSamples(const std::vector<std::uint8_t>& image) {
    std::vector<std::int16_t> samples;
    for (std::size_t at = 44; at + 1 < image.size(); at += 2)
        samples.push_back(static_cast<std::int16_t>(image[at] | (image[at + 1] << 8)));
    return samples;
}

int Crossings(const std::vector<std::int16_t>& s) {
    int n = 0;
    for (std::size_t i = 1; i < s.size(); ++i) n += (s[i - 1] < 0) != (s[i] < 0);
    return n;
}

class ConvertTest : public ::testing::Test {
protected:
    UploadTempFolder m_temp;
};

TEST_F(ConvertTest, EveryPcmFormatBecomesMono44100With16BitsAndKeepsItsTone) {
    for (std::uint16_t bits : {8, 16, 32}) {
        for (std::uint16_t channels : {1, 2}) {
            for (std::uint32_t rate : {8000u, 22050u, 44100u, 48000u}) {
                SCOPED_TRACE(::testing::Message() << bits << " bits, " << channels << " channels, " << rate << " Hz");
                const PcmWaveFormat format = MakePcmFormat(channels, rate, bits);
                const std::string path = m_temp.File("in.wav");
                std::remove(path.c_str());
                ASSERT_TRUE(WriteWave(path, format, TonePcm(format, 1.0, 1000)));
                const auto image = ConvertForDevice(os::Utf8ToUtf16(path), 1);
                ASSERT_TRUE(image);
                const auto layout = ParseWaveHeader(*image);
                ASSERT_TRUE(layout);
                EXPECT_EQ(layout->dataOffset, 44u);
                EXPECT_EQ(layout->dataSize + 44u, image->size());
                EXPECT_EQ(+layout->format.channels, 1);
                EXPECT_EQ(+layout->format.samplesPerSec, 44100u);
                EXPECT_EQ(+layout->format.bitsPerSample, 16);
                const auto samples = ImageSamples(*image);
                EXPECT_NEAR(static_cast<double>(samples.size()), 44100, 441);
                EXPECT_NEAR(Crossings(samples), 2000, 20);      // 1000 Hz over one second
                EXPECT_NEAR(Rms(samples), 0.5 * 32767 / std::sqrt(2.0), 1200);
            }
        }
    }
}

TEST_F(ConvertTest, ConvertsA48000HzSoundSampleExact) {
    // A converter that loses or repeats a fraction of a frame where the
    // pieces it is fed meet makes the tone sharp or flat and steps its phase.
    const struct {
        std::uint16_t channels;
        double seconds;
    } cases[] = {{1, 3.0}, {2, 3.0}, {2, 35.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.channels << " channels, " << c.seconds << " s");
        const PcmWaveFormat format = MakePcmFormat(c.channels, 48000, 16);
        const auto converted = ConvertToDeviceSamples(TonePcm(format, c.seconds, 440), format);
        ASSERT_TRUE(converted);
        const auto samples = ImageSamples(BuildWaveImage(*converted, kDeviceRate, 1, 16));
        EXPECT_NEAR(static_cast<double>(samples.size()), c.seconds * 44100, 1.0);
        const SineFit fit = FitSine(samples, 44100, 1);
        EXPECT_NEAR(fit.hz, 440.0, 440.0 * 0.0001);
        EXPECT_NEAR(static_cast<double>(fit.last - fit.first + 1), c.seconds * 44100, 44.1);
        EXPECT_LT(fit.residualDb, -60.0);
    }
}

TEST_F(ConvertTest, AKeysTimeLimitCutsTheSourceBeforeConversion) {
    // 60 s of 44100 Hz mono: the same format, so the cut is exact.
    const PcmWaveFormat mono = MakePcmFormat(1, 44100, 16);
    const std::string monoPath = m_temp.File("mono60.wav");
    ASSERT_TRUE(WriteWave(monoPath, mono, TonePcm(mono, 60.0, 440)));
    for (int slot : {1, 2, 3}) {
        SCOPED_TRACE(slot);
        const auto image = ConvertForDevice(os::Utf8ToUtf16(monoPath), slot);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->size(), 44u + static_cast<std::size_t>(SLOT_SECONDS[slot]) * 88200);
    }
    EXPECT_EQ(ConvertForDevice(os::Utf8ToUtf16(monoPath), 0)->size(), 44u + 60u * 88200);

    // 60 s of 48 kHz stereo to key 2: 35 s of the card's format.
    const PcmWaveFormat stereo = MakePcmFormat(2, 48000, 16);
    const std::string stereoPath = m_temp.File("stereo60.wav");
    ASSERT_TRUE(WriteWave(stereoPath, stereo, TonePcm(stereo, 60.0, 440)));
    const auto image = ConvertForDevice(os::Utf8ToUtf16(stereoPath), 2);
    ASSERT_TRUE(image);
    EXPECT_NEAR(static_cast<double>(image->size() - 44), 35.0 * 88200, 88.2);
}

TEST_F(ConvertTest, FilesWithoutSoundGiveNoImage) {
    CWaveFile empty;
    PcmWaveFormat format = MakePcmFormat(1, 44100, 16);
    ASSERT_EQ(empty.Open(os::Utf8ToUtf16(m_temp.File("nodata.wav")), &format), 1);
    empty.Close();
    ASSERT_TRUE(WriteBytes(m_temp.File("empty.wav"), {}));
    ASSERT_TRUE(WriteBytes(m_temp.File("text.wav"), std::vector<std::uint8_t>(100, 'x')));
    for (const char* name : {"nodata.wav", "empty.wav", "text.wav", "missing.wav"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(ConvertForDevice(os::Utf8ToUtf16(m_temp.File(name)), 1));
    }
    EXPECT_EQ(std::filesystem::file_size(m_temp.File("empty.wav")), 0u);  // read, never made a WAV
    EXPECT_FALSE(ConvertToDeviceSamples({}, format));
}

}  // namespace
}  // namespace qv::test
