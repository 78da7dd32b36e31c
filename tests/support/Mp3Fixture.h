#pragma once
// Sounds for the tests, made as they run: tones as 16-bit PCM and their MP3
// encoding by LAME, so no binary fixture is kept in the repository.
#include <cstdint>
#include <string>
#include <vector>

namespace qv::test {

// Interleaved 16-bit samples: a sine of leftHz on the first channel and of
// rightHz on the second (0 Hz: silence), at the given peak amplitude.
std::vector<std::int16_t> ToneSamples(int rate, int channels, double seconds, double leftHz, double rightHz,
                                      double amplitude = 12000);

// The samples as an MP3 stream (constant bit rate, kbps); empty on failure.
std::vector<std::uint8_t> EncodeMp3(const std::vector<std::int16_t>& samples, int rate, int channels, int kbps = 128);

// Writes the bytes to the file (replaced); false on failure.
bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBytes(const std::string& path);

}  // namespace qv::test
