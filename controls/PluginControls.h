#pragma once
// The plug-in's own window and skin classes, registered with the
// application's factories in the order the plug-in's start-up uses.
namespace qv::ui {
class SApplication;
}

namespace qv::controls {

void RegisterPluginControls(qv::ui::SApplication& app);

// The drawing library needs no start or stop here; both succeed.
int StartupGdiplus();
void ShutdownGdiplus();

}  // namespace qv::controls
