#include "plugin/cloud/CloudSoundFiles.h"

#include <cstdio>

#include "platform/os/Folders.h"
#include "platform/os/Path.h"
#include "platform/os/Utf.h"
#include "plugin/model/RecordText.h"

namespace {

constexpr std::size_t kMaxNameBytes = 200;

bool IsUsableName(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..") return false;
    for (char16_t c : name)
        if (c < 0x20 || c == 0x7F || c == u'\\') return false;
    return qv::os::Utf16ToUtf8(name).size() <= kMaxNameBytes;
}

}  // namespace

std::u16string CloudSoundFileName(std::u16string_view url, std::int32_t cloudId) {
    const std::size_t end = url.find_first_of(u"?#");
    if (end != std::u16string_view::npos) url = url.substr(0, end);
    // Only the path names the file: "http://host" has none, and the host is
    // no name (sounds from one host would share it).
    const std::size_t scheme = url.find(u"://");
    const std::size_t path = url.find(u'/', scheme == std::u16string_view::npos ? 0 : scheme + 3);
    if (path != std::u16string_view::npos) {
        const std::u16string_view name = url.substr(url.rfind(u'/') + 1);
        if (IsUsableName(name)) return std::u16string(name);
    }
    char fallback[24];
    std::snprintf(fallback, sizeof fallback, "%d.mp3", cloudId);
    return qv::os::Utf8ToUtf16(fallback);
}

std::optional<std::u16string> CloudSoundFolder(std::u16string_view appDataFolder) {
    if (appDataFolder.empty()) return std::nullopt;
    std::u16string folder = std::u16string(appDataFolder) + u"/CloudSound";
    if (!qv::os::MakeFolderChain(qv::os::NativePath(folder))) return std::nullopt;
    return folder;
}

std::u16string CloudSoundTargetPath(std::u16string_view folder, const SoundItem& item) {
    return std::u16string(folder) + u"/" + CloudSoundFileName(FieldText(item.path), item.cloudId);
}
