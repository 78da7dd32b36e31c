#include "plugin/pages/ButtonText.h"

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Code units of the first n characters of text (all of it when shorter).
std::size_t UnitsOfCharacters(std::u16string_view text, int n) {
    std::size_t at = 0;
    for (int counted = 0; counted < n && at < text.size(); ++counted) {
        const bool pair = IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1]);
        at += pair ? 2 : 1;
    }
    return at;
}

}  // namespace

std::u16string ButtonText(std::u16string_view name, int maxWhole) {
    if (maxWhole < 1 || UnitsOfCharacters(name, maxWhole) == name.size()) return std::u16string(name);
    return std::u16string(name.substr(0, UnitsOfCharacters(name, maxWhole - 1))) + u"..";
}
