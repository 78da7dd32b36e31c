#pragma once
// Text is UTF-16 inside the program and UTF-8 at the edges of the OS.
#include <string>
#include <string_view>

namespace qv::os {

// Invalid sequences become U+FFFD; nothing is dropped silently.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Case-insensitive comparison as Windows paths and INI names compare: ASCII
// and Latin-1 letters fold, everything else compares by code unit.
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
char16_t ToUpper(char16_t c);
std::u16string ToUpper(std::u16string_view text);

}  // namespace qv::os
