#pragma once
// Loading a plug-in library; the real one is the platform's dynamic library
// loader, tests give their own.
#include <string>

class IPluginLibraryLoader {
public:
    virtual ~IPluginLibraryLoader() = default;
    // A handle for the library, or null when it cannot be loaded.
    virtual void* Load(const std::u16string& path) = 0;
    // The exported symbol, or null.
    virtual void* Resolve(void* library, const char* name) = 0;
    virtual void Free(void* library) = 0;
};
