#include <gtest/gtest.h>

#include "platform/ui/controls/SCaption.h"
#include "platform/ui/controls/SImageWnd.h"
#include "tests/uictl/CtlTestEnv.h"

namespace qv::ui {
namespace {

using test::ControlTest;
using test::EventLog;

// The caption as the skin's windows have it: a logo, a title and a button.
// A press anywhere but on the button drags; the button keeps its clicks.
TEST_F(ControlTest, CaptionDragsFromAnyPartButItsButtonsWithoutAClick) {
    AddSkin(u"logo", 16, 16);
    CreateHost(R"(<caption name="cap" pos="0,0,-0,@30">
                    <img name="logo" pos="4,7,@16,@16" skin="logo"/>
                    <text name="title" pos="24,0,-40,-0">Title</text>
                    <button name="btn" pos="-34,3,@24,@24"/>
                  </caption>)");
    auto* cap = Find<SCaption>(u"cap");
    EventLog captionCommands;
    captionCommands.Attach(cap, EVT_CMD);
    EventLog buttonCommands;
    buttonCommands.Attach(Find<SWindow>(u"btn"), EVT_CMD);
    struct Press {
        const char* part;
        CPoint at;
    };
    for (const Press& press : {Press{"title", {50, 10}}, Press{"logo", {12, 15}}, Press{"empty strip", {264, 15}}}) {
        SCOPED_TRACE(press.part);
        m_host->SetWindowPos(CRect(100, 100, 400, 300));
        MouseDown(press.at);
        EXPECT_TRUE(cap->IsDragging());
        MouseMove({press.at.x + 20, press.at.y + 5});  // the window follows: the pointer stays put in it
        EXPECT_EQ(m_host->GetScreenRect(), CRect(120, 105, 420, 305));
        MouseMove({press.at.x - 10, press.at.y + 10});
        EXPECT_EQ(m_host->GetScreenRect(), CRect(110, 115, 410, 315));
        MouseUp(press.at);
        EXPECT_FALSE(cap->IsDragging());
        MouseMove({press.at.x + 40, press.at.y});
        EXPECT_EQ(m_host->GetScreenRect(), CRect(110, 115, 410, 315));
    }
    m_host->SetWindowPos(CRect(100, 100, 400, 300));
    Click({278, 15});
    EXPECT_FALSE(cap->IsDragging());
    EXPECT_EQ(m_host->GetScreenRect(), CRect(100, 100, 400, 300));
    EXPECT_EQ(buttonCommands.count, 1);
    EXPECT_EQ(captionCommands.count, 0);
}

TEST_F(ControlTest, ImageTakesItsSizeFromTheSkinAndKeepsItsFrameInRange) {
    AddSkin(u"icons", 16, 12, 3);
    CreateHost(R"(<img name="i" pos="5,5" skin="icons" iconIndex="2"/>)");
    auto* img = Find<SImageWnd>(u"i");
    EXPECT_EQ(img->GetWindowRect(), CRect(5, 5, 21, 17));
    EXPECT_EQ(img->GetIcon(), 2);
    EXPECT_FALSE(img->SetIcon(3));
    EXPECT_TRUE(img->SetIcon(0));
    img->SetImage(SBitmap::Create(40, 30));
    m_host->UpdateWindow();
    EXPECT_EQ(img->GetWindowRect(), CRect(5, 5, 45, 35));
}

}  // namespace
}  // namespace qv::ui
