#pragma once
// Where downloaded cloud sounds are kept: the folder "CloudSound" in the
// app-data folder, one file per sound named by the sound's URL.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "plugin/sound/SoundItem.h"

// The last segment of the URL's path, without query or fragment. "%d.mp3"
// with the cloud id when the URL has no path or that segment is empty, "."
// or "..", longer than 200 bytes, or holds a control character or a
// backslash, so the name never leaves the folder.
std::u16string CloudSoundFileName(std::u16string_view url, std::int32_t cloudId);

// The folder, created when missing; nullopt when it cannot be made.
std::optional<std::u16string> CloudSoundFolder(std::u16string_view appDataFolder);

// The file a cloud item downloads to inside the folder.
std::u16string CloudSoundTargetPath(std::u16string_view folder, const SoundItem& item);
