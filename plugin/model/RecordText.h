#pragma once
// Bounded UTF-16 texts inside fixed-size records.
#include <cstddef>
#include <string_view>

// The text of a field, up to its terminator or the field's end.
template <std::size_t N>
std::u16string_view FieldText(const char16_t (&field)[N]) {
    std::size_t length = 0;
    while (length < N && field[length] != 0) ++length;
    return std::u16string_view(field, length);
}

// Stores text cut to N - 1 units and zero-fills the rest of the field.
template <std::size_t N>
void SetFieldText(char16_t (&field)[N], std::u16string_view text) {
    std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
    for (std::size_t i = 0; i < N; ++i) field[i] = i < length ? text[i] : u'\0';
}

// Makes sure the field ends with a terminator.
template <std::size_t N>
void TerminateField(char16_t (&field)[N]) {
    field[N - 1] = 0;
}

// Stores text cut to at most N - 1 units without splitting a surrogate pair,
// and zero-fills the rest of the field.
template <std::size_t N>
void SetFieldTextAtBoundary(char16_t (&field)[N], std::u16string_view text) {
    std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
    if (length < text.size() && length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF)
        --length;
    SetFieldText(field, text.substr(0, length));
}

// Stores text only when it fits whole (at most N - 1 units); false, with the
// field untouched, when it does not.
template <std::size_t N>
bool SetFieldTextWhole(char16_t (&field)[N], std::u16string_view text) {
    if (text.size() > N - 1) return false;
    SetFieldText(field, text);
    return true;
}
