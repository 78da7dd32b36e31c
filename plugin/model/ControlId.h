#pragma once
// Ids of parameter controls: the parameter id plus a multiple of 1000 that
// tells the control's kind, so one handler serves every control.
#include <cstdint>

namespace qv::binder {

constexpr int kKindStep = 1000;
constexpr int kBandSliderBase = 2000;   // equaliser band slider
constexpr int kValueBoxBase = 6000;     // value text box
constexpr int kSwitchBase = 7000;       // on/off check button
constexpr int kKnobBase = 8000;         // knob or slider
constexpr int kOptionBase = 600000;     // + option x 1000: option button
constexpr int kOptionGroupStep = 100000;
constexpr int kMaxOptions = 100;

constexpr int ParamIdOfControl(int controlId) { return controlId % kKindStep; }
constexpr int KnobControlId(int paramId) { return kKnobBase + paramId; }
constexpr int BandSliderControlId(int paramId) { return kBandSliderBase + paramId; }
constexpr int ValueBoxControlId(int paramId) { return kValueBoxBase + paramId; }
constexpr int SwitchControlId(int paramId) { return kSwitchBase + paramId; }
constexpr int OptionControlId(int option, int paramId) {
    return kOptionBase + option * kKindStep + paramId;
}
// The option number an option button stands for.
constexpr int OptionNumberOf(int controlId) { return (controlId / kKindStep) % kMaxOptions; }
// The option button of the same parameter that stands for value; 0 (no
// control) for a value that no option button can stand for.
constexpr int OptionControlForValue(int controlId, std::int32_t value) {
    if (value < 0 || value >= kMaxOptions) return 0;
    return (controlId / kOptionGroupStep) * kOptionGroupStep + value * kKindStep + controlId % 100;
}

}  // namespace qv::binder
