#pragma once
#include "host/PluginLibrary.h"

// Plug-in libraries through the platform's dynamic library loading.
class SystemPluginLoader final : public IPluginLibraryLoader {
public:
    void* Load(const std::u16string& path) override;
    void* Resolve(void* library, const char* name) override;
    void Free(void* library) override;
};
