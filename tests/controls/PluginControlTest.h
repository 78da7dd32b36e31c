#pragma once
// A headless host with the standard and the plug-in's controls registered,
// over the skin's resources, with input helpers and a stepped clock.
#include "tests/uictl/CtlTestEnv.h"

namespace qv::controls::test {

class PluginControlTest : public qv::ui::test::ControlTest {
protected:
    void SetUp() override;
    // Colour of a pixel of the host's last frame.
    qv::ui::COLORREF Pixel(int x, int y);
    // Repaints everything now.
    void Redraw();
};

}  // namespace qv::controls::test
