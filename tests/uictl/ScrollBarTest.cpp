// Scroll bars of lists and views: the wheel, dragging the thumb to both
// ends, the rail and the arrows, and bars drawn through a scroll-bar skin.
#include <gtest/gtest.h>

#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkinScrollbar.h"
#include "platform/ui/controls/SListBox.h"
#include "platform/ui/controls/SScrollView.h"
#include "tests/support/UiInput.h"
#include "tests/uictl/CtlTestEnv.h"

namespace qv::ui {
namespace {

using test::ControlTest;

// A 4-state skin image, 10 x 10 pixels per part: each cell a colour of its
// own (red = state * 60, green = row * 25), so the pixels tell which part
// and state were drawn.
std::unique_ptr<SSkinScrollbar> MakeSkin() {
    SRenderTarget rt(40, 100);
    for (int state = 0; state < 4; ++state) {
        for (int row = 0; row < 10; ++row) {
            rt.FillSolidRect(CRect(state * 10, row * 10, state * 10 + 10, row * 10 + 10),
                             RGBA(static_cast<BYTE>(state * 60), static_cast<BYTE>(row * 25), 0x80, 0xFF));
        }
    }
    auto skin = std::make_unique<SSkinScrollbar>();
    skin->SetImage(rt.GetBitmap());
    return skin;
}

COLORREF Cell(int state, int row) { return RGBA(static_cast<BYTE>(state * 60), static_cast<BYTE>(row * 25), 0x80, 0xFF); }

class ScrollBarTest : public ControlTest {
protected:
    // A list of 200 rows of 20 pixels in a 150 x 200 box.
    SListBox* MakeList(const char* extra = "") {
        CreateHost((std::string("<listbox name=\"list\" pos=\"0,0,@150,@200\" itemHeight=\"20\" ") + extra + "/>").c_str());
        auto* list = Find<SListBox>(u"list");
        for (int i = 0; i < 200; ++i) list->AddString(SStringW::Format(u"row %d", i));
        m_host->UpdateWindow();
        return list;
    }
};

TEST_F(ScrollBarTest, ALongListScrollsByTheWheelAndByDraggingTheThumbToBothEnds) {
    SListBox* list = MakeList();
    ASSERT_TRUE(list->HasScrollBar(true));
    EXPECT_FALSE(list->HasScrollBar(false));
    EXPECT_EQ(list->GetScrollBarRect(true), CRect(140, 0, 150, 200));
    EXPECT_EQ(list->GetClientRect(), CRect(0, 0, 140, 200));
    EXPECT_EQ(list->GetScrollMax(true), 200 * 20 - 200);

    Wheel(-120, {50, 50});  // three rows per notch
    EXPECT_EQ(list->GetScrollTop(), 60);
    Wheel(-240, {50, 50});
    EXPECT_EQ(list->GetScrollTop(), 180);
    Wheel(120, {50, 50});
    EXPECT_EQ(list->GetScrollTop(), 120);

    // The thumb dragged past the bottom: the last row shows at the bottom.
    CRect thumbRect = list->GetScrollPartRect(true, SBP_THUMB);
    CPoint thumb = thumbRect.CenterPoint();
    EXPECT_EQ(thumbRect.Height(), 12);  // the shortest thumb
    qv::test::Drag(*m_host, thumb, CPoint(thumb.x, 400), 6);
    EXPECT_EQ(list->GetScrollTop(), list->GetScrollMax(true));
    EXPECT_EQ(list->HitTest(CPoint(50, 195)), 199);
    EXPECT_EQ(list->GetScrollPartRect(true, SBP_THUMB).bottom, 200);
    // Dragged up past the top: the first row.
    thumb = list->GetScrollPartRect(true, SBP_THUMB).CenterPoint();
    qv::test::Drag(*m_host, thumb, CPoint(thumb.x - 30, -100), 6);
    EXPECT_EQ(list->GetScrollTop(), 0);
    EXPECT_EQ(list->HitTest(CPoint(50, 5)), 0);
    // Part way: the position follows the thumb in proportion.
    thumb = list->GetScrollPartRect(true, SBP_THUMB).CenterPoint();
    qv::test::Drag(*m_host, thumb, CPoint(thumb.x, thumb.y + 94), 2);
    EXPECT_EQ(list->GetScrollTop(), 1900);
    // Clicks on the bar do not select rows.
    EXPECT_EQ(list->GetCurSel(), -1);
}

TEST_F(ScrollBarTest, TheRailPagesAndTheArrowsStep) {
    SListBox* list = MakeList("sbArrowSize=\"15\"");
    CRect up = list->GetScrollPartRect(true, SBP_LINEUP);
    CRect down = list->GetScrollPartRect(true, SBP_LINEDOWN);
    EXPECT_EQ(up, CRect(140, 0, 150, 15));
    EXPECT_EQ(down, CRect(140, 185, 150, 200));
    Click(down.CenterPoint());
    EXPECT_EQ(list->GetScrollTop(), 20);
    Click(up.CenterPoint());
    Click(up.CenterPoint());  // already at the top
    EXPECT_EQ(list->GetScrollTop(), 0);
    Click(CPoint(145, 150));  // the rail below the thumb: a page
    EXPECT_EQ(list->GetScrollTop(), 200);
    CRect thumb = list->GetScrollPartRect(true, SBP_THUMB);
    Click(CPoint(145, thumb.top - 1));  // above it: a page back
    EXPECT_EQ(list->GetScrollTop(), 0);
}

TEST_F(ScrollBarTest, TheSkinDrawsEachPartInItsState) {
    auto skin = MakeSkin();
    // Parts and states in the image: one column per state, rows per part.
    EXPECT_EQ(skin->ScrollIdealWidth(), 10);
    EXPECT_TRUE(skin->ScrollHasArrows());
    EXPECT_EQ(skin->ScrollPartRect(SBP_THUMB, SBS_PUSHED, true), CRect(20, 30, 30, 40));
    EXPECT_EQ(skin->ScrollPartRect(SBP_PAGEDOWN, SBS_NORMAL, false), CRect(0, 70, 10, 80));
    EXPECT_EQ(skin->ScrollPartRect(SBP_LINEDOWN, SBS_INACTIVE, true), CRect(0, 10, 10, 20));  // no inactive column
    EXPECT_TRUE(skin->ScrollPartRect(SBP_CORNER, SBS_NORMAL, true).IsRectEmpty());
    m_app->GetSkinPool().AddSkin(u"sb", std::move(skin));

    SListBox* list = MakeList("sbSkin=\"sb\"");
    m_host->ShowWindow(SW_SHOWNORMAL);  // active: the parts are not drawn inactive
    m_host->UpdateWindow();
    SRenderTarget* rt = m_host->GetRenderTarget();
    EXPECT_EQ(list->GetScrollBarWidth(), 10);
    CRect thumb = list->GetScrollPartRect(true, SBP_THUMB);
    EXPECT_EQ(list->GetScrollPartRect(true, SBP_LINEUP), CRect(140, 0, 150, 10));  // arrows as long as the bar is wide
    EXPECT_EQ(rt->GetPixel(145, 5), Cell(SBS_NORMAL, 0));
    EXPECT_EQ(rt->GetPixel(145, 195), Cell(SBS_NORMAL, 1));
    EXPECT_EQ(rt->GetPixel(145, thumb.top), Cell(SBS_NORMAL, 3));
    EXPECT_EQ(rt->GetPixel(145, thumb.CenterPoint().y), Cell(SBS_NORMAL, 4));  // the grip in its middle
    EXPECT_EQ(rt->GetPixel(145, 150), Cell(SBS_NORMAL, 2));

    MouseMove(CPoint(145, 195));
    m_host->UpdateWindow();
    EXPECT_EQ(rt->GetPixel(145, 195), Cell(SBS_HOVER, 1));
    MouseDown(thumb.CenterPoint());
    m_host->UpdateWindow();
    EXPECT_EQ(rt->GetPixel(145, thumb.top), Cell(SBS_PUSHED, 3));
    MouseUp(thumb.CenterPoint());
    list->EnableWindow(false);
    m_host->UpdateWindow();
    EXPECT_EQ(rt->GetPixel(145, thumb.top), Cell(SBS_DISABLED, 3));
}

TEST_F(ScrollBarTest, AViewWiderAndTallerThanItsWindowGetsBothBarsAndACorner) {
    CreateHost(R"(<scrollview name="sv" pos="0,0,@200,@100" viewSize="400,300"><window name="w" pos="0,0,-0,-0"/></scrollview>)");
    auto* sv = Find<SScrollView>(u"sv");
    m_host->UpdateWindow();
    EXPECT_EQ(sv->GetScrollBarRect(true), CRect(190, 0, 200, 90));
    EXPECT_EQ(sv->GetScrollBarRect(false), CRect(0, 90, 190, 100));
    EXPECT_EQ(sv->GetScrollPartRect(true, SBP_CORNER), CRect(190, 90, 200, 100));
    Wheel(-120, {50, 50});  // over the child: the view scrolls
    EXPECT_EQ(sv->GetViewOrigin(), CPoint(0, 60));
    // A drag on the horizontal thumb moves the view sideways.
    CPoint thumb = sv->GetScrollPartRect(false, SBP_THUMB).CenterPoint();
    qv::test::Drag(*m_host, thumb, CPoint(thumb.x + 500, thumb.y), 3);
    EXPECT_EQ(sv->GetViewOrigin(), CPoint(400 - 190, 60));
    // Clicks on the bars do not reach the window under them.
    EXPECT_EQ(m_host->SwndFromPoint(CPoint(195, 50)), sv);
    EXPECT_EQ(m_host->SwndFromPoint(CPoint(50, 50))->GetName(), u"w");
}

}  // namespace
}  // namespace qv::ui
