#include "platform/os/DynamicLibrary.h"

#include <dlfcn.h>

#include <mutex>

#include "platform/os/Path.h"

namespace qv::os {
namespace {

// dlerror's text is per thread but only valid until the next dl call; the
// lock keeps the call and its text together.
std::mutex g_dlMutex;

void TakeError(std::string* error) {
    const char* text = dlerror();
    if (error) *error = text ? text : "unknown error";
}

}  // namespace

HMODULE LoadLibrary(std::u16string_view path, std::string* error) {
    std::lock_guard<std::mutex> guard(g_dlMutex);
    dlerror();
    void* handle = dlopen(NativePath(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) TakeError(error);
    return handle;
}

void* GetProcAddress(HMODULE library, const char* name, std::string* error) {
    if (!library || !name) {
        if (error) *error = "no library or symbol name";
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(g_dlMutex);
    dlerror();
    void* symbol = dlsym(library, name);
    if (!symbol) TakeError(error);
    return symbol;
}

BOOL FreeLibrary(HMODULE library) {
    if (!library) return FALSE;
    std::lock_guard<std::mutex> guard(g_dlMutex);
    return dlclose(library) == 0 ? TRUE : FALSE;
}

}  // namespace qv::os
