#pragma once
// Files the upload tests share: a private temp folder ($TMPDIR points at it,
// so the decoder's temporary files land there and can be counted) and the
// MP3 and WAV fixtures made in it.
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/upload/PcmWaveFormat.h"

namespace qv::test {

class UploadTempFolder {
public:
    UploadTempFolder();
    ~UploadTempFolder();
    UploadTempFolder(const UploadTempFolder&) = delete;
    UploadTempFolder& operator=(const UploadTempFolder&) = delete;

    const std::string& Path() const { return m_dir; }
    std::string File(const std::string& name) const { return m_dir + "/" + name; }
    // The decoder's temporary files ("QvWavForm...") in the folder now.
    std::vector<std::string> TempWaveFiles() const;

private:
    std::string m_dir;
    std::string m_savedTmp;
    bool m_hadTmp = false;
};

// A tone as an MP3 file: path on success, empty otherwise.
std::string MakeToneMp3(const std::string& path, int rate, int channels, double seconds, double leftHz = 440,
                        double rightHz = 0);

// A decoded WAV's format and samples.
struct DecodedWave {
    bool ok = false;
    PcmWaveFormat format;
    std::vector<std::uint8_t> data;
    std::vector<std::int16_t> Channel(int channel) const;
};
DecodedWave ReadWave(const std::string& path);
// The root mean square of 16-bit samples.
double Rms(const std::vector<std::int16_t>& samples);

}  // namespace qv::test
