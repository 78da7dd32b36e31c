#include "tools/sounds/SkinSounds.h"

#include <cmath>

#include "tools/sounds/Synth.h"

namespace qv::soundtool {

namespace {

// Equal-tempered pitch of a MIDI note number (69 = A4).
double Note(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

// "Ha ha ha" of one voice: syllables falling in pitch, with gaps.
void Laugh(Track& track, double at, double f0, int syllables, double f1, double f2, Noise& noise) {
    for (int i = 0; i < syllables; ++i) {
        const double pitch = f0 * (1 - 0.04 * i) * noise.Between(0.95, 1.05);
        track.Mix(Syllable(pitch, pitch * 0.85, f1, f2, noise.Between(0.11, 0.15), noise), at,
                  noise.Between(0.7, 1.0) * (1 - 0.06 * i));
        at += noise.Between(0.17, 0.22);
    }
}

// 大哄笑: a roomful laughing, voices starting one after another.
std::vector<std::int16_t> BigLaugh() {
    Track track(2.6);
    Noise noise(11);
    for (int voice = 0; voice < 7; ++voice) {
        const double f0 = noise.Between(120, 320);
        Laugh(track, noise.Between(0.0, 0.45), f0, 9 + voice % 3, noise.Between(700, 850), noise.Between(1100, 1300),
              noise);
    }
    return track.ToPcm();
}

// 掌声: an audience clapping, swelling and dying away.
std::vector<std::int16_t> Applause() {
    Track track(3.0);
    Noise noise(22);
    for (int clap = 0; clap < 260; ++clap) {
        const double at = noise.Between(0.0, 2.85);
        const double swell = std::sin(M_PI * std::min(1.0, at / 2.85)) * 0.8 + 0.2;
        track.Mix(Burst(noise.Between(900, 2600), 1.4, 0.012, 0.08, noise), at, swell * noise.Between(0.4, 1.0));
    }
    return track.ToPcm();
}

// 亲嘴: two kisses, a lip pop each with a rising squeak.
std::vector<std::int16_t> Kiss() {
    Track track(0.9);
    Noise noise(33);
    for (double at : {0.05, 0.45}) {
        track.Mix(Burst(3500, 0.8, 0.006, 0.04, noise), at, 0.8);
        std::vector<double> squeak(static_cast<std::size_t>(0.09 * kRate));
        double phase = 0;
        for (std::size_t i = 0; i < squeak.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            phase += (500 + 9000 * t) / kRate;
            squeak[i] = std::sin(2 * M_PI * phase) * Envelope(t, 0.01, 0.025);
        }
        track.Mix(squeak, at + 0.01, 0.5);
    }
    return track.ToPcm();
}

// 小哄笑: one voice giggling "hee hee".
std::vector<std::int16_t> SmallLaugh() {
    Track track(1.4);
    Noise noise(44);
    Laugh(track, 0.02, 330, 6, 320, 2300, noise);
    return track.ToPcm();
}

// 打耳光: a swish, then a sharp slap with a dull thump under it.
std::vector<std::int16_t> Slap() {
    Track track(0.7);
    Noise noise(55);
    std::vector<double> swish(static_cast<std::size_t>(0.15 * kRate));
    for (std::size_t i = 0; i < swish.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        Biquad band = Biquad::BandPass(800 + 20000 * t, 2);
        swish[i] = band.Run(noise.Next()) * t / 0.15;
    }
    track.Mix(swish, 0.0, 0.3);
    track.Mix(Burst(2500, 0.5, 0.03, 0.4, noise), 0.15, 1.0);
    std::vector<double> thump(static_cast<std::size_t>(0.3 * kRate));
    for (std::size_t i = 0; i < thump.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        thump[i] = std::sin(2 * M_PI * 120 * t) * Envelope(t, 0.002, 0.05);
    }
    track.Mix(thump, 0.15, 0.6);
    return track.ToPcm();
}

// 感谢: a bright rising chime, C E G C.
std::vector<std::int16_t> Thanks() {
    Track track(1.6);
    const int notes[] = {72, 76, 79, 84};
    for (int i = 0; i < 4; ++i) track.Mix(Bell(Note(notes[i]), 1.6 - 0.12 * i), 0.12 * i, 1.0 - 0.1 * i);
    return track.ToPcm();
}

// 欢迎大哥: a short brass fanfare, G G C and a held E.
std::vector<std::int16_t> WelcomeFanfare() {
    Track track(2.0);
    struct Step {
        int note;
        double at, length;
    };
    for (const Step& s : {Step{67, 0.0, 0.16}, Step{67, 0.2, 0.16}, Step{72, 0.4, 0.3}, Step{76, 0.75, 1.2}}) {
        track.Mix(Brass(Note(s.note), s.length), s.at, 1.0);
        track.Mix(Brass(Note(s.note - 12), s.length), s.at, 0.5);
    }
    return track.ToPcm();
}

// 爱你: a warm held third over two heartbeats.
std::vector<std::int16_t> LoveYou() {
    Track track(1.9);
    for (int note : {64, 68}) {
        std::vector<double> tone(track.Size());
        for (std::size_t i = 0; i < tone.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double vibrato = 1 + 0.004 * std::sin(2 * M_PI * 5 * t);
            tone[i] = std::sin(2 * M_PI * Note(note) * vibrato * t) * std::min(1.0, t / 0.3) *
                      std::min(1.0, (1.9 - t) / 0.5);
        }
        track.Mix(tone, 0.0, 0.5);
    }
    for (double at : {0.3, 0.55, 1.1, 1.35}) {
        std::vector<double> beat(static_cast<std::size_t>(0.2 * kRate));
        for (std::size_t i = 0; i < beat.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            beat[i] = std::sin(2 * M_PI * 60 * t) * Envelope(t, 0.005, 0.04);
        }
        track.Mix(beat, at, 0.9);
    }
    return track.ToPcm();
}

// 神话情话: a harp sweeping up a pentatonic scale and back.
std::vector<std::int16_t> HarpSweep() {
    Track track(2.3);
    Noise noise(99);
    const int scale[] = {60, 62, 64, 67, 69, 72, 74, 76, 79, 81, 84};
    double at = 0;
    for (int i = 0; i < 11; ++i, at += 0.07) track.Mix(Pluck(Note(scale[i]), 1.2, noise), at, 0.6);
    for (int i = 9; i >= 0; i -= 2, at += 0.09) track.Mix(Pluck(Note(scale[i]), 1.0, noise), at, 0.5);
    return track.ToPcm();
}

// 鄙视: a trombone's "wah wah wah waaah", falling.
std::vector<std::int16_t> SadTrombone() {
    Track track(2.2);
    struct Step {
        int note;
        double at, length;
    };
    for (const Step& s : {Step{58, 0.0, 0.4}, Step{57, 0.42, 0.4}, Step{56, 0.84, 0.4}, Step{55, 1.26, 0.9}}) {
        std::vector<double> note = Brass(Note(s.note), s.length, s.length > 0.5 ? 6.5 : 5.0);
        // "Wah": a mute opening and closing over each note.
        Biquad mute = Biquad::LowPass(500, 2);
        for (std::size_t i = 0; i < note.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            if (i % 64 == 0) mute = Biquad::LowPass(400 + 1400 * std::sin(M_PI * std::min(1.0, t / s.length)), 2);
            note[i] = mute.Run(note[i]);
        }
        track.Mix(note, s.at, 1.0);
    }
    return track.ToPcm();
}

}  // namespace

const std::vector<SkinSound>& AllSkinSounds() {
    static const std::vector<SkinSound> sounds = {
        {"DJ_DHX", &BigLaugh},  {"DJ_ZS", &Applause},         {"DJ_QZ", &Kiss},      {"DJ_XHX", &SmallLaugh},
        {"DJ_DEG", &Slap},      {"DJ_GX", &Thanks},           {"DJ_HYDG", &WelcomeFanfare},
        {"DJ_LOVE", &LoveYou},  {"DJ_SHQH", &HarpSweep},      {"DJ_BS", &SadTrombone},
    };
    return sounds;
}

}  // namespace qv::soundtool
