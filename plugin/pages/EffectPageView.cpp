#include "plugin/pages/EffectPageView.h"

#include "families/FamilyData.h"

namespace {

constexpr int kOriginalEffect = 0;

}  // namespace

EffectPageView EffectPageViewFor(const FamilyData& family, const CurrentEffectState& s) {
    const FamilyEffectPageData& rules = family.effectPage;
    EffectPageView view;
    // A cloud effect has no button; the others are found by their code.
    view.checkedButton = s.listEffectId != 0 ? -1 : EffectButtonOfCode(family, s.effectCode, s.effectNumber);
    const bool electric = s.effectNumber == rules.electricEffect;
    view.notElectricOverlay = electric;
    view.electricOverlay = !electric;
    view.reverbPitchOverlay = s.effectNumber == kOriginalEffect && s.listEffectId != -1;
    view.saveEffectButton = !electric;
    bool voiceChange = s.effectNumber == rules.girlVoiceEffect;
    if (rules.pitchTabRule == PitchTabRule::kVoiceEffectsOrSwitch)
        voiceChange = voiceChange || s.effectNumber == rules.monsterVoiceEffect || s.voiceSwitch == 1;
    view.pitchPage = voiceChange ? 1 : 0;
    view.pitchOverlay = !voiceChange;
    return view;
}
