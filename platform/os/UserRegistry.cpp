#include "platform/os/UserRegistry.h"

#include "platform/os/Folders.h"
#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/Profile.h"

namespace qv::os {
namespace {

// Values carry their type: "sz:text" or "hex:0A0B...".
constexpr std::u16string_view kString = u"sz:";
constexpr std::u16string_view kBinary = u"hex:";
constexpr DWORD kMaxValue = 4096;

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

}  // namespace

UserRegistry::UserRegistry() : m_file(UserConfigFolder() + u"/Quorvel/registry.ini") {}

std::optional<std::u16string> UserRegistry::ReadRaw(std::u16string_view key,
                                                    std::u16string_view name) const {
    const std::u16string section(key), entry(name);
    std::u16string buffer(kMaxValue, u'\0');
    // A marker default tells a missing value from an empty one.
    const DWORD n = GetPrivateProfileString(section.c_str(), entry.c_str(), u"\x1", buffer.data(),
                                            kMaxValue, m_file.c_str());
    buffer.resize(n);
    if (buffer == u"\x1") return std::nullopt;
    return buffer;
}

bool UserRegistry::WriteRaw(std::u16string_view key, std::u16string_view name,
                            const std::u16string& raw) {
    const std::string folder = NativePath(m_file.substr(0, m_file.rfind(u'/')));
    if (!MakeFolderChain(folder)) {
        QV_LOGE("cannot make %s", folder.c_str());
        return false;
    }
    const std::u16string section(key), entry(name);
    return WritePrivateProfileString(section.c_str(), entry.c_str(), raw.c_str(), m_file.c_str());
}

std::optional<std::u16string> UserRegistry::ReadString(std::u16string_view key,
                                                       std::u16string_view name) const {
    auto raw = ReadRaw(key, name);
    if (!raw || !raw->starts_with(kString)) return std::nullopt;
    return raw->substr(kString.size());
}

bool UserRegistry::WriteString(std::u16string_view key, std::u16string_view name,
                               std::u16string_view value) {
    return WriteRaw(key, name, std::u16string(kString) + std::u16string(value));
}

std::optional<std::vector<std::uint8_t>> UserRegistry::ReadBinary(std::u16string_view key,
                                                                  std::u16string_view name) const {
    auto raw = ReadRaw(key, name);
    if (!raw || !raw->starts_with(kBinary) || (raw->size() - kBinary.size()) % 2) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = kBinary.size(); i < raw->size(); i += 2) {
        const int high = HexValue((*raw)[i]), low = HexValue((*raw)[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

bool UserRegistry::WriteBinary(std::u16string_view key, std::u16string_view name,
                               const std::vector<std::uint8_t>& value) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string raw(kBinary);
    for (std::uint8_t b : value) {
        raw.push_back(kHex[b >> 4]);
        raw.push_back(kHex[b & 0xF]);
    }
    return WriteRaw(key, name, raw);
}

bool UserRegistry::DeleteValue(std::u16string_view key, std::u16string_view name) {
    if (!ReadRaw(key, name)) return false;
    const std::u16string section(key), entry(name);
    return WritePrivateProfileString(section.c_str(), entry.c_str(), nullptr, m_file.c_str());
}

}  // namespace qv::os
