#include "tests/uictl/CtlTestEnv.h"

#include "platform/os/MessageQueue.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/controls/StandardControls.h"

namespace qv::ui::test {

void ControlTest::SetUp() {
    m_app = std::make_unique<SApplication>(nullptr);
    RegisterStandardControls(m_app->GetWindowFactory());
}

void ControlTest::TearDown() {
    if (m_host) m_host->DestroyWindow();
    while (qv::os::PumpOneMessage()) {
    }
    m_host.reset();
    m_app.reset();
    qv::os::DestroyThreadQueue();
}

void ControlTest::CreateHost(const char* rootXml) {
    m_host = std::make_unique<SHostWnd>();
    std::string xml = std::string("<SOUI size=\"300,200\"><root>") + rootXml + "</root></SOUI>";
    ASSERT_NE(m_host->CreateFromXml(SStringW::FromUtf8(xml)), nullptr);
    m_host->UpdateWindow();
}

void ControlTest::AddSkin(const char16_t* name, int width, int height, int states) {
    auto skin = std::make_unique<SSkinImgList>();
    skin->SetImage(SBitmap::Create(width * states, height));
    ASSERT_EQ(skin->SetAttribute(u"states", SStringW::Format(u"%d", states), true), S_OK);
    m_app->GetSkinPool().AddSkin(name, std::move(skin));
}

void ControlTest::MouseDown(CPoint pt) { m_host->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y)); }
void ControlTest::MouseMove(CPoint pt) { m_host->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pt.x, pt.y)); }
void ControlTest::MouseUp(CPoint pt) { m_host->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y)); }
void ControlTest::Click(CPoint pt) {
    MouseDown(pt);
    MouseUp(pt);
}
void ControlTest::Key(UINT vk) { m_host->SendMessage(WM_KEYDOWN, vk, 0); }
void ControlTest::Char(char16_t ch) { m_host->SendMessage(WM_CHAR, ch, 0); }
void ControlTest::Wheel(int delta, CPoint pt) {
    m_host->SendMessage(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<std::uint16_t>(delta)) << 16, MAKELPARAM(pt.x, pt.y));
}

void EventLog::Attach(SWindow* wnd, int id) {
    ASSERT_NE(wnd, nullptr);
    ASSERT_NE(wnd->SubscribeEvent(id, [this, wnd](EventArgs* e) {
        ++count;
        if (auto* pos = EventCast<EventSliderPos>(e)) {
            lastPos = pos->nPos;
            lastCode = pos->nCode;
        }
        if (auto* re = EventCast<EventRENotify>(e)) lastNotify = re->iNotify;
        if (auto* cb = EventCast<EventCBSelChange>(e)) lastSel = cb->nCurSel;
        lastChecked = wnd->IsChecked();
        return true;
    }), 0u);
}

namespace {

class FontCacheEnvironment : public ::testing::Environment {
public:
    void TearDown() override { SRenderTarget::ReleaseThreadFontCache(); }
};

const auto* const kFontCacheEnvironment = ::testing::AddGlobalTestEnvironment(new FontCacheEnvironment);

}  // namespace

}  // namespace qv::ui::test
