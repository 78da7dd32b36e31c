#pragma once
// A headless host with the standard and the plug-in's controls registered,
// over the skin's resources, with input helpers and a stepped clock.
#include <initializer_list>

#include "tests/uictl/CtlTestEnv.h"

namespace qv::controls::test {

class PluginControlTest : public qv::ui::test::ControlTest {
protected:
    void SetUp() override;
    // A host of the given size from <root> contents.
    void CreateHostSized(const char* rootXml, int width, int height);
    // Colour of a pixel of the host's last frame.
    qv::ui::COLORREF Pixel(int x, int y);
    // Repaints everything now.
    void Redraw();
    // An image-list skin of frames width x height, each filled with its colour.
    void AddSolidSkin(const char16_t* name, int width, int height, std::initializer_list<qv::ui::COLORREF> frames);
};

}  // namespace qv::controls::test
