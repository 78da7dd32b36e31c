#include "host/DevicePath.h"

#include <string>

#include "platform/os/Utf.h"

namespace {

constexpr std::size_t kVendorOffset = 5;
constexpr std::size_t kProductOffset = 14;
constexpr std::size_t kDigits = 4;

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

bool ParseHex4(std::u16string_view text, std::uint16_t* value) {
    unsigned result = 0;
    for (char16_t c : text.substr(0, kDigits)) {
        const int digit = HexValue(c);
        if (digit < 0) return false;
        result = result * 16 + static_cast<unsigned>(digit);
    }
    *value = static_cast<std::uint16_t>(result);
    return true;
}

}  // namespace

bool ParseDevicePath(std::u16string_view path, std::uint16_t* vendorId,
                     std::uint16_t* productId) {
    const std::u16string upper = qv::os::ToUpper(path);
    const std::size_t hash = upper.find(u"#VID_");
    if (hash == std::u16string::npos) return false;
    if (upper.size() < hash + kProductOffset + kDigits) return false;
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    const std::u16string_view view(upper);
    if (!ParseHex4(view.substr(hash + kVendorOffset), &vid)) return false;
    if (!ParseHex4(view.substr(hash + kProductOffset), &pid)) return false;
    *vendorId = vid;
    *productId = pid;
    return true;
}
