#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/controls/SScrollView.h"
#include "tests/uictl/CtlTestEnv.h"

namespace qv::ui {
namespace {

using test::ControlTest;

TEST_F(ControlTest, ScrollViewPlacesGridCellsAndMovesThemByTheOrigin) {
    CreateHost(R"(<scrollview name="sv" pos="0,0,@200,@100" layout="gridLayout" columnCount="2" xInterval="10" yInterval="5">
                    <window name="c0" height="50"/><window name="c1" height="50"/><window name="c2" height="50"/>
                    <window name="c3" height="50"/><window name="c4" height="50"/><window name="c5" height="50"/>
                  </scrollview>)");
    auto* sv = Find<SScrollView>(u"sv");
    std::vector<std::pair<CPoint, CPoint>> moves;
    sv->SubscribeEvent(EVT_SCROLLVIEW_ORIGINCHANGED, [&](EventArgs* e) {
        auto* ev = EventCast<EventScrollViewOriginChanged>(e);
        moves.push_back({ev->ptOldOrigin, ev->ptNewOrigin});
        return true;
    });
    m_host->UpdateWindow();
    // The vertical bar takes 10 pixels of the width.
    EXPECT_TRUE(sv->HasScrollBar(true));
    EXPECT_FALSE(sv->HasScrollBar(false));
    EXPECT_EQ(m_host->FindChildByName(u"c0")->GetWindowRect(), CRect(0, 0, 90, 50));
    EXPECT_EQ(m_host->FindChildByName(u"c3")->GetWindowRect(), CRect(100, 55, 190, 105));
    EXPECT_EQ(m_host->FindChildByName(u"c4")->GetWindowRect(), CRect(0, 110, 90, 160));
    EXPECT_EQ(sv->GetViewSize(), CSize(190, 160));

    Wheel(-120, {50, 50});
    EXPECT_EQ(sv->GetViewOrigin(), CPoint(0, 60));  // the bottom of the view
    EXPECT_EQ(m_host->FindChildByName(u"c3")->GetWindowRect(), CRect(100, -5, 190, 45));
    Wheel(-120, {50, 50});  // already at the end
    sv->SetViewOrigin(CPoint(-5, -10));
    EXPECT_EQ(sv->GetViewOrigin(), CPoint(0, 0));
    EXPECT_EQ(m_host->FindChildByName(u"c3")->GetWindowRect(), CRect(100, 55, 190, 105));
    EXPECT_EQ(moves, (std::vector<std::pair<CPoint, CPoint>>{{CPoint(0, 0), CPoint(0, 60)}, {CPoint(0, 60), CPoint(0, 0)}}));

    // Children added later extend the view; a fixed view size bounds the origin.
    sv->SetViewOrigin(CPoint(0, 60));
    sv->CreateChildrenFromXml(u"<window height=\"50\"/>");
    m_host->UpdateWindow();
    EXPECT_EQ(sv->GetViewSize(), CSize(190, 215));
    EXPECT_EQ(sv->GetViewOrigin(), CPoint(0, 60));
    // Wider than the visible area: the horizontal bar shows too and takes 10
    // pixels of the height, so 90 of the 120 are in sight.
    sv->SetViewSize(CSize(200, 120));
    EXPECT_TRUE(sv->HasScrollBar(false));
    EXPECT_EQ(sv->GetViewOrigin(), CPoint(0, 30));
    EXPECT_EQ(moves.back(), std::make_pair(CPoint(0, 60), CPoint(0, 30)));
}

TEST_F(ControlTest, ScrollViewSizesGridCellsAgainstAWiderView) {
    CreateHost(R"(<scrollview name="sv" pos="0,0,@200,@100" viewSize="300,-1" layout="gridLayout" columnCount="2" xInterval="10" yInterval="5">
                    <window name="c0" height="50"/><window name="c1" height="50"/><window name="c2" height="50"/>
                  </scrollview>)");
    auto* sv = Find<SScrollView>(u"sv");
    m_host->UpdateWindow();
    EXPECT_EQ(m_host->FindChildByName(u"c0")->GetWindowRect(), CRect(0, 0, 145, 50));
    EXPECT_EQ(m_host->FindChildByName(u"c1")->GetWindowRect(), CRect(155, 0, 300, 50));
    EXPECT_EQ(sv->GetViewSize(), CSize(300, 105));
    // Both bars show: 190 x 90 of the view are in sight.
    sv->SetViewOrigin(CPoint(500, 30));  // bounded to the view
    EXPECT_EQ(sv->GetViewOrigin(), CPoint(110, 15));
    EXPECT_EQ(m_host->FindChildByName(u"c1")->GetWindowRect(), CRect(45, -15, 190, 35));
    EXPECT_EQ(m_host->FindChildByName(u"c2")->GetWindowRect(), CRect(-110, 40, 35, 90));
    // A narrower view shrinks the cells and pulls the origin back.
    sv->SetViewSize(CSize(250, -1));
    EXPECT_EQ(sv->GetViewOrigin(), CPoint(60, 15));
    EXPECT_EQ(m_host->FindChildByName(u"c1")->GetWindowRect(), CRect(70, -15, 190, 35));
}

}  // namespace
}  // namespace qv::ui
