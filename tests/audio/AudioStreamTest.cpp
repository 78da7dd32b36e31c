// The audio engine's streams under SDL's disk driver: a recording of a tone
// played back, the formats a player opens, volume and jumps, what failures
// say, and that Release ends every callback and device.
#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include "platform/audio/AudioStream.h"
#include "platform/audio/Mp3Source.h"
#include "platform/os/Log.h"
#include "platform/os/Utf.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/Mp3Fixture.h"

namespace {

using namespace qv::audio;
using qv::test::MeasureTone;
using qv::test::ReadRaw;
using qv::test::ToneSamples;

constexpr int kOutputRate = 48000;  // what the player asks of the disk driver
constexpr int kCaptureRate = 44100;

int CountEnd(IAudioStream*, void* context, std::uint32_t message, std::uintptr_t, std::uintptr_t) {
    if (message == kMessagePlaybackEnd) ++*static_cast<std::atomic<int>*>(context);
    return 0;
}

// Waits for done() with a deadline; false names a hang to the caller.
bool WaitFor(const std::function<bool()>& done, double seconds = 30) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// A RIFF/WAVE file of the tone in the given sample encoding.
std::vector<std::uint8_t> WavOf(const std::vector<std::int16_t>& tone, int rate, int channels, int format, int bits) {
    std::vector<std::uint8_t> data;
    for (std::int16_t s : tone) {
        if (format == 3) {
            const float f = static_cast<float>(s) / 32768.0f;
            const auto* p = reinterpret_cast<const std::uint8_t*>(&f);
            data.insert(data.end(), p, p + 4);
        } else if (bits == 8) {
            data.push_back(static_cast<std::uint8_t>((s >> 8) + 128));
        } else {
            for (int b = 0; b < bits / 8 - 2; ++b) data.push_back(0);
            data.push_back(static_cast<std::uint8_t>(s & 0xFF));
            data.push_back(static_cast<std::uint8_t>(s >> 8 & 0xFF));
        }
    }
    auto le = [](std::vector<std::uint8_t>& v, std::uint32_t x, int n) {
        for (int i = 0; i < n; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
    };
    std::vector<std::uint8_t> wav = {'R', 'I', 'F', 'F'};
    le(wav, static_cast<std::uint32_t>(36 + data.size() + 10), 4);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'L', 'I', 'S', 'T', 1, 0, 0, 0, 'x', 0});  // an odd chunk first
    wav.insert(wav.end(), {'f', 'm', 't', ' '});
    le(wav, 16, 4);
    le(wav, static_cast<std::uint32_t>(format), 2);
    le(wav, static_cast<std::uint32_t>(channels), 2);
    le(wav, static_cast<std::uint32_t>(rate), 4);
    le(wav, static_cast<std::uint32_t>(rate * channels * bits / 8), 4);
    le(wav, static_cast<std::uint32_t>(channels * bits / 8), 2);
    le(wav, static_cast<std::uint32_t>(bits), 2);
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    le(wav, static_cast<std::uint32_t>(data.size()), 4);
    wav.insert(wav.end(), data.begin(), data.end());
    return wav;
}

class AudioStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        qv::os::SetDebugOutputHook([](const char*) {});
        char pattern[] = "/tmp/qv-audio-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        qv::test::UseDiskAudio(Path("out.raw"), Path("in.raw"), 2);
    }
    void TearDown() override {
        std::filesystem::remove_all(dir);
        qv::os::SetDebugOutputHook(nullptr);
    }
    std::string Path(const std::string& name) const { return dir + "/" + name; }
    static std::u16string U16(const std::string& path) { return qv::os::Utf8ToUtf16(path); }

    // Plays the file (or bytes) to the end on a new disk output file and
    // returns what reached the device.
    std::vector<std::int16_t> PlayToEnd(const std::string& file, int volume = 100, int jumpTo = 0) {
        const std::string out = Path("out" + std::to_string(++runs) + ".raw");
        setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
        std::atomic<int> ends{0};
        AudioStreamPtr player(CreateAudioStream());
        EXPECT_TRUE(player->SetCallback(&CountEnd, kMessagePlaybackEnd, &ends));
        EXPECT_TRUE(player->Open(U16(file).c_str())) << qv::os::Utf16ToUtf8(player->GetLastErrorText());
        EXPECT_TRUE(player->SetVolume(volume, volume));
        if (jumpTo > 0) {
            EXPECT_TRUE(player->SetProperty(StreamProperty::JumpToSecond, &jumpTo, 1));
        }
        EXPECT_TRUE(player->Start()) << qv::os::Utf16ToUtf8(player->GetLastErrorText());
        EXPECT_TRUE(WaitFor([&] { return ends.load() > 0; })) << "playback of " << file << " never ended";
        AudioStatus status;
        AudioPosition position;
        EXPECT_TRUE(player->GetStatus(&status) && player->GetPosition(&position));
        EXPECT_EQ(status.running, 0u);
        EXPECT_EQ(status.ready, 1u);
        EXPECT_EQ(position.milliseconds, 0u);
        player.reset();
        EXPECT_EQ(ends.load(), 1);
        return ReadRaw(out);
    }

    std::string dir;
    int runs = 0;
};

TEST_F(AudioStreamTest, RecordsTheLineInputToMp3AndPlaysItBack) {
    ASSERT_TRUE(qv::test::WriteRaw(Path("in.raw"), ToneSamples(3.0, 1000, kCaptureRate, 2)));
    const std::string take = Path("take.mp3");
    AudioStreamPtr recorder(CreateAudioStream());
    AudioStatus status;
    ASSERT_TRUE(recorder->Open(kLineInUrl));
    ASSERT_TRUE(recorder->GetStatus(&status));
    EXPECT_EQ(status.ready, 0u);
    ASSERT_TRUE(recorder->StartRecord(U16(take).c_str())) << qv::os::Utf16ToUtf8(recorder->GetLastErrorText());
    ASSERT_TRUE(recorder->GetStatus(&status));
    EXPECT_EQ(status.ready, 1u);
    EXPECT_EQ(status.running, 0u);
    ASSERT_TRUE(recorder->Start());
    ASSERT_TRUE(recorder->GetStatus(&status));
    EXPECT_EQ(status.running, 1u);
    int left = 0, right = 0;
    EXPECT_TRUE(WaitFor([&] { return recorder->GetLevel(&left, &right) && left > 40 && right > 40; }))
        << "the input level never showed the tone";
    AudioPosition position;
    ASSERT_TRUE(WaitFor([&] { return recorder->GetPosition(&position) && position.milliseconds >= 3600; }))
        << "the recording never reached 3.6 s";
    AudioDuration duration;
    ASSERT_TRUE(recorder->GetDuration(&duration));
    EXPECT_EQ(duration.unitsPerSecond, 1000u);
    EXPECT_EQ(duration.valid, 1u);
    ASSERT_TRUE(recorder->Stop()) << qv::os::Utf16ToUtf8(recorder->GetLastErrorText());
    ASSERT_TRUE(recorder->GetStatus(&status));
    EXPECT_EQ(status.running + status.ready, 0u);
    recorder.reset();

    // Plain MPEG frames from the first byte, which libmad reads whole.
    std::vector<std::uint8_t> bytes = qv::test::ReadBytes(take);
    ASSERT_GT(bytes.size(), 2u);
    EXPECT_TRUE(bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0);
    std::u16string error;
    auto decoded = Mp3Source::Open(std::move(bytes), error);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->Rate(), kCaptureRate);
    EXPECT_EQ(decoded->Channels(), 2);
    EXPECT_GE(decoded->TotalFrames(), 3500u * kCaptureRate / 1000);

    const qv::test::ToneReport tone = MeasureTone(PlayToEnd(take), kOutputRate, 2);
    EXPECT_NEAR(tone.seconds, 3.0, 0.2);
    EXPECT_NEAR(tone.hz, 1000.0, 10.0);
}

TEST_F(AudioStreamTest, PlaysEveryFormatAtItsPitchLengthVolumeAndJump) {
    struct Case {
        const char* name;
        int rate, channels, wavFormat, bits;  // wavFormat 0: MP3
        int volume, jumpTo;
        double seconds;
    };
    const Case cases[] = {
        {"mp3 44100 stereo", 44100, 2, 0, 16, 100, 0, 2.0}, {"mp3 at volume 50", 44100, 2, 0, 16, 50, 0, 2.0},
        {"mp3 from second 1", 44100, 2, 0, 16, 100, 1, 1.0}, {"mp3 22050 mono", 22050, 1, 0, 16, 100, 0, 2.0},
        {"wav u8 mono", 8000, 1, 1, 8, 100, 0, 2.0},         {"wav s16 stereo", 44100, 2, 1, 16, 100, 0, 2.0},
        {"wav s24 mono", 48000, 1, 1, 24, 100, 0, 2.0},      {"wav s32 stereo", 32000, 2, 1, 32, 100, 0, 2.0},
        {"wav float stereo", 44100, 2, 3, 32, 50, 1, 1.0},
    };
    int fullPeak = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::int16_t> tone = ToneSamples(2.0, 440, c.rate, c.channels);
        const std::string file = Path(std::string(c.name) + (c.wavFormat ? ".wav" : ".mp3"));
        if (c.wavFormat) {
            const std::vector<std::uint8_t> wav = WavOf(tone, c.rate, c.channels, c.wavFormat, c.bits);
            std::FILE* f = std::fopen(file.c_str(), "wb");
            ASSERT_NE(f, nullptr);
            std::fwrite(wav.data(), 1, wav.size(), f);
            std::fclose(f);
        } else {
            ASSERT_TRUE(qv::test::WriteMp3(file, tone, c.rate, c.channels));
        }
        AudioStreamPtr probe(CreateAudioStream());
        AudioDuration duration;
        ASSERT_TRUE(probe->Open(U16(file).c_str())) << qv::os::Utf16ToUtf8(probe->GetLastErrorText());
        ASSERT_TRUE(probe->GetDuration(&duration));
        EXPECT_EQ(duration.unitsPerSecond, 1000u);
        EXPECT_EQ(duration.wholeSeconds, 2u);
        EXPECT_EQ(duration.clock.seconds, 2u);
        probe.reset();

        const qv::test::ToneReport report = MeasureTone(PlayToEnd(file, c.volume, c.jumpTo), kOutputRate, 2);
        EXPECT_NEAR(report.seconds, c.seconds, 0.1);
        EXPECT_NEAR(report.hz, 440.0, 4.4);
        if (fullPeak == 0) fullPeak = report.peak;
        EXPECT_NEAR(report.peak, fullPeak * c.volume / 100.0, fullPeak * c.volume / 100.0 * 0.05);
    }
}

TEST_F(AudioStreamTest, PlaysASoundOfAnotherRateSampleExact) {
    // A converter that loses or repeats a fraction of a frame where the
    // pieces it is fed meet plays fast or slow and steps in phase there.
    for (const int rate : {44100, 22050}) {
        SCOPED_TRACE(rate);
        const int channels = rate == 44100 ? 2 : 1;
        const std::string file = Path("tone" + std::to_string(rate) + ".wav");
        const std::vector<std::uint8_t> wav = WavOf(ToneSamples(3.0, 440, rate, channels), rate, channels, 1, 16);
        ASSERT_TRUE(qv::test::WriteBytes(file, wav));
        const qv::test::SineFit fit = qv::test::FitSine(PlayToEnd(file), kOutputRate, 2);
        EXPECT_NEAR(fit.hz, 440.0, 440.0 * 0.0001);
        EXPECT_NEAR(static_cast<double>(fit.last - fit.first + 1), 3.0 * kOutputRate, kOutputRate / 1000.0);
        EXPECT_LT(fit.residualDb, -60.0);
    }
}

TEST_F(AudioStreamTest, EveryFailureSaysWhy) {
    const std::string garbage = Path("garbage.mp3");
    ASSERT_TRUE(qv::test::WriteRaw(garbage, std::vector<std::int16_t>(4000, 0x1234)));
    const std::string badWav = Path("bad.wav");
    {
        std::vector<std::uint8_t> wav = WavOf(ToneSamples(0.1, 440, 8000, 1), 8000, 1, 1, 16);
        wav[32] = 3;  // three channels
        std::FILE* f = std::fopen(badWav.c_str(), "wb");
        std::fwrite(wav.data(), 1, wav.size(), f);
        std::fclose(f);
    }
    const std::uint8_t noise[64] = {1, 2, 3};
    const std::int32_t second = 1;
    std::set<std::u16string> texts;
    struct Case {
        const char* name;
        std::function<bool(IAudioStream&)> call;
    };
    const Case cases[] = {
        {"missing file", [&](IAudioStream& s) { return s.Open(U16(Path("none.mp3")).c_str()); }},
        {"not a sound", [&](IAudioStream& s) { return s.Open(U16(garbage).c_str()); }},
        {"a folder", [&](IAudioStream& s) { return s.Open(U16(dir).c_str()); }},
        {"a FIFO no one writes", [&](IAudioStream& s) {
             return mkfifo(Path("fifo").c_str(), 0600) == 0 && s.Open(U16(Path("fifo")).c_str());
         }},
        {"three-channel WAV", [&](IAudioStream& s) { return s.Open(U16(badWav).c_str()); }},
        {"no bytes", [&](IAudioStream& s) { return s.OpenMemory(noise, 0, MemoryFormat::Mp3); }},
        {"bytes of no MP3", [&](IAudioStream& s) { return s.OpenMemory(noise, sizeof noise, MemoryFormat::Mp3); }},
        {"start with nothing open", [&](IAudioStream& s) { return s.Start(); }},
        {"record before the URL", [&](IAudioStream& s) { return s.StartRecord(u"/tmp/x.mp3"); }},
        {"another source", [&](IAudioStream& s) { return s.Open(u"wavein://src=mic;"); }},
        {"volume 101", [&](IAudioStream& s) { return s.SetVolume(101, 0); }},
        {"jump with nothing open", [&](IAudioStream& s) { return s.SetProperty(StreamProperty::JumpToSecond, &second, 1); }},
        {"device index", [&](IAudioStream& s) { return s.SelectOutputDevice(s.GetOutputDeviceCount()); }},
        {"position of nothing", [&](IAudioStream& s) {
             AudioPosition p;
             return s.GetPosition(&p);
         }},
        {"record into no folder", [&](IAudioStream& s) {
             return s.Open(kLineInUrl) && s.StartRecord(U16(Path("none/take.mp3")).c_str());
         }},
        {"record from no device", [&](IAudioStream& s) {
             setenv("SDL_DISKAUDIOFILEIN", Path("none.raw").c_str(), 1);
             return s.Open(kLineInUrl) && s.StartRecord(U16(Path("take.mp3")).c_str());
         }},
    };
    for (const Case& c : cases) {
        AudioStreamPtr stream(CreateAudioStream());
        EXPECT_FALSE(c.call(*stream)) << c.name;
        const std::u16string text = stream->GetLastErrorText();
        EXPECT_FALSE(text.empty()) << c.name;
        texts.insert(text);
    }
    EXPECT_GE(texts.size(), 12u) << "failures should say what went wrong, not one text for all";
}

TEST_F(AudioStreamTest, ReleaseEndsCallbacksDevicesAndThreads) {
    const std::string blip = Path("blip.mp3");
    ASSERT_TRUE(qv::test::WriteMp3(blip, ToneSamples(0.1, 880, 44100, 2), 44100, 2));
    ASSERT_TRUE(qv::test::WriteRaw(Path("in.raw"), ToneSamples(2.0, 1000, kCaptureRate, 2)));
    const std::string out = Path("out.raw");
    // Released before, at and after the end: a callback after Release would
    // write to a freed counter.
    for (int blocks = 0; blocks < 12; ++blocks) {
        auto ends = std::make_unique<std::atomic<int>>(0);
        IAudioStream* player = CreateAudioStream();
        ASSERT_TRUE(player->SetCallback(&CountEnd, kMessagePlaybackEnd, ends.get()));
        ASSERT_TRUE(player->Open(U16(blip).c_str()));
        ASSERT_TRUE(player->Start());
        ASSERT_TRUE(WaitFor([&] {
            std::error_code ec;
            return std::filesystem::file_size(out, ec) >= static_cast<std::uintmax_t>(blocks) * 4096;
        })) << "the device never wrote block " << blocks;
        player->Release();
        EXPECT_LE(ends->load(), 1);
    }
    // A recording released mid-way is a complete MP3 file.
    IAudioStream* recorder = CreateAudioStream();
    ASSERT_TRUE(recorder->Open(kLineInUrl) && recorder->StartRecord(U16(Path("cut.mp3")).c_str()) && recorder->Start());
    AudioPosition position;
    ASSERT_TRUE(WaitFor([&] { return recorder->GetPosition(&position) && position.milliseconds >= 500; }));
    recorder->Release();
    std::u16string error;
    EXPECT_NE(Mp3Source::Open(qv::test::ReadBytes(Path("cut.mp3")), error), nullptr);

    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_EQ(qv::test::CountThreadsNamed("SDLAudio"), 0);
}

}  // namespace
