#include "controls/PluginControls.h"

#include "controls/QvRotaryKnob.h"
#include "controls/QvSlider.h"
#include "controls/SEdit2.h"
#include "platform/ui/SApplication.h"

namespace qv::controls {

void RegisterPluginControls(qv::ui::SApplication& app) {
    qv::ui::SWindowFactory& windows = app.GetWindowFactory();
    windows.RegisterClass<QvSlider>();
    windows.RegisterClass<SEdit2>();
    windows.RegisterClass<QvRotaryKnob>();
}

int StartupGdiplus() { return 1; }

void ShutdownGdiplus() {}

}  // namespace qv::controls
