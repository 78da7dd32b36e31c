// The gallery of standard controls in the skin's colours, shown in a real
// window on a private X screen; its screenshot is kept as an artifact.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "XScreen.h"
#include "XvfbServer.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkinScrollbar.h"
#include "platform/ui/controls/SListBox.h"
#include "platform/ui/controls/SScrollView.h"
#include "platform/ui/controls/StandardControls.h"
#include "platform/ui/sdl/SdlDisplay.h"

extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace qv::ui {
namespace {

using qv::test::RunFor;

std::uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

TEST(GalleryTest, TheStandardControlsShowInTheSkinsColoursWithScrollBars) {
    qv::test::XvfbServer xvfb;
    if (!xvfb.Start()) GTEST_SKIP() << "Xvfb is not available";
    setenv("DISPLAY", xvfb.Display().c_str(), 1);
    sdl::SdlDisplay display;
    SetDisplayBackend(&display);
    {
        SApplication app(nullptr);
        RegisterStandardControls(app.GetWindowFactory());
        ASSERT_TRUE(app.AddResProvider(nullptr, u"uidef:xml_init"));
        SHostWnd host(u"LAYOUT:XML_GALLERY");
        ASSERT_NE(host.Create(), nullptr);
        auto* list = host.FindChildByName2<SListBox>(u"list");
        ASSERT_NE(list, nullptr);
        for (int i = 1; i <= 40; ++i) list->AddString(SStringW::Format(u"第 %d 个音效 Sound %d", i, i));
        list->SetCurSel(2);
        auto* view = host.FindChildByName2<SScrollView>(u"view");
        ASSERT_NE(view, nullptr);
        host.SetWindowPos(CRect(0, 0, 640, 480));
        host.ShowWindow(SW_SHOW);
        RunFor(300);
        view->SetViewOrigin(CPoint(40, 30));
        RunFor(300);
        EXPECT_TRUE(list->HasScrollBar(true));
        EXPECT_TRUE(view->HasScrollBar(true) && view->HasScrollBar(false));

        qv::test::XScreen screen(xvfb.Display());
        const std::vector<std::uint32_t> shot = screen.Grab(CRect(0, 0, 640, 480));
        ASSERT_EQ(shot.size(), 640u * 480u);
        EXPECT_TRUE(screen.SaveShot(CRect(0, 0, 640, 480), "ui/gallery.png"));
        // The screen shows the frame: the window's colour, a panel, the bars.
        SRenderTarget* rt = host.GetRenderTarget();
        for (CPoint pt : {CPoint(3, 40), CPoint(15, 60), list->GetScrollPartRect(true, SBP_THUMB).CenterPoint(),
                          view->GetScrollPartRect(false, SBP_THUMB).CenterPoint()}) {
            EXPECT_EQ(shot[static_cast<size_t>(pt.y) * 640 + static_cast<size_t>(pt.x)], Rgb(rt->GetPixel(pt.x, pt.y)))
                << pt.x << "," << pt.y;
        }
        EXPECT_EQ(Rgb(rt->GetPixel(3, 40)), 0x1E1F24u);
        host.DestroyWindow();
        RunFor(0);
    }
    SetDisplayBackend(nullptr);
    qv::os::DestroyThreadQueue();
    SRenderTarget::ReleaseThreadFontCache();
}

}  // namespace
}  // namespace qv::ui
