#pragma once
// "modulecfg.ini" in the app-data folder: the plug-in file of the last run.
#include <string>

class IModuleConfig {
public:
    virtual ~IModuleConfig() = default;
    // Empty when there is none.
    virtual std::u16string ReadLastPluginFile() = 0;
    // Null removes the stored name.
    virtual void WriteLastPluginFile(const char16_t* pluginFile) = 0;
};
