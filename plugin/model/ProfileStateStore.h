#pragma once
// The workspace state over a profile (INI) file: records in the structure
// form, integers as decimal text.
#include <string>

#include "plugin/model/IWorkspaceStateStore.h"

class ProfileStateStore : public IWorkspaceStateStore {
public:
    explicit ProfileStateStore(std::u16string file) : m_file(std::move(file)) {}

    std::optional<std::vector<std::uint8_t>> ReadStruct(const char16_t* section, const char16_t* key,
                                                        std::size_t size) override;
    BOOL WriteStruct(const char16_t* section, const char16_t* key,
                     std::span<const std::uint8_t> bytes) override;
    std::optional<int> ReadInt(const char16_t* section, const char16_t* key) override;
    BOOL WriteInt(const char16_t* section, const char16_t* key, int value) override;

private:
    std::u16string m_file;
};
