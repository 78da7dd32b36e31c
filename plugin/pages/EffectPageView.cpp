#include "plugin/pages/EffectPageView.h"

namespace {

constexpr int kOriginalEffect = 0;
constexpr int kElectricEffect = 8;
constexpr int kMonsterVoiceEffect = 5;
constexpr int kGirlVoiceEffect = 6;
// Device custom effects and the user's own effects follow the nine built-in buttons.
constexpr int kLastSavedEffectCode = 15;
constexpr int kSavedEffectButtonOffset = 8;

int CheckedButton(const CurrentEffectState& s) {
    if (s.listEffectId != 0) return -1;
    // Only the built-in effects have buttons of their own.
    if (s.effectCode == 0) return s.effectNumber >= kOriginalEffect && s.effectNumber <= kElectricEffect ? s.effectNumber : -1;
    if (s.effectCode >= 1 && s.effectCode <= kLastSavedEffectCode) return s.effectCode + kSavedEffectButtonOffset;
    return -1;
}

}  // namespace

EffectPageView EffectPageViewFor(const CurrentEffectState& s) {
    EffectPageView view;
    view.checkedButton = CheckedButton(s);
    const bool electric = s.effectNumber == kElectricEffect;
    view.notElectricOverlay = electric;
    view.electricOverlay = !electric;
    view.reverbPitchOverlay = s.effectNumber == kOriginalEffect && s.listEffectId != -1;
    view.saveEffectButton = !electric;
    const bool voiceChange = s.effectNumber == kMonsterVoiceEffect || s.effectNumber == kGirlVoiceEffect || s.voiceSwitch == 1;
    view.pitchPage = voiceChange ? 1 : 0;
    view.pitchOverlay = !voiceChange;
    return view;
}
