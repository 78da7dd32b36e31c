#include <gtest/gtest.h>

#include "platform/ui/controls/SCaption.h"
#include "platform/ui/controls/SImageWnd.h"
#include "tests/uictl/CtlTestEnv.h"

namespace qv::ui {
namespace {

using test::ControlTest;
using test::EventLog;

TEST_F(ControlTest, CaptionDragMovesTheHostWindowWithoutAClick) {
    CreateHost(R"(<caption name="cap" pos="0,0,-0,@30"/>)");
    m_host->SetWindowPos(CRect(100, 100, 400, 300));
    auto* cap = Find<SCaption>(u"cap");
    EventLog log;
    log.Attach(cap, EVT_CMD);
    MouseDown({50, 10});
    MouseMove({70, 15});  // the window follows: the pointer stays at 50,10 in it
    EXPECT_EQ(m_host->GetScreenRect(), CRect(120, 105, 420, 305));
    MouseMove({40, 20});
    EXPECT_EQ(m_host->GetScreenRect(), CRect(110, 115, 410, 315));
    MouseUp({50, 10});
    EXPECT_FALSE(cap->IsDragging());
    EXPECT_EQ(m_host->GetScreenRect(), CRect(110, 115, 410, 315));
    EXPECT_EQ(log.count, 0);
    MouseMove({90, 10});
    EXPECT_EQ(m_host->GetScreenRect(), CRect(110, 115, 410, 315));
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
