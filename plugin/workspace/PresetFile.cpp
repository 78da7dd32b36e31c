#include "plugin/workspace/PresetFile.h"

#include <string>

#include "platform/os/AtomicFile.h"
#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/Profile.h"

namespace {

constexpr const char16_t* kSection = u"CustomPreset";
constexpr const char16_t* kKey = u"presetValue";

// The whole file: the UTF-16LE mark, then the section with its one key, as
// the profile engine writes it into a file holding only the mark.
std::string PresetFileBytes(const GroupPreset& preset) {
    const std::u16string text = u"[" + std::u16string(kSection) + u"]\r\n" + kKey + u"=" +
                                qv::os::ProfileStructText(&preset, sizeof preset) + u"\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

}  // namespace

std::optional<GroupPreset> ReadPresetFile(const std::u16string& path) {
    GroupPreset preset{};
    if (!qv::os::GetPrivateProfileStruct(kSection, kKey, &preset, sizeof preset, path.c_str())) return std::nullopt;
    return preset;
}

bool WritePresetFile(const std::u16string& path, const GroupPreset& preset) {
    // One atomic replace through a new temporary file beside the target; a
    // link the user chose is written through.
    const std::string target = qv::os::NativePath(path);
    const bool written = qv::os::ReplaceFileAtomically(target, PresetFileBytes(preset), qv::os::LinkAtPath::Follow);
    if (!written) QV_LOGE("the preset file %s could not be written", target.c_str());
    return written;
}
