#include "tests/support/Mp3Fixture.h"

#include <lame/lame.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <fstream>
#include <memory>

#include "tests/support/AudioFixtures.h"

extern char** environ;

namespace qv::test {

std::vector<std::int16_t> ChannelToneSamples(int rate, int channels, double seconds, double leftHz, double rightHz,
                                      double amplitude) {
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<std::int16_t> samples(frames * static_cast<std::size_t>(channels));
    const double step = 2 * M_PI / rate;
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double hz = c == 0 ? leftHz : rightHz;
            samples[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                static_cast<std::int16_t>(hz > 0 ? std::lround(amplitude * std::sin(step * hz * static_cast<double>(i))) : 0);
        }
    }
    return samples;
}

std::vector<std::uint8_t> EncodeMp3(const std::vector<std::int16_t>& samples, int rate, int channels, int kbps) {
    std::unique_ptr<lame_global_flags, decltype(&lame_close)> lame(lame_init(), lame_close);
    if (!lame) return {};
    lame_set_in_samplerate(lame.get(), rate);
    lame_set_out_samplerate(lame.get(), rate);
    lame_set_num_channels(lame.get(), channels);
    lame_set_mode(lame.get(), channels == 1 ? MONO : STEREO);
    lame_set_brate(lame.get(), kbps);
    lame_set_quality(lame.get(), 7);  // fast: the tests need sound, not fidelity
    if (lame_init_params(lame.get()) < 0) return {};
    const int frames = static_cast<int>(samples.size() / static_cast<std::size_t>(channels));
    std::vector<std::uint8_t> out(static_cast<std::size_t>(1.25 * frames + 7200 + 16384));
    int n = channels == 1
                ? lame_encode_buffer(lame.get(), samples.data(), samples.data(), frames, out.data(), static_cast<int>(out.size()))
                : lame_encode_buffer_interleaved(lame.get(), const_cast<short*>(samples.data()), frames, out.data(),
                                                 static_cast<int>(out.size()));
    if (n < 0) return {};
    const int tail = lame_encode_flush(lame.get(), out.data() + n, static_cast<int>(out.size()) - n);
    if (tail < 0) return {};
    out.resize(static_cast<std::size_t>(n + tail));
    return out;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

bool WriteWav16(const std::string& path, const std::vector<std::int16_t>& samples, int rate, int channels) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> bytes;
    auto put = [&bytes](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    auto text = [&bytes](const char* tag) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(tag[i]));
    };
    text("RIFF");
    put(36 + dataBytes, 4);
    text("WAVE");
    text("fmt ");
    put(16, 4);
    put(1, 2);
    put(static_cast<std::uint32_t>(channels), 2);
    put(static_cast<std::uint32_t>(rate), 4);
    put(static_cast<std::uint32_t>(rate * channels * 2), 4);
    put(static_cast<std::uint32_t>(channels * 2), 2);
    put(16, 2);
    text("data");
    put(dataBytes, 4);
    for (std::int16_t sample : samples) put(static_cast<std::uint16_t>(sample), 2);
    return WriteBytes(path, bytes);
}

std::vector<std::uint8_t> EncodeWithLameCli(const std::string& wavPath, const std::vector<std::string>& options) {
    const std::string mp3Path = wavPath + ".mp3";
    std::vector<std::string> words = {"lame", "--quiet"};
    words.insert(words.end(), options.begin(), options.end());
    words.push_back(wavPath);
    words.push_back(mp3Path);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "lame", nullptr, nullptr, argv.data(), environ) != 0) return {};
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return ReadBytes(mp3Path);
}

}  // namespace qv::test
