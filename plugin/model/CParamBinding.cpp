#include "plugin/model/CParamBinding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "plugin/model/ControlId.h"
#include "plugin/model/RecordText.h"
#include "platform/os/Log.h"
#include "platform/os/Utf.h"

namespace {

constexpr char16_t kInvalidFormatText[] = u"无效的参数转换符";
constexpr std::u16string_view kItemSeparator = u"[#]";

bool IsSpecChar(char16_t c) { return (c >= u'0' && c <= u'9') || c == u'.'; }

// Where the format's conversion is: the '%', the conversion letter and its type.
struct Conversion {
    std::size_t percent = 0;
    std::size_t letter = 0;
    NumberType type = kNumberInvalid;
};

Conversion FindConversion(std::u16string_view format) {
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%') continue;
        std::size_t j = i + 1;
        while (j < format.size() && IsSpecChar(format[j])) ++j;
        if (j >= format.size()) break;
        if (format[j] == u'd') return {i, j, kNumberInt};
        if (format[j] == u'f') return {i, j, kNumberFloat};
        i = j - 1;  // the search for '%' goes on from the character that ended the scan
    }
    return {};
}

// Literal format text, with "%%" standing for one '%'.
void AppendLiteral(std::u16string& out, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1] == u'%') ++i;
    }
}

// Width and precision of a conversion, each at most kMaxFieldWidth: "12.3".
std::string ConversionSpec(std::u16string_view spec) {
    constexpr int kMaxFieldWidth = 64;
    auto number = [&](std::size_t& at) {
        int value = 0;
        for (; at < spec.size() && spec[at] >= u'0' && spec[at] <= u'9'; ++at)
            value = std::min(kMaxFieldWidth, value * 10 + (spec[at] - u'0'));
        return value;
    };
    std::size_t at = 0;
    std::string out;
    const bool hasWidth = at < spec.size() && spec[at] != u'.';
    const int width = number(at);
    if (hasWidth) out += (spec[0] == u'0' ? "0" : "") + std::to_string(width);
    if (at < spec.size() && spec[at] == u'.') {
        ++at;
        out += "." + std::to_string(number(at));
    }
    return out;
}

// Applies the one conversion of the format; the conversion is passed to
// snprintf alone, so no other text of the format can read arguments.
std::u16string ApplyFormat(std::u16string_view format, const Conversion& conversion,
                           double value) {
    std::string spec = "%" + ConversionSpec(format.substr(conversion.percent + 1,
                                                          conversion.letter - conversion.percent - 1));
    char buffer[128];
    int length;
    if (conversion.type == kNumberInt) {
        spec += 'd';
        double saturated = std::isnan(value) ? 0.0
                           : std::fmin(std::fmax(value, std::numeric_limits<int>::min()),
                                       std::numeric_limits<int>::max());
        length = std::snprintf(buffer, sizeof buffer, spec.c_str(), static_cast<int>(saturated));
    } else {
        spec += 'f';
        length = std::snprintf(buffer, sizeof buffer, spec.c_str(), value);
    }
    std::u16string text;
    AppendLiteral(text, format.substr(0, conversion.percent));
    if (length > 0) text += qv::os::Utf8ToUtf16(buffer);
    AppendLiteral(text, format.substr(conversion.letter + 1));
    return text;
}

std::u16string TextForRaw(std::int32_t raw, const CParamBinding& binding) {
    const std::u16string_view format = FieldText(binding.format);
    const Conversion conversion = FindConversion(format);
    const double display =
        binding.displayOffset + static_cast<double>(raw) * static_cast<double>(binding.scale);
    switch (conversion.type) {
        case kNumberInt:
            return ApplyFormat(format, conversion, std::trunc(display));
        case kNumberFloat:
            return ApplyFormat(format, conversion, display);
        default:
            return kInvalidFormatText;
    }
}

std::int32_t ClampToRange(std::int64_t raw, const CParamBinding& binding) {
    if (raw > binding.maximum) raw = binding.maximum;
    if (raw < binding.minimum) raw = binding.minimum;
    return static_cast<std::int32_t>(raw);
}

// Display value to raw: truncated toward zero, saturated at the int32 ends,
// NaN as the minimum. A quotient within rounding noise of a whole number
// counts as that number, so 14.999999 from a scaled step is 15.
std::int64_t RawFromDisplay(double displayValue, const CParamBinding& binding) {
    const double quotient =
        (displayValue - binding.displayOffset) / static_cast<double>(binding.scale);
    if (std::isnan(quotient)) return binding.minimum;
    if (quotient >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (quotient <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    const double nearest = std::round(quotient);
    if (std::fabs(quotient - nearest) < 1e-6) return static_cast<std::int64_t>(nearest);
    return static_cast<std::int64_t>(std::trunc(quotient));
}

}  // namespace

bool IsTextBinding(std::int32_t kind) { return kind == kBindText || kind == kBindValueBox; }

NumberType NumberTypeOf(std::u16string_view format) { return FindConversion(format).type; }

CParamBinding MakeBinding(const ParamDescriptor& descriptor, int paramIndex, int controlId,
                          int linkedControlId, int kind) {
    CParamBinding binding;
    binding.controlId = controlId;
    binding.paramIndex = paramIndex;
    binding.kind = kind == -1 ? descriptor.kind : kind;
    binding.minimum = descriptor.minimum;
    binding.maximum = descriptor.maximum;
    binding.initialValue = descriptor.defaultValue;
    binding.scale = descriptor.scale;
    binding.displayOffset = descriptor.displayOffset;
    SetFieldText(binding.format, FieldText(descriptor.format));
    binding.linkedControlId = linkedControlId;
    binding.numberType = NumberTypeOf(FieldText(binding.format));
    SetFieldText(binding.itemTexts, FieldText(descriptor.options));
    return binding;
}

std::optional<CParamBinding> MakeBinding(std::span<const ParamDescriptor> descriptors,
                                         int paramIndex, int controlId, int linkedControlId,
                                         int kind) {
    if (paramIndex < 0 || static_cast<std::size_t>(paramIndex) >= descriptors.size()) {
        QV_LOGE("no parameter %d to bind control %d to", paramIndex, controlId);
        return std::nullopt;
    }
    return MakeBinding(descriptors[static_cast<std::size_t>(paramIndex)], paramIndex, controlId,
                       linkedControlId, kind);
}

FormattedValue FormatValue(double displayValue, const CParamBinding& binding) {
    const std::int32_t raw = ClampToRange(RawFromDisplay(displayValue, binding), binding);
    return {raw, TextForRaw(raw, binding)};
}

FormattedValue FormatRawValue(std::int32_t raw, const CParamBinding& binding) {
    return FormatValue(binding.displayOffset + static_cast<double>(raw) * binding.scale, binding);
}

double ParseDisplayValue(std::u16string_view text) {
    std::string narrow;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    if (i < text.size() && text[i] == u'+') ++i;
    for (; i < text.size() && text[i] < 0x80; ++i) narrow += static_cast<char>(text[i]);
    double value = 0.0;
    const auto result = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
    return result.ec == std::errc() ? value : 0.0;
}

double SteppedDisplayValue(std::u16string_view text, double delta, const CParamBinding& binding) {
    const double shown = ParseDisplayValue(text);
    if (binding.scale > 1.0f) {
        const std::int64_t raw = FormatValue(shown, binding).raw + static_cast<std::int64_t>(delta);
        return binding.displayOffset + static_cast<double>(raw) * binding.scale;
    }
    if (binding.scale < 1.0f) return shown + delta * 10;
    return shown + delta;
}

ControlState ControlStateFor(const CParamBinding& binding, std::int32_t raw,
                             const std::u16string& text) {
    using Action = ControlState::Action;
    ControlState state;
    switch (binding.kind) {
        case kBindProgress:
        case kBindProgress2:
            state.action = Action::kPosition;
            state.value = raw;
            break;
        case kBindCombo:
            state.action = Action::kSelection;
            state.value = raw;
            break;
        case kBindCheck:
        case kBindSwitch:
            state.action = Action::kCheck;
            state.value = raw != 0 ? 1 : 0;
            break;
        case kBindOption:
            state.action = Action::kCheckOption;
            state.optionControlId = qv::binder::OptionControlForValue(binding.controlId, raw);
            break;
        case kBindText:
        case kBindValueBox:
            state.action = Action::kText;
            state.text = text;
            break;
        default:
            break;
    }
    return state;
}

std::optional<std::int32_t> ValueFromClick(const CParamBinding& binding, bool checked) {
    switch (binding.kind) {
        case kBindCheck:
        case kBindSwitch:
            return checked ? 1 : 0;
        case kBindOption:
            return qv::binder::OptionNumberOf(binding.controlId);
        case kBindCommand:
            return 0;
        default:
            return std::nullopt;
    }
}

std::u16string TextForLinked(const CParamBinding& binding, const CParamBinding& linked,
                             std::int32_t raw, const std::u16string& text) {
    if (!IsTextBinding(binding.kind) && IsTextBinding(linked.kind))
        return FormatRawValue(raw, binding).text;
    return text;
}

std::vector<std::u16string> SplitItemTexts(const CParamBinding& binding) {
    std::vector<std::u16string> items;
    const std::u16string_view all = FieldText(binding.itemTexts);
    if (all.empty()) return items;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = all.find(kItemSeparator, start);
        items.emplace_back(all.substr(start, end == std::u16string_view::npos ? end : end - start));
        if (end == std::u16string_view::npos) break;
        start = end + kItemSeparator.size();
    }
    return items;
}
