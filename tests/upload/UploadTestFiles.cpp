#include "tests/upload/UploadTestFiles.h"

#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "platform/os/Utf.h"
#include "plugin/upload/CWaveFile.h"
#include "tests/support/Mp3Fixture.h"

namespace qv::test {

UploadTempFolder::UploadTempFolder() {
    char pattern[] = "/tmp/qv-upload-XXXXXX";
    if (mkdtemp(pattern)) m_dir = pattern;
    if (const char* tmp = std::getenv("TMPDIR")) {
        m_hadTmp = true;
        m_savedTmp = tmp;
    }
    setenv("TMPDIR", m_dir.c_str(), 1);
}

UploadTempFolder::~UploadTempFolder() {
    if (m_hadTmp)
        setenv("TMPDIR", m_savedTmp.c_str(), 1);
    else
        unsetenv("TMPDIR");
    std::error_code ignored;
    if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ignored);
}

std::vector<std::string> UploadTempFolder::TempWaveFiles() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("QvWavForm", 0) == 0) found.push_back(name);
    }
    return found;
}

std::string MakeToneMp3(const std::string& path, int rate, int channels, double seconds, double leftHz,
                        double rightHz) {
    const auto mp3 = EncodeMp3(ChannelToneSamples(rate, channels, seconds, leftHz, rightHz), rate, channels);
    return !mp3.empty() && WriteBytes(path, mp3) ? path : std::string();
}

std::vector<std::int16_t> DecodedWave::Channel(int channel) const {
    std::vector<std::int16_t> samples;
    const std::size_t step = 2u * format.channels;
    for (std::size_t at = 2u * static_cast<std::size_t>(channel); at + 1 < data.size(); at += step)
        samples.push_back(static_cast<std::int16_t>(data[at] | (data[at + 1] << 8)));
    return samples;
}

DecodedWave ReadWave(const std::string& path) {
    DecodedWave wave;
    CWaveFile file;
    if (!file.Open(qv::os::Utf8ToUtf16(path), nullptr)) return wave;
    wave.ok = true;
    wave.format = file.Format();
    wave.data.assign(file.Samples().begin(), file.Samples().end());
    return wave;
}

double Rms(const std::vector<std::int16_t>& samples) {
    if (samples.empty()) return 0;
    double sum = 0;
    for (std::int16_t s : samples) sum += static_cast<double>(s) * s;
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

}  // namespace qv::test
