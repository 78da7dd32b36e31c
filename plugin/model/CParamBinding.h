#pragma once
// One control bound to a parameter, and the conversions between the
// parameter's raw value and what the control shows. The binder keeps the
// control window beside the binding.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/model/ParamDescriptor.h"

enum BindingKind : std::int32_t {
    kBindProgress = 0,  // knob or slider: range and position
    kBindCombo = 1,     // combo box: items and selection
    kBindCheck = 2,     // check button
    kBindSwitch = 3,    // on/off check button
    kBindOption = 4,    // one option button of a choice
    kBindText = 5,      // text
    kBindCommand = 6,   // command only, shows nothing
    kBindNone = 7,      // not shown
    kBindValueBox = 8,  // value text box
    kBindProgress2 = 9, // progress-type control
};

enum NumberType : std::int32_t { kNumberInvalid = 0, kNumberInt = 1, kNumberFloat = 2 };

struct CParamBinding {
    std::int32_t controlId = 0;
    std::int32_t paramIndex = 0;
    std::int32_t kind = kBindProgress;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::int32_t initialValue = 0;
    float scale = 1.0f;
    std::int32_t displayOffset = 0;
    char16_t format[16] = {};
    std::int32_t linkedControlId = 0;
    std::int32_t numberType = kNumberInvalid;
    char16_t itemTexts[256] = {};
    std::int32_t bitFieldMode = 0;
    std::int32_t bitIndex = 0;
};

bool IsTextBinding(std::int32_t kind);

// A binding of descriptor's parameter; kind -1 takes the descriptor's kind.
CParamBinding MakeBinding(const ParamDescriptor& descriptor, int paramIndex, int controlId,
                          int linkedControlId, int kind);
// The same for parameter paramIndex of the list; refused (logged) for an
// index outside it.
std::optional<CParamBinding> MakeBinding(std::span<const ParamDescriptor> descriptors,
                                         int paramIndex, int controlId, int linkedControlId,
                                         int kind);

// The conversion of the format: 'd' integer, 'f' floating point, else invalid.
NumberType NumberTypeOf(std::u16string_view format);

struct FormattedValue {
    std::int32_t raw;
    std::u16string text;
};

// A display value to the raw value (truncated toward zero, saturated, NaN as
// the minimum, clamped to the range) and the text shown for that raw value.
FormattedValue FormatValue(double displayValue, const CParamBinding& binding);
// The same for a raw value: what a control shows for it.
FormattedValue FormatRawValue(std::int32_t raw, const CParamBinding& binding);

// The number at the start of a text; a text without one reads as 0.
double ParseDisplayValue(std::u16string_view text);

// The display value a value box moves to when stepped by delta: one display
// unit per step at scale 1, one raw unit per step above it, ten display units
// per step below it.
double SteppedDisplayValue(std::u16string_view text, double delta, const CParamBinding& binding);

// The state a control takes for a raw value, by binding kind.
struct ControlState {
    enum class Action { kNone, kPosition, kSelection, kCheck, kCheckOption, kText };
    Action action = Action::kNone;
    std::int32_t value = 0;          // position, selection, or 1/0 for a check
    std::int32_t optionControlId = 0; // the option button to check
    std::u16string text;
};
ControlState ControlStateFor(const CParamBinding& binding, std::int32_t raw,
                             const std::u16string& text);

// The value a click (command event) on the control writes, by binding kind;
// none for kinds that a click does not change.
std::optional<std::int32_t> ValueFromClick(const CParamBinding& binding, bool checked);

// The text pushed to a linked control when binding's control changed to raw:
// a knob's change is formatted for its value box, else the text passes on.
std::u16string TextForLinked(const CParamBinding& binding, const CParamBinding& linked,
                             std::int32_t raw, const std::u16string& text);

// The item texts of a combo box or of option buttons ("[#]"-separated).
std::vector<std::u16string> SplitItemTexts(const CParamBinding& binding);
