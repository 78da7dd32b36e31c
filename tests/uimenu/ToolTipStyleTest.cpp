#include <gtest/gtest.h>

#include "platform/ui/headless/HeadlessDisplay.h"
#include "platform/ui/SToolTipWnd.h"
#include "tests/uimenu/MenuTestEnv.h"

namespace qv::ui {
namespace {

class ToolTipStyleTest : public test::MenuUiTest {
protected:
    void SetUp() override {
        test::MenuUiTest::SetUp();
        qv::os::SetClock(&m_clock);
    }
    void TearDown() override {
        test::MenuUiTest::TearDown();
        qv::os::SetClock(nullptr);
    }
    SToolTipWnd* ShownTip() {
        for (SHostWnd* h : m_app->GetHostWnds()) {
            auto* tip = dynamic_cast<SToolTipWnd*>(h);
            if (tip && tip->IsWindowVisible()) return tip;
        }
        return nullptr;
    }
    test::SteppedClock m_clock;
};

TEST_F(ToolTipStyleTest, ATipFromTheLayoutSizesToItsText) {
    SToolTipWnd tip;
    ASSERT_TRUE(tip.Create());
    EXPECT_FALSE(tip.IsWindowVisible());
    EXPECT_EQ(tip.GetHostStyle() & (HostStyle_TopMost | HostStyle_NoActivate), HostStyle_TopMost | HostStyle_NoActivate);
    tip.SetText(u"Short");
    CSize small = tip.GetScreenRect().Size();
    tip.SetText(u"A much longer tip that takes more room than the short one");
    CSize wide = tip.GetScreenRect().Size();
    EXPECT_GT(wide.cx, small.cx);
    // The text wraps at the layout's 300 pixels plus the padding.
    tip.SetText(SStringW(std::u16string(40, u'w')) + u" " + std::u16string(40, u'w'));
    CSize wrapped = tip.GetScreenRect().Size();
    EXPECT_LE(wrapped.cx, 300 + 16);
    EXPECT_GT(wrapped.cy, small.cy);
    EXPECT_EQ(tip.FindChildByName(u"txt_tip")->GetWindowText(), tip.GetText());
}

TEST_F(ToolTipStyleTest, RestingOnAControlShowsItsTipBelowItAndLeavingHidesIt) {
    SHostWnd host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"300,200\"><root>"
                                 u"<button name=\"b\" pos=\"20,30,@80,@24\" tip=\"Play the sound\">x</button>"
                                 u"<text name=\"plain\" pos=\"20,100,@80,@24\">y</text></root></SOUI>"),
              nullptr);
    ASSERT_TRUE(host.SetWindowPos(CRect(500, 400, 800, 600)));
    host.ShowWindow(SW_SHOWNORMAL);
    Hover(host, {40, 40});
    test::PumpPending();
    EXPECT_EQ(ShownTip(), nullptr);
    m_clock.Step(kToolTipDelayMs);
    test::PumpPending();
    SToolTipWnd* tip = ShownTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->GetText(), SStringW(u"Play the sound"));
    EXPECT_EQ(tip->GetScreenRect().left, 520);
    EXPECT_EQ(tip->GetScreenRect().top, 400 + 54 + 4);
    auto* native = dynamic_cast<HeadlessWindow*>(tip->GetNativeWindow());
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native->GetLastShowCmd(), SW_SHOWNOACTIVATE);
    // A control without a tip: the tip goes and none comes.
    Hover(host, {40, 110});
    EXPECT_EQ(ShownTip(), nullptr);
    m_clock.Step(kToolTipDelayMs);
    test::PumpPending();
    EXPECT_EQ(ShownTip(), nullptr);
    // Back on the button, then a click: hidden again.
    Hover(host, {40, 40});
    m_clock.Step(kToolTipDelayMs);
    test::PumpPending();
    ASSERT_NE(ShownTip(), nullptr);
    Click(host, {40, 40});
    EXPECT_EQ(ShownTip(), nullptr);
}

TEST_F(ToolTipStyleTest, LayoutAttributesAndCallsSetTheStylesTheBackendSees) {
    SHostWnd popup;
    ASSERT_NE(popup.CreateFromXml(u"<SOUI popup=\"1\" topmost=\"1\" toolWindow=\"1\" noActivate=\"1\">"
                                  u"<root><text pos=\"0,0\">content</text></root></SOUI>"),
              nullptr);
    auto* native = dynamic_cast<HeadlessWindow*>(popup.GetNativeWindow());
    ASSERT_NE(native, nullptr);
    const DWORD all = HostStyle_Popup | HostStyle_TopMost | HostStyle_ToolWindow | HostStyle_NoActivate;
    EXPECT_EQ(native->GetStyle(), all);
    popup.SetTopMost(false);
    EXPECT_EQ(native->GetStyle(), all & ~HostStyle_TopMost);
    // Content-sized: as large as the text, and again after it grows.
    CSize first = popup.GetScreenRect().Size();
    EXPECT_GT(first.cx, 1);
    popup.GetWindow(GSW_FIRSTCHILD)->SetWindowText(u"content that is a good deal longer");
    popup.SizeToContent();
    EXPECT_GT(popup.GetScreenRect().Width(), first.cx);

    // A hidden window takes messages but never shows.
    SHostWnd hidden;
    ASSERT_NE(hidden.CreateFromXml(u"<SOUI hidden=\"1\" size=\"10,10\"/>"), nullptr);
    EXPECT_EQ(hidden.GetHostStyle(), HostStyle_Hidden);
    hidden.ShowWindow(SW_SHOWNORMAL);
    EXPECT_FALSE(hidden.IsWindowVisible());
    EXPECT_EQ(hidden.SendMessage(WM_NULL), 0);

    // A window of fixed size is not resized to its content.
    SHostWnd fixed;
    ASSERT_NE(fixed.CreateFromXml(u"<SOUI size=\"50,40\"><root><text pos=\"0,0\">a rather long text</text></root></SOUI>"),
              nullptr);
    fixed.SizeToContent();
    EXPECT_EQ(fixed.GetScreenRect().Size(), CSize(50, 40));
}

}  // namespace
}  // namespace qv::ui
