// The audio engine under SDL's disk driver: the time from Start to the first
// non-silent sample of a sound in the device's output (with the device opened
// by that Start, and with it already open from the sound before), for a tone
// encoded by the lame command-line encoder with its tag frame and, for
// comparison, without it (so decoded with the encoder's delay ahead); and the
// CPU time per second of audio of MP3 playback and of recording with MP3
// encoding, as ratios to real time. The CPU runs go flat out (no delay
// between blocks, output to /dev/null), so their time is the work alone.
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/AudioStream.h"
#include "platform/audio/Mp3Encoder.h"
#include "platform/audio/Mp3Source.h"
#include "platform/os/Log.h"
#include "platform/os/Utf.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/Mp3Fixture.h"

namespace {

using namespace qv::audio;
using Clock = std::chrono::steady_clock;

constexpr double kSeconds = 60;

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Music-like content: a chord with a little noise, so the coders have work.
std::vector<std::int16_t> Programme(double seconds, int rate) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * rate) * 2);
    std::uint32_t noise = 1;
    for (std::size_t i = 0; i < samples.size() / 2; ++i) {
        const double t = static_cast<double>(i) / rate;
        noise = noise * 1664525u + 1013904223u;
        const double v = 0.2 * std::sin(2 * M_PI * 220 * t) + 0.15 * std::sin(2 * M_PI * 277.2 * t) +
                         0.12 * std::sin(2 * M_PI * 329.6 * t) + 0.05 * (static_cast<double>(noise >> 8) / 8388608.0 - 1);
        samples[2 * i] = static_cast<std::int16_t>(v * 32767);
        samples[2 * i + 1] = static_cast<std::int16_t>(v * 0.9 * 32767);
    }
    return samples;
}

int CountEnd(IAudioStream*, void* context, std::uint32_t, std::uintptr_t, std::uintptr_t) {
    ++*static_cast<std::atomic<int>*>(context);
    return 0;
}

// Milliseconds from now until a sample above 1 % of full scale appears in
// the file (16-bit samples) past `from` bytes.
double MsToFirstSample(const std::string& path, std::uintmax_t from, Clock::time_point start) {
    std::vector<char> buffer;
    auto loud = [&buffer] {
        for (std::size_t i = 0; i + 1 < buffer.size(); i += 2) {
            const auto sample = static_cast<std::int16_t>(static_cast<std::uint8_t>(buffer[i]) |
                                                          static_cast<std::uint8_t>(buffer[i + 1]) << 8);
            if (std::abs(sample) > 328) return true;
        }
        return false;
    };
    for (;;) {
        std::ifstream in(path, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(from));
        buffer.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (loud()) return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (Clock::now() - start > std::chrono::seconds(5)) return -1;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
}

// Milliseconds of the decoded sound before its first sample above 1 % of
// full scale: silence every start of it puts ahead of the sound.
double LeadingSilenceMs(const std::string& sound) {
    std::u16string error;
    auto source = Mp3Source::Open(qv::test::ReadBytes(sound), error);
    if (!source) return -1;
    std::vector<std::int16_t> buffer(4096 * static_cast<std::size_t>(source->Channels()));
    std::uint64_t frames = 0;
    while (const std::size_t n = source->Read(buffer.data(), 4096)) {
        for (std::size_t i = 0; i < n * static_cast<std::size_t>(source->Channels()); ++i)
            if (std::abs(buffer[i]) > 328)
                return static_cast<double>(frames + i / static_cast<std::size_t>(source->Channels())) * 1000 /
                       source->Rate();
        frames += n;
    }
    return -1;
}

struct Latency {
    double cold = 0;
    double warm = 0;
};

// Median start to first sample of the sound, over 15 runs each way.
Latency StartLatency(const std::string& dir, const std::string& sound, const char* what) {
    const std::string out = dir + "/latency.raw";
    qv::test::UseDiskAudio(out, dir + "/none.raw", 0);
    unsetenv("SDL_DISKAUDIODELAY");  // real-time blocks, as a device takes them
    std::vector<double> cold, warm;
    for (int run = 0; run < 15; ++run) {
        std::atomic<int> ends{0};
        AudioStreamPtr player(CreateAudioStream());
        player->SetCallback(&CountEnd, kMessagePlaybackEnd, &ends);
        player->Open(qv::os::Utf8ToUtf16(sound).c_str());
        auto start = Clock::now();
        player->Start();
        cold.push_back(MsToFirstSample(out, 0, start));
        while (ends.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const std::uintmax_t played = std::filesystem::file_size(out);
        player->Open(qv::os::Utf8ToUtf16(sound).c_str());
        // A click comes at any point of the device's block cycle, not just
        // after the block that ended the sound before.
        std::this_thread::sleep_for(std::chrono::microseconds(run * 1420));
        start = Clock::now();
        player->Start();
        warm.push_back(MsToFirstSample(out, played, start));
    }
    std::sort(cold.begin(), cold.end());
    std::sort(warm.begin(), warm.end());
    std::printf("start to first sample, %s (decoded, it starts after %.1f ms)\n", what, LeadingSilenceMs(sound));
    std::printf("  device opened by Start: median %.1f ms, max %.1f ms (%zu runs)\n", cold[cold.size() / 2],
                cold.back(), cold.size());
    std::printf("  device already open:    median %.1f ms, max %.1f ms (%zu runs)\n", warm[warm.size() / 2],
                warm.back(), warm.size());
    return {cold[cold.size() / 2], warm[warm.size() / 2]};
}

void PlaybackCpu(const std::string& dir, const std::string& sound) {
    qv::test::UseDiskAudio("/dev/null", dir + "/none.raw", 0);
    std::atomic<int> ends{0};
    AudioStreamPtr player(CreateAudioStream());
    player->SetCallback(&CountEnd, kMessagePlaybackEnd, &ends);
    player->Open(qv::os::Utf8ToUtf16(sound).c_str());
    const double cpu0 = CpuSeconds();
    const auto wall0 = Clock::now();
    player->Start();
    while (ends.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double cpu = CpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    player.reset();

    std::u16string error;
    auto source = Mp3Source::Open(qv::test::ReadBytes(sound), error);
    std::vector<std::int16_t> buffer(8192);
    const double decode0 = CpuSeconds();
    while (source->Read(buffer.data(), 4096)) {
    }
    const double decode = CpuSeconds() - decode0;
    std::printf("MP3 playback, 44100 Hz stereo to a 48000 Hz device: %.4f of one core per second of audio "
                "(%.2f s CPU, %.2f s wall for %.0f s); decoding alone %.4f\n",
                cpu / kSeconds, cpu, wall, kSeconds, decode / kSeconds);
}

void RecordingCpu(const std::string& dir) {
    const std::string in = dir + "/line.raw";
    qv::test::WriteRaw(in, Programme(kSeconds + 1, 44100));
    qv::test::UseDiskAudio("/dev/null", in, 0);
    AudioStreamPtr recorder(CreateAudioStream());
    recorder->Open(kLineInUrl);
    recorder->StartRecord(qv::os::Utf8ToUtf16(dir + "/take.mp3").c_str());
    const double cpu0 = CpuSeconds();
    const auto wall0 = Clock::now();
    recorder->Start();
    AudioPosition position;
    while (recorder->GetPosition(&position) && position.milliseconds < kSeconds * 1000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    recorder->Stop();
    const double cpu = CpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    recorder.reset();

    const std::vector<std::int16_t> pcm = Programme(kSeconds, 44100);
    std::u16string error;
    auto encoder = Mp3Encoder::Create(qv::os::Utf8ToUtf16(dir + "/encode.mp3"), 44100, 2, error);
    const double encode0 = CpuSeconds();
    for (std::size_t i = 0; i < pcm.size() / 2; i += 1024)
        encoder->Encode(pcm.data() + 2 * i, std::min<std::size_t>(1024, pcm.size() / 2 - i));
    encoder->Finish(error);
    const double encode = CpuSeconds() - encode0;
    std::printf("recording with MP3 encoding, 44100 Hz stereo at 192 kbit/s: %.4f of one core per second of audio "
                "(%.2f s CPU, %.2f s wall for %.0f s); encoding alone %.4f\n",
                cpu / (position.milliseconds / 1000.0), cpu, wall, position.milliseconds / 1000.0, encode / kSeconds);
}

}  // namespace

int main() {
    qv::os::SetDebugOutputHook([](const char*) {});
    char pattern[] = "/tmp/qv-audiobench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::string dir = pattern;
    const std::string programme = dir + "/programme.mp3";
    const std::vector<std::int16_t> blip = qv::test::ToneSamples(0.2, 440, 44100, 2);
    const std::string tagged = dir + "/blip.wav", untagged = dir + "/blip-untagged.wav";
    if (!qv::test::WriteWav16(tagged, blip, 44100, 2) || !qv::test::WriteWav16(untagged, blip, 44100, 2) ||
        qv::test::EncodeWithLameCli(tagged, {"-b", "128"}).empty() ||
        qv::test::EncodeWithLameCli(untagged, {"-b", "128", "-t"}).empty()) {
        std::fprintf(stderr, "the lame command-line encoder (Debian package lame) did not run\n");
        return 1;
    }
    qv::test::WriteMp3(programme, Programme(kSeconds, 44100), 44100, 2);
    const Latency withTag = StartLatency(dir, tagged + ".mp3", "0.2 s of tone from lame with its tag frame");
    const Latency withoutTag =
        StartLatency(dir, untagged + ".mp3", "the same from lame without the tag");
    std::printf("  with the tag / without: %.2f (device opened), %.2f (already open); one device block is %.1f ms\n",
                withTag.cold / withoutTag.cold, withTag.warm / withoutTag.warm, 1024 * 1000.0 / 48000);
    PlaybackCpu(dir, programme);
    RecordingCpu(dir);
    std::filesystem::remove_all(dir);
    return 0;
}
