// Any text typed into a value box under any format, scale and range: the raw
// value stays in range and formatting never reads an argument it was not given.
#include <cstdlib>
#include <cstring>

#include "plugin/model/CParamBinding.h"
#include "plugin/model/RecordText.h"
#include "tests/model/fuzz/FuzzTargets.h"

int FuzzValueText(const std::uint8_t* data, std::size_t size) {
    if (size < 16) return 0;
    CParamBinding binding;
    binding.kind = kBindValueBox;
    std::memcpy(&binding.scale, data, 4);
    std::memcpy(&binding.displayOffset, data + 4, 4);
    std::int32_t a, b;
    std::memcpy(&a, data + 8, 4);
    std::memcpy(&b, data + 12, 4);
    binding.minimum = a < b ? a : b;
    binding.maximum = a < b ? b : a;
    data += 16;
    size -= 16;
    // The rest: a format of up to 15 units, then the typed text.
    const std::size_t formatUnits = size / 2 < 15 ? size / 2 : 15;
    std::u16string format(formatUnits, u'\0');
    std::memcpy(format.data(), data, formatUnits * 2);
    SetFieldText(binding.format, format);
    binding.numberType = NumberTypeOf(FieldText(binding.format));
    std::u16string text((size - formatUnits * 2) / 2, u'\0');
    std::memcpy(text.data(), data + formatUnits * 2, text.size() * 2);

    const FormattedValue typed = FormatValue(ParseDisplayValue(text), binding);
    if (typed.raw < binding.minimum || typed.raw > binding.maximum) std::abort();
    for (int delta : {-1, 1}) {
        const FormattedValue stepped = FormatValue(SteppedDisplayValue(text, delta, binding), binding);
        if (stepped.raw < binding.minimum || stepped.raw > binding.maximum) std::abort();
    }
    FormatRawValue(typed.raw, binding);
    return 0;
}

#ifdef QV_FUZZ_MAIN
QV_FUZZ_ENTRY(FuzzValueText)
#endif
