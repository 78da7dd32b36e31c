#include "host/SystemPluginLoader.h"

#include <string>

#include "platform/os/DynamicLibrary.h"
#include "platform/os/Log.h"

void* SystemPluginLoader::Load(const std::u16string& path) {
    std::string error;
    HMODULE library = qv::os::LoadLibrary(path, &error);
    if (!library) QV_LOGE("%s", error.c_str());
    return library;
}

void* SystemPluginLoader::Resolve(void* library, const char* name) {
    return library ? qv::os::GetProcAddress(library, name) : nullptr;
}

void SystemPluginLoader::Free(void* library) {
    if (library) qv::os::FreeLibrary(library);
}
