#pragma once
// Sounds for the upload tests, made as they run: tones with a frequency of
// their own in each channel, and MP3 streams encoded by LAME in memory (for
// resources and fuzz seeds as well as files) or by the lame command-line
// encoder, so no binary fixture is kept in the repository. Reading files back: AudioFixtures.h.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/AudioFixtures.h"

namespace qv::test {

// Interleaved 16-bit samples: a sine of leftHz on the first channel and of
// rightHz on the second (0 Hz: silence), at the given peak amplitude.
std::vector<std::int16_t> ChannelToneSamples(int rate, int channels, double seconds, double leftHz, double rightHz,
                                      double amplitude = 12000);

// The samples as an MP3 stream (constant bit rate, kbps); empty on failure.
std::vector<std::uint8_t> EncodeMp3(const std::vector<std::int16_t>& samples, int rate, int channels, int kbps = 128);

// Writes the bytes to the file (replaced); false on failure.
bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The samples as a 16-bit PCM WAV file (replaced); false on failure.
bool WriteWav16(const std::string& path, const std::vector<std::int16_t>& samples, int rate, int channels);

// The WAV file encoded by the lame command-line encoder with the options
// (it writes its Info/Xing tag frame with the encoder delay and padding
// unless "-t" is among them): the MP3's bytes, left beside it as wavPath
// + ".mp3"; empty when lame is missing or fails.
std::vector<std::uint8_t> EncodeWithLameCli(const std::string& wavPath, const std::vector<std::string>& options);

}  // namespace qv::test
