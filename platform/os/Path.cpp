#include "platform/os/Path.h"

#include "platform/os/Utf.h"

namespace qv::os {

std::string NativePath(std::u16string_view path) {
    std::string native = Utf16ToUtf8(path);
    for (char& c : native)
        if (c == '\\') c = '/';
    return native;
}

std::u16string ProgramPath(std::string_view nativePath) { return Utf8ToUtf16(nativePath); }

}  // namespace qv::os
