#pragma once
// Paths are UTF-16 inside the program and may be built with '\' as on
// Windows; the OS sees UTF-8 with '/'.
#include <string>
#include <string_view>

namespace qv::os {

std::string NativePath(std::u16string_view path);
std::u16string ProgramPath(std::string_view nativePath);

}  // namespace qv::os
