#include "tools/sounds/Synth.h"

#include <algorithm>
#include <cmath>

namespace qv::soundtool {

namespace {

constexpr double kTwoPi = 2 * M_PI;

std::size_t Frames(double seconds) { return static_cast<std::size_t>(seconds * kRate); }

}  // namespace

void Track::Mix(const std::vector<double>& part, double at, double gain) {
    const std::size_t start = Frames(at);
    for (std::size_t i = 0; i < part.size() && start + i < m_samples.size(); ++i) m_samples[start + i] += gain * part[i];
}

std::vector<std::int16_t> Track::ToPcm(double peak) const {
    double loudest = 1e-9;
    for (double s : m_samples) loudest = std::max(loudest, std::abs(s));
    const std::size_t fade = Frames(0.005);
    std::vector<std::int16_t> pcm(m_samples.size());
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        double gain = peak / loudest;
        const std::size_t edge = std::min(i, pcm.size() - 1 - i);
        if (edge < fade) gain *= static_cast<double>(edge) / static_cast<double>(fade);
        pcm[i] = static_cast<std::int16_t>(std::lround(std::clamp(m_samples[i] * gain, -1.0, 1.0) * 32767));
    }
    return pcm;
}

double Noise::Next() {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return static_cast<double>(m_state) / 2147483648.0 - 1.0;
}

Biquad Biquad::LowPass(double hz, double q) {
    const double w = kTwoPi * hz / kRate, alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
    Biquad f;
    f.m_b0 = (1 - c) / 2 / a0;
    f.m_b1 = (1 - c) / a0;
    f.m_b2 = f.m_b0;
    f.m_a1 = -2 * c / a0;
    f.m_a2 = (1 - alpha) / a0;
    return f;
}

Biquad Biquad::HighPass(double hz, double q) {
    const double w = kTwoPi * hz / kRate, alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
    Biquad f;
    f.m_b0 = (1 + c) / 2 / a0;
    f.m_b1 = -(1 + c) / a0;
    f.m_b2 = f.m_b0;
    f.m_a1 = -2 * c / a0;
    f.m_a2 = (1 - alpha) / a0;
    return f;
}

Biquad Biquad::BandPass(double hz, double q) {
    const double w = kTwoPi * hz / kRate, alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
    Biquad f;
    f.m_b0 = alpha / a0;
    f.m_b1 = 0;
    f.m_b2 = -alpha / a0;
    f.m_a1 = -2 * c / a0;
    f.m_a2 = (1 - alpha) / a0;
    return f;
}

double Biquad::Run(double x) {
    const double y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
    m_x2 = m_x1;
    m_x1 = x;
    m_y2 = m_y1;
    m_y1 = y;
    return y;
}

double Envelope(double t, double attack, double decay) {
    if (t < 0) return 0;
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / decay);
}

std::vector<double> Pluck(double hz, double seconds, Noise& noise) {
    const std::size_t period = std::max<std::size_t>(2, static_cast<std::size_t>(kRate / hz));
    std::vector<double> ring(period);
    for (double& s : ring) s = noise.Next();
    std::vector<double> out(Frames(seconds));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::size_t k = i % period;
        out[i] = ring[k];
        ring[k] = 0.996 * 0.5 * (ring[k] + ring[(k + 1) % period]);
    }
    return out;
}

std::vector<double> Bell(double hz, double seconds) {
    std::vector<double> out(Frames(seconds));
    const double partials[][3] = {{1.0, 1.0, 0.9}, {2.76, 0.5, 0.35}, {5.40, 0.25, 0.15}, {8.93, 0.12, 0.08}};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        for (const auto& p : partials) out[i] += p[1] * Envelope(t, 0.003, p[2]) * std::sin(kTwoPi * hz * p[0] * t);
    }
    return out;
}

std::vector<double> Brass(double hz, double seconds, double vibratoHz) {
    std::vector<double> out(Frames(seconds));
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double vibrato = 1 + 0.006 * std::min(1.0, t * 4) * std::sin(kTwoPi * vibratoHz * t);
        phase += hz * vibrato / kRate;
        phase -= std::floor(phase);
        out[i] = 2 * phase - 1;
    }
    // The filter opens with the attack, as a player's lips do.
    Biquad low = Biquad::LowPass(600, 0.9);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        if (i % 64 == 0) low = Biquad::LowPass(600 + 2400 * std::min(1.0, t / 0.08), 0.9);
        const double release = std::clamp((seconds - t) / 0.06, 0.0, 1.0);
        out[i] = low.Run(out[i]) * std::min(1.0, t / 0.02) * release;
    }
    return out;
}

std::vector<double> Syllable(double f0, double f0End, double f1, double f2, double seconds, Noise& noise) {
    std::vector<double> out(Frames(seconds));
    Biquad formant1 = Biquad::BandPass(f1, 6), formant2 = Biquad::BandPass(f2, 8);
    Biquad breath = Biquad::BandPass(1800, 1.5);
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate, along = t / seconds;
        phase += (f0 + (f0End - f0) * along) * (1 + 0.02 * noise.Next()) / kRate;
        double pulse = 0;
        if (phase >= 1) {
            phase -= 1;
            pulse = 1;
        }
        const double voiced = std::clamp((t - 0.025) / 0.02, 0.0, 1.0) * std::clamp((seconds - t) / 0.04, 0.0, 1.0);
        const double aspirated = Envelope(t, 0.005, 0.03) * 0.5;
        const double source = pulse * voiced * 20;
        out[i] = formant1.Run(source) + 0.6 * formant2.Run(source) + aspirated * breath.Run(noise.Next());
    }
    return out;
}

std::vector<double> Burst(double centreHz, double q, double decay, double seconds, Noise& noise) {
    std::vector<double> out(Frames(seconds));
    Biquad band = Biquad::BandPass(centreHz, q);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = band.Run(noise.Next()) * Envelope(static_cast<double>(i) / kRate, 0.001, decay);
    return out;
}

}  // namespace qv::soundtool
