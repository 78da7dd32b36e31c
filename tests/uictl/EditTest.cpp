#include <gtest/gtest.h>

#include <utility>

#include "platform/ui/SRenderTarget.h"
#include "platform/ui/controls/SEdit.h"
#include "tests/uictl/CtlTestEnv.h"

namespace qv::ui {
namespace {

using test::ControlTest;
using test::EventLog;

class EditTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        CreateHost(R"(<edit name="e" pos="10,10,@200,@24" maxBuf="5" notifyChange="1"/>
                      <edit name="quiet" pos="10,50,@200,@24">start</edit>)");
        e = Find<SEdit>(u"e");
        log.Attach(e, EVT_RE_NOTIFY);
        e->SetFocus();
    }
    void Type(const char16_t* text) {
        for (; *text; ++text) Char(*text);
    }
    SEdit* e = nullptr;
    EventLog log;
};

TEST_F(EditTest, TypingStopsAtTheMaximumLengthAndEachChangeIsNotified) {
    Type(u"abcdefg");
    EXPECT_EQ(e->GetWindowText(), SStringW(u"abcde"));
    EXPECT_EQ(log.count, 5);
    EXPECT_EQ(log.lastNotify, EN_CHANGE);
    e->SetSel(1, 3);
    Type(u"X");  // replacing a selection fits again
    EXPECT_EQ(e->GetWindowText(), SStringW(u"aXde"));
    Key(VK_BACK);
    Key(VK_HOME);
    Key(VK_DELETE);
    EXPECT_EQ(e->GetWindowText(), SStringW(u"de"));
    EXPECT_EQ(log.count, 8);
    e->SetWindowText(u"12");  // set by code: not notified
    EXPECT_EQ(log.count, 8);
    Key(VK_RETURN);
    Char(u'\r');
    Char(u'\b');
    EXPECT_EQ(e->GetWindowText(), SStringW(u"12"));
    // Without notifyChange the edit stays silent; text inside the element is the text.
    auto* quiet = Find<SEdit>(u"quiet");
    EventLog quietLog;
    quietLog.Attach(quiet, EVT_RE_NOTIFY);
    EXPECT_EQ(quiet->GetWindowText(), SStringW(u"start"));
    quiet->SetFocus();
    Type(u"!");
    EXPECT_EQ(quiet->GetWindowText(), SStringW(u"start!"));
    EXPECT_EQ(quietLog.count, 0);
}

TEST_F(EditTest, SelectionByCodeKeysAndMouse) {
    e->SetMaxLength(0);
    Type(u"hello world");
    e->SetSel(0, -1);
    EXPECT_EQ(e->GetSelText(), SStringW(u"hello world"));
    Key(VK_LEFT);  // collapses to the start
    int s = -1, end = -1;
    e->GetSel(s, end);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(end, 0);
    e->SetSel(6, 99);
    EXPECT_EQ(e->GetSelText(), SStringW(u"world"));
    e->SetSel(-1, 0);
    EXPECT_EQ(e->GetCaretPos(), 11);
    EXPECT_TRUE(e->GetSelText().IsEmpty());

    CRect rc = e->GetClientRect();
    int y = rc.top + rc.Height() / 2;
    MouseDown({rc.left, y});
    EXPECT_EQ(e->GetCaretPos(), 0);
    MouseMove({rc.right - 1, y});
    MouseUp({rc.right - 1, y});
    EXPECT_EQ(e->GetSelText(), SStringW(u"hello world"));
    Click({rc.left + 1, y});
    EXPECT_TRUE(e->GetSelText().IsEmpty());
    m_host->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.left + 5, y));
    EXPECT_EQ(e->GetSelText(), SStringW(u"hello world"));
    Key(VK_BACK);
    EXPECT_TRUE(e->GetWindowText().IsEmpty());
}

TEST_F(EditTest, SurrogatePairsAreOneCharacterThatCountsTwice) {
    Type(u"ab");
    Char(0xD83D);
    Char(0xDE00);  // one emoji typed as two units
    EXPECT_EQ(e->GetWindowText().GetLength(), 4);
    EXPECT_EQ(log.count, 3);
    Char(0xD83D);
    Char(0xDE00);  // would need 6 of 5
    EXPECT_EQ(e->GetWindowText().GetLength(), 4);
    Key(VK_LEFT);
    EXPECT_EQ(e->GetCaretPos(), 2);
    Key(VK_RIGHT);
    Key(VK_BACK);  // the whole pair goes
    EXPECT_EQ(e->GetWindowText(), SStringW(u"ab"));
    Char(0xDE00);  // a stray low half is dropped
    EXPECT_EQ(e->GetWindowText(), SStringW(u"ab"));
    e->SetWindowText(SStringW(u"a\xD83D\xDE00"));
    e->SetSel(2, 3);  // inside the pair: moved to its start
    int s = 0, end = 0;
    e->GetSel(s, end);
    EXPECT_EQ(s, 1);
}

TEST_F(EditTest, CompositionShowsAtTheCaretButIsNotText) {
    e->SetAttribute(u"colorText", u"#FFFFFF", false);
    Type(u"ab");
    auto litPixels = [this] {
        m_host->UpdateWindow();
        CRect rc = e->GetClientRect();
        int lit = 0;
        for (int y = rc.top; y < rc.bottom; ++y) {
            for (int x = rc.left; x < rc.right; ++x) lit += GetRValue(m_host->GetRenderTarget()->GetPixel(x, y)) > 0x80;
        }
        return lit;
    };
    int plain = litPixels();
    e->SetCompositionText(u"\u4E2D\u6587");
    EXPECT_GT(litPixels(), plain);
    EXPECT_EQ(e->GetWindowText(), SStringW(u"ab"));
    EXPECT_EQ(log.count, 2);
    e->SetCompositionText(u"");  // committed: the text arrives typed
    Char(u'\u4E2D');
    EXPECT_EQ(e->GetWindowText(), SStringW(u"ab\u4E2D"));
    e->SetCompositionText(u"x");
    e->KillFocus();  // leaving ends the composition
    EXPECT_TRUE(e->GetCompositionText().IsEmpty());
}

// Text narrower than the edit sits by its alignment; clicks still land
// between the characters shown.
TEST_F(ControlTest, EditTextNarrowerThanTheEditSitsByItsAlignment) {
    CreateHost(R"(<edit name="left" pos="0,0,@100,@24">88</edit>
                  <edit name="centre" pos="0,30,@100,@24" align="center">88</edit>
                  <edit name="right" pos="0,60,@100,@24" align="right">88</edit>)");
    m_host->UpdateWindow();
    SRenderTarget* rt = m_host->GetRenderTarget();
    const COLORREF background = rt->GetPixel(1, 1);
    // The first and last columns with ink in the edit at top.
    auto inkColumns = [&](int top) {
        int first = -1, last = -1;
        for (int x = 0; x < 100; ++x)
            for (int y = top; y < top + 24; ++y)
                if (rt->GetPixel(x, y) != background) {
                    if (first < 0) first = x;
                    last = x;
                }
        return std::make_pair(first, last);
    };
    const auto [leftFirst, leftLast] = inkColumns(0);
    const auto [centreFirst, centreLast] = inkColumns(30);
    const auto [rightFirst, rightLast] = inkColumns(60);
    ASSERT_GE(leftFirst, 0);
    EXPECT_LT(leftFirst, 8);
    EXPECT_NEAR((centreFirst + centreLast) / 2, 50, 2);
    EXPECT_GT(rightLast, 92);
    EXPECT_EQ(centreLast - centreFirst, leftLast - leftFirst);
    auto* centre = Find<SEdit>(u"centre");
    EXPECT_EQ(centre->HitTest({centreFirst - 10, 42}), 0);
    EXPECT_EQ(centre->HitTest({50, 42}), 1);
    EXPECT_EQ(centre->HitTest({centreLast + 10, 42}), 2);
}

}  // namespace
}  // namespace qv::ui
