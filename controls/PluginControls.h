#pragma once
// The plug-in's own control and skin classes, registered with the
// application before any resource loads, so every layout and skin the
// plug-in loads can use them.
#include "platform/ui/SWindowFactory.h"

namespace qv::controls {

// Registers them in the start-up order of the plug-in.
void RegisterPluginControls(qv::ui::SWindowFactory& windows, qv::ui::SSkinFactory& skins);

}  // namespace qv::controls
