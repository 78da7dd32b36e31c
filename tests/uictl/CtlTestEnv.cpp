#include "tests/uictl/CtlTestEnv.h"

#include "platform/os/MessageQueue.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/controls/StandardControls.h"
#include "tests/support/UiInput.h"

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

void ControlTest::MouseDown(CPoint pt) { qv::test::MouseDown(*m_host, pt); }
void ControlTest::MouseMove(CPoint pt) { qv::test::MouseMove(*m_host, pt, MK_LBUTTON); }
void ControlTest::MouseUp(CPoint pt) { qv::test::MouseUp(*m_host, pt); }
void ControlTest::Click(CPoint pt) { qv::test::Click(*m_host, pt); }
void ControlTest::Key(UINT vk) { qv::test::KeyDown(*m_host, vk); }
void ControlTest::Char(char16_t ch) { qv::test::Char(*m_host, ch); }
void ControlTest::Wheel(int delta, CPoint pt) { qv::test::Wheel(*m_host, delta, pt); }

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
