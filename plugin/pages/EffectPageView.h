#pragma once
// What the effect page shows for the current effect: the effect button that
// is checked, which overlays lock which sections, whether the effect can be
// saved, and which page of the reverb and voice-change tabs is in front.
#include <cstdint>

struct EffectPageView {
    int checkedButton = -1;           // index of the effect button, -1: none
    bool notElectricOverlay = false;  // over the sections the electric effect does not use
    bool electricOverlay = true;      // over the electric section
    bool reverbPitchOverlay = false;  // over reverb and voice change
    bool saveEffectButton = true;
    int pitchPage = 0;                // 0 reverb, 1 voice change
    bool pitchOverlay = true;         // over the voice-change page
};

struct CurrentEffectState {
    std::int32_t listEffectId = 0;  // 0 unless a cloud effect is current (-1: the built-in entry)
    std::int32_t effectCode = 0;    // 0 built-in, 1 .. 3 device custom, 4 .. 15 user effects
    std::int32_t effectNumber = 0;  // the card's effect (parameter 4)
    std::int32_t voiceSwitch = 0;   // parameter 15
};

EffectPageView EffectPageViewFor(const CurrentEffectState& state);
