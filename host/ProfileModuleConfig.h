#pragma once
#include <string>

#include "host/ModuleConfig.h"

// "modulecfg.ini" in the app-data folder, section "Module", key "name". With
// no app-data folder nothing is read or written anywhere else.
class ProfileModuleConfig final : public IModuleConfig {
public:
    // appDataFolder: empty when the folder could not be made.
    explicit ProfileModuleConfig(std::u16string appDataFolder);

    std::u16string ReadLastPluginFile() override;
    void WriteLastPluginFile(const char16_t* pluginFile) override;

    const std::u16string& FilePath() const { return m_file; }

private:
    std::u16string m_file;
};
