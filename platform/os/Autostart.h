#pragma once
// The "start with the session" entry: what the Windows Run value holds is an
// XDG autostart entry, $XDG_CONFIG_HOME/autostart/<name>.desktop, whose Exec
// line is the command. The machine-wide entries stand in the autostart
// folders of $XDG_CONFIG_DIRS (default /etc/xdg); a user entry of the same
// name replaces them.
#include <optional>
#include <string>
#include <string_view>

namespace qv::os {

std::u16string AutostartEntryPath(std::u16string_view name);
// Writes (replaces) the entry, with the icon of that name from the icon theme
// when one is given; false when the command or the icon holds a line break or
// the file cannot be written.
[[nodiscard]] bool WriteAutostartEntry(std::u16string_view name, std::u16string_view command,
                                       std::u16string_view icon = {});
// The entry's command; nullopt when there is no entry, no Exec line, or the
// entry is disabled (Hidden=true).
[[nodiscard]] std::optional<std::u16string> ReadAutostartCommand(std::u16string_view name);
// False when there was no entry to delete.
[[nodiscard]] bool DeleteAutostartEntry(std::u16string_view name);
// Whether the user has an entry of that name (enabled or not).
[[nodiscard]] bool HasAutostartEntry(std::u16string_view name);
// The command of the first machine-wide entry of that name, as
// ReadAutostartCommand reads it.
[[nodiscard]] std::optional<std::u16string> ReadSystemAutostartCommand(std::u16string_view name);

}  // namespace qv::os
