#include "platform/ui/sdl/SdlHostBinding.h"

#include "platform/ui/SHostWnd.h"
#include "platform/ui/sdl/SdlWindow.h"

namespace qv::ui::sdl {

bool BindHostInput(SHostWnd& host) {
    auto* window = dynamic_cast<SdlWindow*>(host.GetNativeWindow());
    if (!window) return false;
    window->SetInputTarget(host.GetHwnd());
    return true;
}

}  // namespace qv::ui::sdl
