#include "plugin/device/DevicePath.h"

#include <optional>
#include <string>
#include <string_view>

#include "platform/os/Utf.h"

namespace {

constexpr std::u16string_view kVidMarker = u"#VID_";
constexpr std::size_t kVidOffset = 5;
constexpr std::size_t kPidOffset = 14;
constexpr std::size_t kIdDigits = 4;

// Exactly four hexadecimal digits (upper-case text), nothing else.
std::optional<std::uint16_t> ParseId(std::u16string_view text, std::size_t offset) {
    if (text.size() < offset + kIdDigits) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = offset; i < offset + kIdDigits; ++i) {
        const char16_t c = text[i];
        unsigned digit;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace

BOOL ParseVidPid(const char16_t* path, std::uint16_t& vendorId, std::uint16_t& productId) {
    if (!path) return FALSE;
    const std::u16string upper = qv::os::ToUpper(std::u16string_view(path));
    const std::size_t marker = upper.find(kVidMarker);
    if (marker == std::u16string::npos) return FALSE;
    const std::u16string_view fromMarker = std::u16string_view(upper).substr(marker);
    const std::optional<std::uint16_t> vid = ParseId(fromMarker, kVidOffset);
    if (!vid) return FALSE;
    vendorId = *vid;
    const std::optional<std::uint16_t> pid = ParseId(fromMarker, kPidOffset);
    if (!pid) return FALSE;
    productId = *pid;
    return TRUE;
}
