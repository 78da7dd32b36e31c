#pragma once
// A profile file of the program that cannot be read (see CheckProfileFile) is
// renamed aside at start, so that the program starts with its defaults and
// the user keeps the old bytes: "<name>.damaged-YYYYMMDD-HHMMSS" beside it.
// A name that is a link is renamed itself; what it points to is left alone.
// Of the copies set aside for one file the newest kKeptDamagedCopies stay.
#include <optional>
#include <string>
#include <string_view>

namespace qv::os {

inline constexpr int kKeptDamagedCopies = 3;

struct SetAsideFile {
    std::u16string renamedTo;
    std::string why;  // what is wrong with it
};

// What the user is told: which file could not be read and the name its old
// bytes now have beside it.
std::u16string DamagedFileNotice(std::u16string_view file, std::u16string_view renamedTo);

// Nothing when the file is missing or usable, or could not be renamed (the
// failure is logged; readers then take it as missing).
[[nodiscard]] std::optional<SetAsideFile> SetAsideIfDamaged(std::u16string_view file);

}  // namespace qv::os
