#include "plugin/workspace/PresetFile.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/os/AtomicFile.h"
#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/Profile.h"

namespace {

constexpr const char16_t* kSection = u"CustomPreset";
constexpr const char16_t* kKey = u"presetValue";
constexpr char kUtf16ByteOrderMark[] = "\xFF\xFE";

}  // namespace

std::optional<GroupPreset> ReadPresetFile(const std::u16string& path) {
    GroupPreset preset{};
    if (!qv::os::GetPrivateProfileStruct(kSection, kKey, &preset, sizeof preset, path.c_str())) return std::nullopt;
    return preset;
}

bool WritePresetFile(const std::u16string& path, const GroupPreset& preset) {
    // The record goes into a new UTF-16 file beside the target, which then
    // takes the target's place.
    const std::string target = qv::os::NativePath(path);
    const std::string temp = target + ".new" + std::to_string(getpid());
    const std::u16string tempPath = qv::os::ProgramPath(temp);
    const bool written = qv::os::ReplaceFileAtomically(temp, std::string_view(kUtf16ByteOrderMark, 2)) &&
                         qv::os::WritePrivateProfileStruct(kSection, kKey, &preset, sizeof preset, tempPath.c_str()) &&
                         std::rename(temp.c_str(), target.c_str()) == 0;
    if (!written) {
        QV_LOGE("the preset file %s could not be written", target.c_str());
        std::remove(temp.c_str());
    }
    return written;
}
