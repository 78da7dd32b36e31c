#include "plugin/workspace/SettingsStateStore.h"

std::optional<std::vector<std::uint8_t>> CSettingsStateStore::ReadStruct(const char16_t* section,
                                                                         const char16_t* key,
                                                                         std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    if (!m_store.ReadStruct(section, key, bytes.data(), static_cast<UINT>(size))) return std::nullopt;
    return bytes;
}

BOOL CSettingsStateStore::WriteStruct(const char16_t* section, const char16_t* key,
                                      std::span<const std::uint8_t> bytes) {
    return m_store.WriteStruct(section, key, bytes.data(), static_cast<UINT>(bytes.size()));
}

std::optional<int> CSettingsStateStore::ReadInt(const char16_t* section, const char16_t* key) {
    if (m_store.ReadString(section, key).empty()) return std::nullopt;
    return m_store.ReadInt(section, key);
}

BOOL CSettingsStateStore::WriteInt(const char16_t* section, const char16_t* key, int value) {
    return m_store.WriteInt(section, key, value);
}
