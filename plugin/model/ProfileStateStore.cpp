#include "plugin/model/ProfileStateStore.h"

#include <limits>

#include "platform/os/Profile.h"

std::optional<std::vector<std::uint8_t>> ProfileStateStore::ReadStruct(const char16_t* section,
                                                                       const char16_t* key,
                                                                       std::size_t size) {
    if (size > std::numeric_limits<UINT>::max()) return std::nullopt;
    std::vector<std::uint8_t> bytes(size);
    if (!qv::os::GetPrivateProfileStruct(section, key, bytes.data(), static_cast<UINT>(size),
                                         m_file.c_str()))
        return std::nullopt;
    return bytes;
}

BOOL ProfileStateStore::WriteStruct(const char16_t* section, const char16_t* key,
                                    std::span<const std::uint8_t> bytes) {
    return qv::os::WritePrivateProfileStruct(section, key, bytes.data(),
                                             static_cast<UINT>(bytes.size()), m_file.c_str());
}

std::optional<int> ProfileStateStore::ReadInt(const char16_t* section, const char16_t* key) {
    // A missing key reads as 0, as does a value without digits.
    return qv::os::GetPrivateProfileInt(section, key, 0, m_file.c_str());
}

BOOL ProfileStateStore::WriteInt(const char16_t* section, const char16_t* key, int value) {
    const std::string text = std::to_string(value);
    const std::u16string wide(text.begin(), text.end());
    return qv::os::WritePrivateProfileString(section, key, wide.c_str(), m_file.c_str());
}
