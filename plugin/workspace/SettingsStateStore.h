#pragma once
// The workspace's state file over settings store 0: records in the structure
// form and integers, through CSettingsStore.
#include "plugin/model/IWorkspaceStateStore.h"
#include "plugin/workspace/SettingsStore.h"

class CSettingsStateStore : public IWorkspaceStateStore {
public:
    explicit CSettingsStateStore(CSettingsStore& store) : m_store(store) {}

    std::optional<std::vector<std::uint8_t>> ReadStruct(const char16_t* section, const char16_t* key,
                                                        std::size_t size) override;
    BOOL WriteStruct(const char16_t* section, const char16_t* key,
                     std::span<const std::uint8_t> bytes) override;
    // A missing or empty key reads as absent.
    std::optional<int> ReadInt(const char16_t* section, const char16_t* key) override;
    BOOL WriteInt(const char16_t* section, const char16_t* key, int value) override;

private:
    CSettingsStore& m_store;
};
