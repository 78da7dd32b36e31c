#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/ChromeTabEvents.h"
#include "controls/SChromeTab.h"
#include "controls/SChromeTabCtrl.h"
#include "platform/os/MessageQueue.h"
#include "tests/controls/PluginControlTest.h"
#include "tests/support/GeometryPrinters.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::controls {
namespace {

using namespace qv::ui;

// A bar of `tabs` tabs along the whole host, with a 30 x 30 new-tab button
// and a 12 x 12 close button at the end of each tab.
std::string Bar(int tabs, const char* attrs = "") {
    std::string xml = std::string("<chromeTabCtrl name=\"bar\" pos=\"0,0,-0,-0\" ") + attrs +
                      "><tabStyle colorBkgnd=\"#2A2C33\"/><tabs>";
    for (int i = 0; i < tabs; ++i) xml += "<chromeTab name=\"t" + std::to_string(i) + "\" text=\"tab " + std::to_string(i) + "\"/>";
    return xml + "</tabs><newBtnStyle name=\"new\" size=\"30,30\" text=\"+\"/>"
                 "<closeBtnStyle name=\"close\" pos=\"-16,4,@12,@12\" colorBkgnd=\"#E5484D\"/></chromeTabCtrl>";
}

class TabBarTest : public test::PluginControlTest {
protected:
    void SetUp() override {
        qv::os::SetClock(&m_clock);
        PluginControlTest::SetUp();
        m_app->GetWindowFactory().RegisterClass<SChromeTabCtrl>();
        m_app->GetWindowFactory().RegisterClass<SChromeTab>();
    }
    void TearDown() override {
        PluginControlTest::TearDown();
        qv::os::SetClock(nullptr);
    }
    // Creates the bar and lets its first layout finish.
    SChromeTabCtrl* Create(const std::string& xml, int width = 1000, int height = 30) {
        CreateHostSized(xml.c_str(), width, height);
        m_bar = Find<SChromeTabCtrl>(u"bar");
        EXPECT_NE(m_bar, nullptr);
        m_bar->SubscribeEvent(EVT_CHROMETAB_SELCHANGED, [this](EventArgs* e) {
            auto* sel = EventCast<EventChromeTabSelChanged>(e);
            m_log.push_back("sel " + std::to_string(sel->iOldSel) + ">" + std::to_string(sel->iNewSel));
            return true;
        });
        m_bar->SubscribeEvent(EVT_CHROMETAB_NEW, [this](EventArgs* e) {
            auto* add = EventCast<EventChromeTabNew>(e);
            m_log.push_back("new " + std::to_string(add->iNewTab) + (add->pNewTab == m_bar->GetTab(add->iNewTab) ? "" : "?"));
            return true;
        });
        m_bar->SubscribeEvent(EVT_CHROMETAB_CLOSE, [this](EventArgs* e) {
            auto* close = EventCast<EventChromeTabClose>(e);
            m_log.push_back("close " + std::to_string(close->iCloseTab) + " of " + std::to_string(m_bar->GetTabCount()));
            return true;
        });
        Step(200);
        return m_bar;
    }
    void Step(int ms) {
        for (int t = 0; t < ms; t += 10) {
            m_clock.Step(10);
            qv::ui::test::PumpPending();
        }
    }
    CRect Rect(int pos) { return m_bar->GetTab(pos)->GetWindowRect(); }
    bool AnyMoving() {
        for (int i = 0; i < m_bar->GetTabCount(); ++i)
            if (m_bar->GetTab(i)->IsAnimating()) return true;
        return m_bar->GetNewTabButton()->IsAnimating();
    }

    qv::ui::test::SteppedClock m_clock;
    SChromeTabCtrl* m_bar = nullptr;
    std::vector<std::string> m_log;
};

TEST_F(TabBarTest, TabsShareTheStripWhenTheyDoNotFit) {
    Create(Bar(10));
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Rect(i), CRect(97 * i, 0, 97 * i + 97, 30)) << i;
    EXPECT_EQ(m_bar->GetNewTabButton()->GetWindowRect(), CRect(970, 0, 1000, 30));
    // Each tab has its close button at its end.
    EXPECT_EQ(m_bar->GetTab(0)->FindChildByName(u"close")->GetWindowRect(), CRect(81, 4, 93, 16));
    EXPECT_FALSE(AnyMoving());
    EXPECT_EQ(m_bar->GetCurSel(), -1);
}

TEST_F(TabBarTest, EmptyOrNarrowStripsPlaceWhatFits) {
    Create(Bar(0));
    EXPECT_EQ(m_bar->GetNewTabButton()->GetWindowRect(), CRect(0, 0, 30, 30));
    m_host->DestroyWindow();
    Create(Bar(2), 20);  // narrower than the new-tab button
    EXPECT_EQ(Rect(0).Width(), 0);
    EXPECT_EQ(Rect(1).Width(), 0);
}

TEST_F(TabBarTest, VerticalStripMirrorsTheLayout) {
    Create(Bar(10, "tabAlign=\"vertical\""), 100, 1000);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Rect(i), CRect(0, 97 * i, 100, 97 * i + 97)) << i;
    EXPECT_EQ(m_bar->GetNewTabButton()->GetWindowRect(), CRect(0, 970, 30, 1000));
    EXPECT_EQ(m_bar->SetAttribute(u"tabAlign", u"Horizontal", false), E_FAIL);
    EXPECT_TRUE(m_bar->IsVertical());
}

TEST_F(TabBarTest, NewTabStartsAfterTheLastAndMovesOverTwoHundredMs) {
    Create(Bar(4));
    m_bar->InsertTab();
    EXPECT_EQ(m_log, std::vector<std::string>{"new 4"});
    EXPECT_EQ(m_bar->GetCurSel(), -1);
    ASSERT_EQ(m_bar->GetTabCount(), 5);
    // Five tabs of 200 no longer fit in 970 pixels: 194 each.
    EXPECT_EQ(Rect(4), CRect(800, 0, 1000, 30));
    EXPECT_EQ(Rect(1), CRect(200, 0, 400, 30));
    Step(100);
    EXPECT_EQ(Rect(1), CRect(197, 0, 394, 30));
    EXPECT_EQ(Rect(4), CRect(788, 0, 985, 30));
    Step(100);
    EXPECT_EQ(Rect(1), CRect(194, 0, 388, 30));
    EXPECT_EQ(Rect(4), CRect(776, 0, 970, 30));
    EXPECT_EQ(m_bar->GetNewTabButton()->GetWindowRect(), CRect(970, 0, 1000, 30));
    EXPECT_FALSE(AnyMoving());
    // The new-tab button's click adds one too.
    Click(CPoint(985, 15));
    EXPECT_EQ(m_bar->GetTabCount(), 6);
}

TEST_F(TabBarTest, SelectionEventsReportTheChange) {
    Create(Bar(3));
    Click(CPoint(250, 15));
    Click(CPoint(250, 15));  // already selected: no event
    EXPECT_TRUE(m_bar->GetTab(1)->IsChecked());
    m_bar->SetCurSel(0);
    EXPECT_FALSE(m_bar->GetTab(1)->IsChecked());
    m_bar->SetCurSel(3);   // out of range
    m_bar->SetCurSel(-2);  // below none
    m_bar->SetCurSel(-1);
    EXPECT_EQ(m_log, (std::vector<std::string>{"sel -1>1", "sel 1>0", "sel 0>-1"}));
    EXPECT_FALSE(m_bar->GetTab(0)->IsChecked());
}

TEST_F(TabBarTest, ClosingATabFromItsButtonReportsItThenRemovesIt) {
    Create(Bar(3));
    m_bar->SetCurSel(1);
    m_log.clear();
    Click(m_bar->GetTab(1)->FindChildByName(u"close")->GetWindowRect().CenterPoint());
    EXPECT_EQ(m_log, std::vector<std::string>{"close 1 of 3"});  // no selection event
    ASSERT_EQ(m_bar->GetTabCount(), 2);
    EXPECT_EQ(m_bar->GetCurSel(), -1);
    // The last one moves into the gap.
    for (int pos = 0; pos < 2; ++pos) {
        EXPECT_EQ(m_bar->GetTab(pos)->GetTabPos(), pos);
        EXPECT_EQ(m_bar->GetTabIndex(pos), pos);
        EXPECT_EQ(m_bar->GetTabPos(pos), pos);
    }
    EXPECT_EQ(m_bar->GetTab(1)->GetWindowText(), SStringW(u"tab 2"));
    Step(200);
    EXPECT_EQ(Rect(1), CRect(200, 0, 400, 30));
    EXPECT_EQ(m_bar->GetTabPos(2), -1);
    EXPECT_FALSE(m_bar->RemoveTab(2));
    EXPECT_TRUE(m_bar->RemoveTab(0));
    EXPECT_EQ(m_bar->GetTabCount(), 1);
}

TEST_F(TabBarTest, DraggingATabPastItsNeighbourSwapsThem) {
    Create(Bar(3));
    SChromeTab* first = m_bar->GetTab(0);
    SChromeTab* second = m_bar->GetTab(1);
    MouseDown(CPoint(100, 15));
    MouseMove(CPoint(250, 15));
    EXPECT_EQ(first->GetWindowRect(), CRect(150, 0, 350, 30));  // follows the pointer along the strip
    EXPECT_EQ(first->GetTabPos(), 0);
    MouseMove(CPoint(310, 20));  // past the middle of the second tab
    EXPECT_EQ(second->GetWindowRect(), CRect(0, 0, 200, 30));
    EXPECT_EQ(m_bar->GetTab(0), second);
    EXPECT_EQ(m_bar->GetTab(1), first);
    EXPECT_EQ(first->GetTabIndex(), 0);  // created first all the same
    MouseUp(CPoint(310, 20));
    EXPECT_TRUE(first->IsAnimating());
    Step(200);
    EXPECT_EQ(first->GetWindowRect(), CRect(200, 0, 400, 30));
    EXPECT_EQ(m_bar->GetCurSel(), 1);  // released on it: selected
}

TEST_F(TabBarTest, PlainClicksAndDisabledDragsLayNothingOut) {
    Create(Bar(3, "enableDrag=\"0\""));
    MouseDown(CPoint(100, 15));
    MouseMove(CPoint(350, 15));
    EXPECT_EQ(Rect(0), CRect(0, 0, 200, 30));
    MouseUp(CPoint(350, 15));
    EXPECT_FALSE(AnyMoving());
    EXPECT_EQ(m_bar->GetTab(0)->GetTabIndex(), 0);
    ASSERT_EQ(m_bar->SetAttribute(u"enableDrag", u"1", false), S_FALSE);
    Click(CPoint(300, 15));
    EXPECT_FALSE(AnyMoving());
    EXPECT_EQ(m_bar->GetCurSel(), 1);
}

}  // namespace
}  // namespace qv::controls
