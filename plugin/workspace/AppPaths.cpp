#include "plugin/workspace/AppPaths.h"

#include <sys/stat.h>

#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "plugin/app/DamagedFileNotices.h"
#include "plugin/workspace/SettingsStore.h"

namespace {

bool IsExistingFile(const std::u16string& path) {
    struct stat info {};
    return ::stat(qv::os::NativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::u16string StateFilePath(std::u16string_view appDataFolder, std::u16string_view fileName) {
    if (appDataFolder.empty() || fileName.empty()) return {};
    std::u16string path(appDataFolder);
    path += u'/';
    path += fileName;
    return path;
}

BOOL LoadStateStore(std::u16string_view appDataFolder, std::u16string_view fileName) {
    const std::u16string path = StateFilePath(appDataFolder, fileName);
    if (path.empty()) QV_LOGE("no app-data folder: settings are not kept");
    // A file that cannot be read would refuse every write of this run.
    if (!path.empty()) SetAsideIfDamaged(path);
    return CSettingsStore::GetStore(0)->Load(path);
}

std::u16string EffectListPath(std::u16string_view appDataFolder, std::u16string_view hostFolder) {
    if (!appDataFolder.empty()) {
        std::u16string inAppData = std::u16string(appDataFolder) + u"/EffectList.xml";
        if (IsExistingFile(inAppData)) return inAppData;
    }
    return std::u16string(hostFolder) + u"/data/EffectList.xml";
}
