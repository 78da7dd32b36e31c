#pragma once
// Sounds for the audio tests and benchmarks, and SDL's disk driver as their
// device: tones made, written as raw PCM (what the disk driver reads and
// writes: 16-bit interleaved) or encoded to MP3 with the engine's encoder,
// and the disk output measured back.
#include <cstdint>
#include <string>
#include <vector>

namespace qv::test {

// Interleaved frames of a sine tone.
std::vector<std::int16_t> ToneSamples(double seconds, double hz, int rate, int channels, double amplitude = 0.5);

bool WriteRaw(const std::string& path, const std::vector<std::int16_t>& samples);
std::vector<std::int16_t> ReadRaw(const std::string& path);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
// Encodes the frames to an MP3 file through the engine's LAME encoder.
bool WriteMp3(const std::string& path, const std::vector<std::int16_t>& samples, int rate, int channels);

// The stretch of the first channel that holds sound (10 ms windows louder
// than a quarter of the loudest), its frequency and its peak away from the
// edges. All 0 when there is no sound.
struct ToneReport {
    double seconds = 0;
    double hz = 0;
    int peak = 0;
};
ToneReport MeasureTone(const std::vector<std::int16_t>& samples, int rate, int channels);

// A sine fitted to the sounding stretch of the first channel: where the
// stretch begins and ends (the first and the last sample above a tenth of
// its peak), its frequency from the times of its upward zero crossings, and
// what is left of it after the fitted sine is taken away, in dB below the
// sine. The first and last 10 ms are left out of the fit, where the edges
// of a band-limited tone ring. A step in phase anywhere shows in both.
struct SineFit {
    std::size_t first = 0;
    std::size_t last = 0;
    double hz = 0;
    double residualDb = 0;
};
SineFit FitSine(const std::vector<std::int16_t>& samples, int rate, int channels);

// Sets this process's SDL audio to the disk driver: output written to
// outFile, capture read from inFile (silence after its end), each block
// after delayMs. Takes effect at the next start of SDL audio.
void UseDiskAudio(const std::string& outFile, const std::string& inFile, int delayMs);
// The dummy driver: output dropped, capture silent, in real time.
void UseDummyAudio();

// Threads of this process whose name starts with the prefix (SDL names its
// device threads "SDLAudioP1", "SDLAudioC2", ...).
int CountThreadsNamed(const std::string& prefix);

}  // namespace qv::test
