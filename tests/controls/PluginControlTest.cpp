#include "tests/controls/PluginControlTest.h"

#include <string>

#include "controls/PluginControls.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"

namespace qv::controls::test {

void PluginControlTest::SetUp() {
    ControlTest::SetUp();
    // As at start-up: the classes first, then the skin that names them.
    RegisterPluginControls(m_app->GetWindowFactory(), m_app->GetSkinFactory());
    ASSERT_TRUE(m_app->AddResProvider(nullptr, u"uidef:xml_init"));
}

void PluginControlTest::CreateHostSized(const char* rootXml, int width, int height) {
    m_host = std::make_unique<qv::ui::SHostWnd>();
    const std::string xml = "<SOUI size=\"" + std::to_string(width) + "," + std::to_string(height) + "\"><root>" + rootXml +
                            "</root></SOUI>";
    ASSERT_NE(m_host->CreateFromXml(qv::ui::SStringW::FromUtf8(xml)), nullptr);
    m_host->UpdateWindow();
}

qv::ui::COLORREF PluginControlTest::Pixel(int x, int y) { return m_host->GetFrameBitmap()->GetPixel(x, y); }

void PluginControlTest::Redraw() {
    m_host->InvalidateHostRect(m_host->GetWindowRect());
    m_host->UpdateWindow();
}

void PluginControlTest::AddSolidSkin(const char16_t* name, int width, int height,
                                     std::initializer_list<qv::ui::COLORREF> frames) {
    qv::ui::SRenderTarget rt(width * static_cast<int>(frames.size()), height);
    int x = 0;
    for (qv::ui::COLORREF c : frames) {
        rt.FillSolidRect(qv::ui::CRect(x, 0, x + width, height), c);
        x += width;
    }
    auto skin = std::make_unique<qv::ui::SSkinImgList>();
    skin->SetImage(rt.GetBitmap());
    skin->SetAttribute(u"states", qv::ui::SStringW::Format(u"%d", static_cast<int>(frames.size())), true);
    m_app->GetSkinPool().AddSkin(name, std::move(skin));
}

}  // namespace qv::controls::test
