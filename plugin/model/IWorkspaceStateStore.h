#pragma once
// The workspace's view of its state file (settings store 0): records in the
// structure form of INI values and plain integers. A missing key, a value of
// the wrong length and a value with a wrong checksum all read as absent.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/os/Types.h"

class IWorkspaceStateStore {
public:
    virtual ~IWorkspaceStateStore() = default;
    virtual std::optional<std::vector<std::uint8_t>> ReadStruct(const char16_t* section,
                                                                const char16_t* key,
                                                                std::size_t size) = 0;
    virtual BOOL WriteStruct(const char16_t* section, const char16_t* key,
                             std::span<const std::uint8_t> bytes) = 0;
    virtual std::optional<int> ReadInt(const char16_t* section, const char16_t* key) = 0;
    virtual BOOL WriteInt(const char16_t* section, const char16_t* key, int value) = 0;
};
