// The plug-in library's one export.
#include <new>

#include "platform/os/Log.h"
#include "platform/ui/ModuleResources.h"
#include "plugin/entry/MainApp.h"

extern "C" __attribute__((visibility("default"))) IAppClient* GetClient(IAppHost* host) {
    // The module this code was loaded from holds the plug-in's resources.
    static const char kModuleAnchor = 0;
    try {
        return new CMainApp(host, qv::ui::ModuleOfAddress(&kModuleAnchor));
    } catch (const std::bad_alloc&) {
        QV_LOGE("out of memory");
        return nullptr;
    }
}
