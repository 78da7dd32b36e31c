#include <gtest/gtest.h>

#include "platform/ui/SRenderTarget.h"
#include "platform/ui/controls/SButton.h"
#include "platform/ui/controls/SImageButton.h"
#include "platform/ui/controls/SLink.h"
#include "platform/ui/controls/SStatic.h"
#include "tests/uictl/CtlTestEnv.h"

namespace qv::ui {
namespace {

using test::ControlTest;
using test::EventLog;

TEST_F(ControlTest, EveryTagCreatesItsControlAndAnswersForItsBases) {
    struct Case {
        const char16_t* tag;
        const char16_t* base;
    };
    const Case cases[] = {{u"text", u"window"},   {u"button", u"window"},  {u"imgbtn", u"button"},
                          {u"link", u"window"},   {u"check", u"window"},   {u"radio", u"check"},
                          {u"progress", u"window"}, {u"sliderbar", u"progress"}, {u"img", u"window"},
                          {u"caption", u"window"}, {u"richedit", u"window"}, {u"edit", u"richedit"}};
    for (const Case& c : cases) {
        SWindow* wnd = CreateWindowByName(c.tag);
        ASSERT_NE(wnd, nullptr) << SStringW(c.tag).ToUtf8();
        EXPECT_TRUE(wnd->IsClass(c.tag));
        EXPECT_TRUE(wnd->IsClass(c.base)) << SStringW(c.tag).ToUtf8();
        EXPECT_EQ(SStringW(wnd->GetObjectClass()), SStringW(c.tag));
        delete wnd;
    }
    std::unique_ptr<SWindow> upper(CreateWindowByName(u"TEXT"));  // tags ignore case
    EXPECT_NE(dynamic_cast<SStatic*>(upper.get()), nullptr);
}

TEST_F(ControlTest, ButtonFiresOnceWhenReleasedInsideAndOnSpaceOrEnter) {
    CreateHost(R"(<button name="b" pos="10,10,@80,@30" text="Go"/>)");
    auto* b = Find<SButton>(u"b");
    EventLog log;
    log.Attach(b, EVT_CMD);
    Click({20, 20});
    EXPECT_EQ(log.count, 1);
    EXPECT_TRUE(b->IsFocused());
    EXPECT_EQ(b->GetState() & WndState_PushDown, 0u);
    MouseDown({20, 20});
    MouseMove({200, 150});
    MouseUp({200, 150});  // released elsewhere: no click
    EXPECT_EQ(log.count, 1);
    Key(VK_SPACE);
    Key(VK_RETURN);
    Key(VK_F1);
    EXPECT_EQ(log.count, 3);
    b->EnableWindow(false);
    Click({20, 20});
    EXPECT_EQ(log.count, 3);
}

TEST_F(ControlTest, LinkAndImageButtonClick) {
    AddSkin(u"skin_btn", 24, 18, 4);
    CreateHost(R"(<link name="l" pos="10,10,@80,@20" text="more"/><imgbtn name="i" pos="10,40" skin="skin_btn"/>)");
    auto* link = Find<SLink>(u"l");
    auto* img = Find<SImageButton>(u"i");
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->GetWindowRect(), CRect(10, 40, 34, 58));  // sized by the skin's frame
    EventLog linkLog, imgLog;
    linkLog.Attach(link, EVT_CMD);
    imgLog.Attach(img, EVT_CMD);
    Click({15, 15});
    Key(VK_RETURN);
    Click({15, 45});
    EXPECT_EQ(linkLog.count, 2);
    EXPECT_EQ(imgLog.count, 1);
}

TEST_F(ControlTest, StaticLinesTakeTheirSpacingAndAlignment) {
    CreateHost(R"(<text name="one" pos="0,0" text="Line"/>
                  <text name="two" pos="0,40" lineSpacing="6">Line&#10;Line</text>
                  <text name="right" pos="0,100,-0,@40" align="right" colorText="#FFFFFF">A&#10;B</text>)");
    CSize one = Find<SStatic>(u"one")->GetDesiredSize();
    CSize two = Find<SStatic>(u"two")->GetDesiredSize();
    EXPECT_EQ(two.cy, 2 * one.cy + 6);
    EXPECT_EQ(two.cx, one.cx);
    m_host->UpdateWindow();
    // Right-aligned lines leave the left half empty.
    SRenderTarget* rt = m_host->GetRenderTarget();
    int left = 0, right = 0;
    for (int y = 100; y < 140; ++y) {
        for (int x = 0; x < 300; ++x) {
            if (GetAValue(rt->GetPixel(x, y)) == 0) continue;
            (x < 150 ? left : right)++;
        }
    }
    EXPECT_EQ(left, 0);
    EXPECT_GT(right, 0);
}

// A text ending in a line break has no empty line after it; a text taller
// than its box starts at the box's top, so its first line shows whole.
TEST_F(ControlTest, MultiLineTextShowsItsFirstLineWholeInAShortBox) {
    CreateHost(R"(<text name="ended" pos="0,0">A&#10;B&#10;</text>
                  <text name="two" pos="0,0">A&#10;B</text>
                  <text name="tall" pos="0,60,-0,@20" lineSpacing="10" valign="middle" colorText="#FFFFFF">A&#10;B&#10;C&#10;</text>
                  <text name="first" pos="0,120,-0,@20" valign="top" colorText="#FFFFFF">A</text>)");
    EXPECT_EQ(Find<SStatic>(u"ended")->GetDesiredSize(), Find<SStatic>(u"two")->GetDesiredSize());
    Find<SStatic>(u"ended")->SetVisible(false);
    Find<SStatic>(u"two")->SetVisible(false);
    m_host->UpdateWindow();
    // The short box shows the first line exactly as "A" alone at the top.
    SRenderTarget* rt = m_host->GetRenderTarget();
    int ink = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            EXPECT_EQ(rt->GetPixel(x, 60 + y), rt->GetPixel(x, 120 + y)) << x << "," << y;
            ink += GetAValue(rt->GetPixel(x, 120 + y)) != 0;
        }
    }
    EXPECT_GT(ink, 10);
}

}  // namespace
}  // namespace qv::ui
