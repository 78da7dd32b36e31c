#pragma once
// The few pieces the skin's sounds are made of: a mono track at 44100 Hz
// that parts are mixed into, a seeded noise source, biquad filters and
// envelopes. Everything is deterministic, so the sounds come out the same on
// every run.
#include <cstdint>
#include <vector>

namespace qv::soundtool {

constexpr int kRate = 44100;

class Track {
public:
    explicit Track(double seconds) : m_samples(static_cast<std::size_t>(seconds * kRate), 0.0) {}
    std::size_t Size() const { return m_samples.size(); }
    double& At(std::size_t i) { return m_samples[i]; }
    // Adds the part, starting `at` seconds in, scaled by gain; what runs past
    // the end is cut.
    void Mix(const std::vector<double>& part, double at, double gain = 1.0);
    // Scaled so its peak is `peak` of full scale, with 5 ms fades at both
    // ends, as 16-bit samples.
    std::vector<std::int16_t> ToPcm(double peak = 0.8) const;

private:
    std::vector<double> m_samples;
};

class Noise {
public:
    explicit Noise(std::uint32_t seed) : m_state(seed ? seed : 1) {}
    // Uniform in [-1, 1).
    double Next();
    // Uniform in [lo, hi).
    double Between(double lo, double hi) { return lo + (hi - lo) * (Next() + 1) / 2; }

private:
    std::uint32_t m_state;
};

// One biquad section (the usual cookbook forms).
class Biquad {
public:
    static Biquad LowPass(double hz, double q);
    static Biquad HighPass(double hz, double q);
    static Biquad BandPass(double hz, double q);
    double Run(double x);

private:
    double m_b0 = 1, m_b1 = 0, m_b2 = 0, m_a1 = 0, m_a2 = 0;
    double m_x1 = 0, m_x2 = 0, m_y1 = 0, m_y2 = 0;
};

// Linear rise over attack seconds, then exponential fall with the time
// constant decay.
double Envelope(double t, double attack, double decay);

// A plucked string (Karplus-Strong) of the pitch for the given seconds.
std::vector<double> Pluck(double hz, double seconds, Noise& noise);
// A note of a bell: a sine with inharmonic partials that die away.
std::vector<double> Bell(double hz, double seconds);
// A sawtooth note through a low-pass that opens with the note, with vibrato:
// a brass-like voice.
std::vector<double> Brass(double hz, double seconds, double vibratoHz = 5.5);
// A voiced syllable: pulses at pitch f0 (gliding to f0End) through two vowel
// formants, after a breathy onset.
std::vector<double> Syllable(double f0, double f0End, double f1, double f2, double seconds, Noise& noise);
// A burst of filtered noise with a sharp attack and the given decay.
std::vector<double> Burst(double centreHz, double q, double decay, double seconds, Noise& noise);

}  // namespace qv::soundtool
