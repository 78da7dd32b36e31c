#include "host/ProfileModuleConfig.h"

#include "platform/os/Log.h"
#include "platform/os/Profile.h"

namespace {

constexpr const char16_t* kSection = u"Module";
constexpr const char16_t* kKey = u"name";
constexpr DWORD kMaxName = 260;

}  // namespace

ProfileModuleConfig::ProfileModuleConfig(std::u16string appDataFolder) {
    if (!appDataFolder.empty()) m_file = appDataFolder + u"/modulecfg.ini";
}

std::u16string ProfileModuleConfig::ReadLastPluginFile() {
    if (m_file.empty()) return {};
    char16_t name[kMaxName] = {};
    qv::os::GetPrivateProfileString(kSection, kKey, u"", name, kMaxName, m_file.c_str());
    return name;
}

void ProfileModuleConfig::WriteLastPluginFile(const char16_t* pluginFile) {
    if (m_file.empty()) {
        QV_LOGE("no app-data folder: the plug-in of this run is not recorded");
        return;
    }
    if (!qv::os::WritePrivateProfileString(kSection, kKey, pluginFile, m_file.c_str())) {
        QV_LOGE("cannot write modulecfg.ini");
    }
}
