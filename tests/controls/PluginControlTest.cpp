#include "tests/controls/PluginControlTest.h"

#include "controls/PluginControls.h"

namespace qv::controls::test {

void PluginControlTest::SetUp() {
    ControlTest::SetUp();
    ASSERT_TRUE(m_app->AddResProvider(nullptr, u"uidef:xml_init"));
    RegisterPluginControls(*m_app);
}

qv::ui::COLORREF PluginControlTest::Pixel(int x, int y) { return m_host->GetFrameBitmap()->GetPixel(x, y); }

void PluginControlTest::Redraw() {
    m_host->InvalidateHostRect(m_host->GetWindowRect());
    m_host->UpdateWindow();
}

}  // namespace qv::controls::test
