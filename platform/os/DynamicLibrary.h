#pragma once
// Loading shared libraries at run time (dlopen, dlsym, dlclose). Failures
// give null and, when asked, the loader's error text.
#include <string>
#include <string_view>

#include "platform/os/Types.h"

namespace qv::os {

// Binds every symbol at load time and keeps them private to the library.
[[nodiscard]] HMODULE LoadLibrary(std::u16string_view path, std::string* error = nullptr);
[[nodiscard]] void* GetProcAddress(HMODULE library, const char* name, std::string* error = nullptr);
BOOL FreeLibrary(HMODULE library);

}  // namespace qv::os
