#pragma once
// The per-user registry: string and binary values under key paths
// ("Software\Pellorvane"), kept in one small file in the user's config folder
// ($XDG_CONFIG_HOME/Quorvel/registry.ini) and replaced atomically on every
// change. The "start with Windows" Run value is not kept here: see Autostart.h.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::os {

class UserRegistry {
public:
    // The store of the current user.
    UserRegistry();
    // A store in the given file (tests).
    explicit UserRegistry(std::u16string file) : m_file(std::move(file)) {}

    [[nodiscard]] std::optional<std::u16string> ReadString(std::u16string_view key,
                                                           std::u16string_view name) const;
    [[nodiscard]] bool WriteString(std::u16string_view key, std::u16string_view name,
                                   std::u16string_view value);
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> ReadBinary(std::u16string_view key,
                                                                      std::u16string_view name) const;
    [[nodiscard]] bool WriteBinary(std::u16string_view key, std::u16string_view name,
                                   const std::vector<std::uint8_t>& value);
    // False when there was no such value.
    [[nodiscard]] bool DeleteValue(std::u16string_view key, std::u16string_view name);

    const std::u16string& File() const { return m_file; }

private:
    [[nodiscard]] std::optional<std::u16string> ReadRaw(std::u16string_view key,
                                                        std::u16string_view name) const;
    [[nodiscard]] bool WriteRaw(std::u16string_view key, std::u16string_view name,
                                const std::u16string& raw);

    std::u16string m_file;
};

}  // namespace qv::os
