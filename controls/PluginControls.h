#pragma once
// The plug-in's own control and skin classes, registered with the
// application before any resource loads, so every layout and skin the
// plug-in loads can use them.
#include "platform/ui/SWindowFactory.h"

namespace qv::controls {

// Registers them in the start-up order of the plug-in, then "scrolltext".
void RegisterPluginControls(qv::ui::SWindowFactory& windows, qv::ui::SSkinFactory& skins);

// Closes the timed tip and every self-closing popup: none may outlive the
// plug-in's UI.
void ClosePluginPopups();

// The drawing library needs no start or stop here; both succeed.
int StartupGdiplus();
void ShutdownGdiplus();

}  // namespace qv::controls
