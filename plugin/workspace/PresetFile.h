#pragma once
// Preset files ("*.data"): one group preset, section "CustomPreset", key
// "presetValue", in the profile struct form (upper-case hex of the 168
// record bytes, then their sum mod 256).
#include <optional>
#include <string>

#include "plugin/model/GroupPreset.h"

// The file's record; nothing when the file, the key, the length or the
// checksum is wrong. The file is never created or changed.
std::optional<GroupPreset> ReadPresetFile(const std::u16string& path);

// Writes a fresh file (UTF-16LE with the byte-order mark) that replaces any
// file of that name as a whole; false when it cannot be written, the old
// file then left as it was.
bool WritePresetFile(const std::u16string& path, const GroupPreset& preset);
