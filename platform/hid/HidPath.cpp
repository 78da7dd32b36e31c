#include "platform/hid/HidPath.h"

#include "platform/hid/Hid.h"
#include "platform/os/Utf.h"

namespace qv::hid {
namespace {

constexpr std::u16string_view kPrefix = u"\\\\?\\hid#";
constexpr std::u16string_view kInterfaceClass = u"#{4d1e55b2-f16f-11cf-88cb-001111000030}";
constexpr std::u16string_view kVidMarker = u"#VID_";
// Offsets from the '#' of "#VID_": vendor digits at 5..8, product digits at 14..17.
constexpr std::size_t kVendorOffset = 5;
constexpr std::size_t kProductOffset = 14;
constexpr std::size_t kIdsEnd = 18;

void AppendHex4(std::u16string& out, std::uint16_t value) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kDigits[(value >> shift) & 0xF]);
}

std::optional<std::uint16_t> ParseHex4(std::u16string_view text) {
    std::uint16_t value = 0;
    for (char16_t c : text) {
        int digit;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
        else return std::nullopt;
        value = static_cast<std::uint16_t>((value << 4) | digit);
    }
    return value;
}

}  // namespace

std::u16string MakeDevicePath(std::uint16_t vendorId, std::uint16_t productId,
                              std::u16string_view instance) {
    std::u16string path(kPrefix);
    path += u"VID_";
    AppendHex4(path, vendorId);
    path += u"&PID_";
    AppendHex4(path, productId);
    path += u'#';
    path += instance;
    path += kInterfaceClass;
    return path;
}

bool ParseIdsFromPath(const std::u16string& path, std::uint16_t* vendorId,
                      std::uint16_t* productId) {
    const std::u16string upper = os::ToUpper(path);
    const std::size_t hash = upper.find(kVidMarker);
    if (hash == std::u16string::npos || upper.size() - hash < kIdsEnd) return false;
    const std::u16string_view view(upper);
    auto vendor = ParseHex4(view.substr(hash + kVendorOffset, 4));
    auto product = ParseHex4(view.substr(hash + kProductOffset, 4));
    if (!vendor || !product) return false;
    if (vendorId) *vendorId = *vendor;
    if (productId) *productId = *product;
    return true;
}

std::optional<std::u16string> InstanceFromPath(std::u16string_view path) {
    const std::u16string upper = os::ToUpper(path);
    const std::size_t hash = upper.find(kVidMarker);
    if (hash == std::u16string::npos || upper.size() - hash <= kIdsEnd ||
        upper[hash + kIdsEnd] != u'#')
        return std::nullopt;
    const std::size_t begin = hash + kIdsEnd + 1;
    const std::size_t end = path.find(u'#', begin);
    if (end == std::u16string_view::npos || end == begin) return std::nullopt;
    return std::u16string(path.substr(begin, end - begin));
}

std::optional<std::string> HidrawNodeFromPath(std::u16string_view path) {
    auto instance = InstanceFromPath(path);
    if (!instance) return std::nullopt;
    const std::u16string lower = [&] {
        std::u16string s = *instance;
        for (auto& c : s)
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        return s;
    }();
    constexpr std::u16string_view kName = u"hidraw";
    if (lower.size() <= kName.size() || lower.compare(0, kName.size(), kName) != 0) return std::nullopt;
    std::string node = "/dev/hidraw";
    for (std::size_t i = kName.size(); i < lower.size(); ++i) {
        if (lower[i] < u'0' || lower[i] > u'9') return std::nullopt;
        node.push_back(static_cast<char>(lower[i]));
    }
    return node;
}

}  // namespace qv::hid
