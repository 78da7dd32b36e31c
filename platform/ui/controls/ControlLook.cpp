#include "platform/ui/controls/ControlLook.h"

#include "platform/os/Log.h"
#include "platform/ui/SApplication.h"

namespace qv::ui {

ISkinObj* FindSkin(const SStringW& name) {
    SApplication* app = SApplication::getSingletonPtr();
    ISkinObj* skin = app ? app->GetSkin(name) : nullptr;
    if (!skin) QV_LOGW("skin %s not found", name.ToUtf8().c_str());
    return skin;
}

}  // namespace qv::ui
