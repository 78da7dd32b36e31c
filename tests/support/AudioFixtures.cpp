#include "tests/support/AudioFixtures.h"

#include <dirent.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "platform/audio/Mp3Encoder.h"
#include "platform/os/Utf.h"

namespace qv::test {

std::vector<std::int16_t> ToneSamples(double seconds, double hz, int rate, int channels, double amplitude) {
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<std::int16_t> samples(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i) {
        const double value = amplitude * 32767.0 * std::sin(2.0 * M_PI * hz * static_cast<double>(i) / rate);
        for (int c = 0; c < channels; ++c)
            samples[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                static_cast<std::int16_t>(std::lround(value));
    }
    return samples;
}

bool WriteRaw(const std::string& path, const std::vector<std::int16_t>& samples) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(samples.data()),
              static_cast<std::streamsize>(samples.size() * sizeof(std::int16_t)));
    return static_cast<bool>(out);
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::vector<std::int16_t> ReadRaw(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}

bool WriteMp3(const std::string& path, const std::vector<std::int16_t>& samples, int rate, int channels) {
    std::u16string error;
    auto encoder = qv::audio::Mp3Encoder::Create(qv::os::Utf8ToUtf16(path), rate, channels, error);
    if (!encoder) return false;
    const bool encoded = encoder->Encode(samples.data(), samples.size() / static_cast<std::size_t>(channels));
    return encoder->Finish(error) && encoded;
}

ToneReport MeasureTone(const std::vector<std::int16_t>& samples, int rate, int channels) {
    const std::size_t window = static_cast<std::size_t>(rate / 100);
    const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
    auto at = [&](std::size_t frame) { return samples[frame * static_cast<std::size_t>(channels)]; };
    std::vector<double> rms(frames / window);
    for (std::size_t w = 0; w < rms.size(); ++w) {
        double sum = 0;
        for (std::size_t i = w * window; i < (w + 1) * window; ++i) sum += static_cast<double>(at(i)) * at(i);
        rms[w] = std::sqrt(sum / static_cast<double>(window));
    }
    const double loudest = rms.empty() ? 0 : *std::max_element(rms.begin(), rms.end());
    ToneReport report;
    if (loudest < 1) return report;
    std::size_t first = rms.size(), last = 0;
    for (std::size_t w = 0; w < rms.size(); ++w) {
        if (rms[w] > loudest / 4) {
            first = std::min(first, w);
            last = w;
        }
    }
    report.seconds = static_cast<double>(last - first + 1) * static_cast<double>(window) / rate;
    // Frequency and peak from the inside of the stretch, clear of its edges.
    const std::size_t begin = (first + 5) * window, end = last > first + 10 ? (last - 4) * window : begin;
    int crossings = 0;
    for (std::size_t i = begin + 1; i < end; ++i) {
        if (at(i - 1) < 0 && at(i) >= 0) ++crossings;
        report.peak = std::max(report.peak, std::abs(static_cast<int>(at(i))));
    }
    if (end > begin) report.hz = crossings * static_cast<double>(rate) / static_cast<double>(end - begin);
    return report;
}

SineFit FitSine(const std::vector<std::int16_t>& samples, int rate, int channels) {
    const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
    auto at = [&](std::size_t frame) { return static_cast<double>(samples[frame * static_cast<std::size_t>(channels)]); };
    SineFit fit;
    double peak = 0;
    for (std::size_t i = 0; i < frames; ++i) peak = std::max(peak, std::abs(at(i)));
    if (peak == 0) return fit;
    while (std::abs(at(fit.first)) < peak / 10) ++fit.first;
    fit.last = frames - 1;
    while (std::abs(at(fit.last)) < peak / 10) --fit.last;
    const std::size_t edge = static_cast<std::size_t>(rate / 100);
    if (fit.last < fit.first + 4 * edge) return fit;
    const std::size_t begin = fit.first + edge, end = fit.last - edge;

    // Crossing times against their count: the slope is the period.
    double n = 0, sumK = 0, sumT = 0, sumKK = 0, sumKT = 0;
    for (std::size_t i = begin + 1; i < end; ++i) {
        if (at(i - 1) < 0 && at(i) >= 0) {
            const double t = static_cast<double>(i - 1) + at(i - 1) / (at(i - 1) - at(i));
            sumK += n;
            sumT += t;
            sumKK += n * n;
            sumKT += n * t;
            ++n;
        }
    }
    if (n < 3) return fit;
    const double period = (n * sumKT - sumK * sumT) / (n * sumKK - sumK * sumK);
    fit.hz = rate / period;

    // a cos + b sin + c at that frequency by least squares (normal equations).
    const double w = 2 * M_PI / period;
    double m[3][4] = {};
    for (std::size_t i = begin; i < end; ++i) {
        const double x = static_cast<double>(i - begin);
        const double basis[3] = {std::cos(w * x), std::sin(w * x), 1};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) m[r][c] += basis[r] * basis[c];
            m[r][3] += basis[r] * at(i);
        }
    }
    for (int p = 0; p < 3; ++p) {
        for (int r = p + 1; r < 3; ++r) {
            const double f = m[r][p] / m[p][p];
            for (int c = p; c < 4; ++c) m[r][c] -= f * m[p][c];
        }
    }
    double coef[3];
    for (int r = 2; r >= 0; --r) {
        double v = m[r][3];
        for (int c = r + 1; c < 3; ++c) v -= m[r][c] * coef[c];
        coef[r] = v / m[r][r];
    }
    double residual = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const double x = static_cast<double>(i - begin);
        const double e = at(i) - coef[0] * std::cos(w * x) - coef[1] * std::sin(w * x) - coef[2];
        residual += e * e;
    }
    const double sinePower = (coef[0] * coef[0] + coef[1] * coef[1]) / 2;
    fit.residualDb = 10 * std::log10(residual / static_cast<double>(end - begin) / sinePower);
    return fit;
}

void UseDiskAudio(const std::string& outFile, const std::string& inFile, int delayMs) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", outFile.c_str(), 1);
    setenv("SDL_DISKAUDIOFILEIN", inFile.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", std::to_string(delayMs).c_str(), 1);
}

void UseDummyAudio() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

int CountThreadsNamed(const std::string& prefix) {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
            std::string name;
            if (std::getline(comm, name) && name.rfind(prefix, 0) == 0) ++count;
        }
        closedir(dir);
    }
    return count;
}

}  // namespace qv::test
