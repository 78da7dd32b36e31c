#include <gtest/gtest.h>

#include "controls/CInActiveCloseDlg.h"
#include "controls/CTipWnd.h"
#include "controls/PluginControls.h"
#include "controls/SScrollText.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/headless/HeadlessDisplay.h"
#include "tests/controls/PluginControlTest.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::controls {
namespace {

using namespace qv::ui;

class TipWindowsTest : public test::PluginControlTest {
protected:
    void SetUp() override {
        qv::os::SetClock(&clock);
        PluginControlTest::SetUp();
    }
    void TearDown() override {
        ClosePluginPopups();
        Pump();
        PluginControlTest::TearDown();
        qv::os::SetClock(nullptr);
    }
    void Pump() {
        while (qv::os::PumpOneMessage()) {
        }
    }
    void Step(int ms) {
        for (int t = 0; t < ms; t += 10) {
            clock.Step(10);
            Pump();
        }
    }
    HeadlessDisplay& Display() { return static_cast<HeadlessDisplay&>(GetDisplayBackend()); }
    qv::ui::test::SteppedClock clock;
};

TEST_F(TipWindowsTest, TipSitsOnItsAnchorForItsTime) {
    ASSERT_TRUE(CTipWnd::ShowTip(500, 400, u"保存成功！", 2000));
    CTipWnd* tip = CTipWnd::Current();
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(tip->IsWindowVisible());
    EXPECT_EQ(tip->FindChildByName(u"txt_tip")->GetWindowText(), SStringW(u"保存成功！"));
    CRect rc = tip->GetScreenRect();
    EXPECT_EQ(rc.left, 500);
    EXPECT_EQ(rc.bottom, 400);
    EXPECT_GT(rc.Width(), 20);
    // A longer text grows the tip upwards: the bottom-left corner stays.
    ASSERT_TRUE(CTipWnd::ShowTip(500, 400, u"第一行很长很长很长很长很长很长很长很长很长很长很长很长很长很长的提示文字", 2000));
    EXPECT_EQ(CTipWnd::Current(), tip);  // the same window
    const CRect grown = tip->GetScreenRect();
    EXPECT_EQ(grown.left, 500);
    EXPECT_EQ(grown.bottom, 400);
    EXPECT_GT(grown.Height(), rc.Height());
    EXPECT_LE(grown.Width(), 300 + 40);  // wraps within its maximum width
    Step(1990);
    EXPECT_NE(CTipWnd::Current(), nullptr);
    Step(10);
    EXPECT_EQ(CTipWnd::Current(), nullptr);
}

TEST_F(TipWindowsTest, ASecondTipReplacesTheFirstAndKeepsItsOwnTime) {
    ASSERT_TRUE(CTipWnd::ShowTip(100, 100, u"first", 1000));
    Step(500);
    ASSERT_TRUE(CTipWnd::ShowTip(200, 200, u"second", 300));
    EXPECT_EQ(CTipWnd::Current()->GetScreenRect().left, 200);
    Step(290);
    ASSERT_NE(CTipWnd::Current(), nullptr);
    Step(10);
    EXPECT_EQ(CTipWnd::Current(), nullptr);  // the first one's 1000 ms no longer count
    CTipWnd::HideTip();                       // nothing shown: nothing happens
}

TEST_F(TipWindowsTest, TipAtAControlOrAtTheCursor) {
    CreateHost(R"(<window name="panel" pos="0,0,-0,-0"><button name="save" id="77" pos="120,100,@60,@24"/>
                  <button id="76" pos="0,100,@40,@24"/><button id="75" pos="260,100,@40,@24"/>
                  <button id="74" pos="120,4,@60,@24"/></window>)");
    const CRect window(300, 200, 600, 400);
    m_host->SetWindowPos(window);
    SWindow* panel = m_host->FindChildByName(u"panel");
    // Centred above the control.
    ASSERT_TRUE(CTipWnd::ShowTipAtCtrl(77, panel, u"a tip wider than its control", 2000));
    EXPECT_EQ(CTipWnd::Current()->GetAnchor(), CPoint(300 + 150, 200 + 100));
    const CRect above = CTipWnd::Current()->GetScreenRect();
    EXPECT_EQ(above.bottom, 300);
    EXPECT_GT(above.Width(), 60);
    EXPECT_NEAR((above.left + above.right) / 2, 450, 1);
    // Near an edge of its window it moves inside, the least it must.
    const auto showAt = [&](int id) {
        EXPECT_TRUE(CTipWnd::ShowTipAtCtrl(id, panel, u"a tip wider than its control", 2000));
        const CRect tip = CTipWnd::Current()->GetScreenRect();
        CRect inside;
        EXPECT_TRUE(inside.Intersect(tip, window) && inside == tip) << id;
        return tip;
    };
    EXPECT_EQ(showAt(76).left, window.left);
    EXPECT_EQ(showAt(75).right, window.right);
    EXPECT_EQ(showAt(74).top, window.top);
    EXPECT_NEAR(showAt(74).CenterPoint().x, 450, 1);
    // A tip at a screen point stays on the display.
    ASSERT_TRUE(CTipWnd::ShowTip(1900, 10, u"a tip wider than its control", 2000));
    EXPECT_EQ(CTipWnd::Current()->GetScreenRect().right, 1920);
    EXPECT_EQ(CTipWnd::Current()->GetScreenRect().top, 0);
    Display().SetCursorPos({640, 480});
    ASSERT_TRUE(CTipWnd::ShowTipAtCtrl(78, panel, u"no such control", 2000));
    EXPECT_EQ(CTipWnd::Current()->GetAnchor(), CPoint(640, 480));
    ASSERT_TRUE(CTipWnd::ShowTipAtCtrl(77, nullptr, u"no parent", 2000));
    EXPECT_EQ(CTipWnd::Current()->GetAnchor(), CPoint(640, 480));
    EXPECT_FALSE(CTipWnd::ShowTipAtCtrl(77, panel, u"", 2000));
    EXPECT_EQ(CTipWnd::Current()->GetAnchor(), CPoint(640, 480));  // unchanged
    ASSERT_TRUE(CTipWnd::ShowTipAtNamedCtrl(u"save", panel, u"named"));
    EXPECT_EQ(CTipWnd::Current()->GetAnchor(), CPoint(450, 300));
    Step(2000);
    EXPECT_EQ(CTipWnd::Current(), nullptr);
}

TEST_F(TipWindowsTest, PopupClosesWhenTheActivationGoesElsewhereWithThePointer) {
    EXPECT_FALSE(CInActiveCloseDlg::ShowPopup(u"LAYOUT:XML_NO_SUCH"));
    EXPECT_EQ(CInActiveCloseDlg::OpenCount(), 0);
    CreateHost("");
    m_host->SetWindowPos(CRect(100, 100, 400, 300));
    m_host->ShowWindow(SW_SHOW);
    m_app->SetMainWnd(m_host.get());
    ASSERT_TRUE(CInActiveCloseDlg::ShowPopup(u"LAYOUT:XML_TEST_POPUP"));
    ASSERT_EQ(CInActiveCloseDlg::OpenCount(), 1);
    SHostWnd* popup = m_app->GetHostWnds().back();
    EXPECT_EQ(popup->GetScreenRect(), CRect(150, 140, 350, 260));  // centred over the main window
    EXPECT_TRUE(popup->IsWindowVisible());
    // Deactivated with the pointer over it: it stays.
    Display().SetCursorPos({200, 200});
    popup->SendMessage(WM_ACTIVATE, WA_INACTIVE, 0);
    Pump();
    EXPECT_EQ(CInActiveCloseDlg::OpenCount(), 1);
    // With the pointer elsewhere: it closes.
    Display().SetCursorPos({20, 20});
    popup->SendMessage(WM_ACTIVATE, WA_ACTIVE, 0);
    popup->SendMessage(WM_ACTIVATE, WA_INACTIVE, 0);
    Pump();
    EXPECT_EQ(CInActiveCloseDlg::OpenCount(), 0);
    // Its close button closes it; without a main window it is centred on the screen.
    m_app->SetMainWnd(nullptr);
    ASSERT_TRUE(CInActiveCloseDlg::ShowPopup(u"LAYOUT:XML_TEST_POPUP"));
    popup = m_app->GetHostWnds().back();
    const CRect area = Display().GetWorkArea();
    EXPECT_EQ(popup->GetScreenRect().TopLeft(), CPoint((area.Width() - 200) / 2, (area.Height() - 120) / 2));
    popup->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(180, 10));
    popup->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(180, 10));
    Pump();
    EXPECT_EQ(CInActiveCloseDlg::OpenCount(), 0);
    // What is left open when the UI goes is closed with it.
    ASSERT_TRUE(CInActiveCloseDlg::ShowPopup(u"LAYOUT:XML_TEST_POPUP"));
    ASSERT_TRUE(CTipWnd::ShowTip(1, 100, u"tip", 5000));
    ClosePluginPopups();
    Pump();
    EXPECT_EQ(CInActiveCloseDlg::OpenCount(), 0);
    EXPECT_EQ(CTipWnd::Current(), nullptr);
}

class ScrollTextTest : public TipWindowsTest {
protected:
    void Open(const char* attrs, const char* text) {
        CreateHost((std::string(R"(<scrolltext name="s" pos="10,10,@100,@20" colorText="#FFFFFF" )") + attrs + " text=\"" + text +
                    "\"/>")
                       .c_str());
        s = Find<SScrollText>(u"s");
        ASSERT_NE(s, nullptr);
    }
    // Leftmost and rightmost columns with text pixels inside the control.
    std::pair<int, int> InkColumns() {
        Redraw();
        int first = -1, last = -1;
        for (int x = 10; x < 110; ++x) {
            for (int y = 10; y < 30; ++y) {
                if (GetRValue(Pixel(x, y)) > 128) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
            }
        }
        return {first, last};
    }
    SScrollText* s = nullptr;
};

TEST_F(ScrollTextTest, FittingTextStandsStillWhereItIsAligned) {
    Open(R"(textAlign="left")", "Pad");
    EXPECT_FALSE(s->IsScrolling());
    EXPECT_FALSE(s->IsOnTimeline());
    const auto left = InkColumns();
    EXPECT_LT(left.first, 14);
    EXPECT_EQ(s->SetAttribute(u"textAlign", u"right", false), S_OK);
    const auto right = InkColumns();
    EXPECT_GT(right.second, 105);
    EXPECT_EQ(s->SetAttribute(u"textAlign", u"middle", false), E_FAIL);
    EXPECT_EQ(s->SetAttribute(u"textAlign", u"center", false), S_OK);
    const auto centre = InkColumns();
    EXPECT_NEAR((centre.first + centre.second) / 2.0, 60, 3);
}

TEST_F(ScrollTextTest, WideTextMovesOnePixelPerSpeedAndLoopsWithoutAGap) {
    Open(R"(speed="20")", "A very long pad name that does not fit");
    ASSERT_TRUE(s->IsScrolling());
    EXPECT_TRUE(s->IsOnTimeline());
    const int width = s->GetTextWidth();
    EXPECT_GT(width, 100);
    Step(20);
    EXPECT_EQ(s->GetOffset(), 1);
    Step(30);
    EXPECT_EQ(s->GetOffset(), 2);  // 40 ms: still 2
    Step(10);
    EXPECT_EQ(s->GetOffset(), 3);
    // Near the end of a round the start follows the end within the control.
    Step(20 * (width - 3 - 50));
    EXPECT_EQ(s->GetOffset(), width - 50);
    const auto ink = InkColumns();
    EXPECT_GT(ink.second, 60 + 10);
    Step(20 * 49);
    EXPECT_EQ(s->GetOffset(), width - 1);
    Step(20);
    EXPECT_EQ(s->GetOffset(), 0);  // the start again, no repeated frame
    // Out of sight it leaves the timeline, also under a hidden parent until
    // drawn again; a text that fits too.
    s->SetVisible(false);
    EXPECT_FALSE(s->IsOnTimeline());
    s->SetVisible(true);
    EXPECT_TRUE(s->IsOnTimeline());
    m_host->SetVisible(false);
    Step(20);
    EXPECT_FALSE(s->IsOnTimeline());
    m_host->SetVisible(true);
    m_host->UpdateWindow();
    EXPECT_TRUE(s->IsOnTimeline());
    s->SetWindowText(u"short");
    EXPECT_FALSE(s->IsScrolling());
    EXPECT_FALSE(s->IsOnTimeline());
    EXPECT_FALSE(m_host->UnregisterTimelineHandler(s));
}

TEST_F(ScrollTextTest, ReenteringTextStartsAtTheRightEdge) {
    Open(R"(rolltype="1" speed="10")", "A very long pad name that does not fit");
    EXPECT_EQ(s->GetOffset(), -100);
    s->SetWindowText(u"Another very long pad name that does not fit");  // measured again, joined once
    EXPECT_EQ(s->GetOffset(), -100);
    EXPECT_TRUE(m_host->UnregisterTimelineHandler(s));
    EXPECT_FALSE(m_host->UnregisterTimelineHandler(s));
    m_host->RegisterTimelineHandler(s);
    Step(10 * (s->GetTextWidth() + 100 - 1));
    EXPECT_EQ(s->GetOffset(), s->GetTextWidth() - 1);
    Step(10);
    EXPECT_EQ(s->GetOffset(), -100);
}

}  // namespace
}  // namespace qv::controls
