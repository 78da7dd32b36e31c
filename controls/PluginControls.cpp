#include "controls/PluginControls.h"

#include "controls/SEdit2.h"

namespace qv::controls {

void RegisterPluginControls(qv::ui::SWindowFactory& windows, [[maybe_unused]] qv::ui::SSkinFactory& skins) {
    windows.RegisterClass<SEdit2>();
}

}  // namespace qv::controls
