// Snapping of real windows under a private Xvfb with the SDL2 backend: a
// caption drag made of pointer input ends 9 px from the other window and
// the window lands against it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "XScreen.h"
#include "XvfbServer.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/controls/StandardControls.h"
#include "platform/ui/sdl/SdlDisplay.h"
#include "plugin/windows/WndSnapper.h"
#include "tests/support/GeometryPrinters.h"

// libdbus (SDL's link to the session bus) keeps a buffer for the process's
// life on purpose.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace qv::plugin {
namespace {

using namespace qv::ui;
using qv::test::RunFor;

// A borderless window with a caption, the whole width, to drag it by.
SStringW WindowXml(const char* panel, const char* title) {
    return SStringW::FromUtf8(std::string("<SOUI size=\"200,200\"><root colorBkgnd=\"") + panel +
                              "\"><caption pos=\"0,0,-0,@30\" colorBkgnd=\"#3DA9FC\"/>"
                              "<text pos=\"10,40\" colorText=\"#E6E8EE\" text=\"" + title + "\"/></root></SOUI>");
}

class SnapDragTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_xvfb.Start()) GTEST_SKIP() << "Xvfb is not available";
        setenv("DISPLAY", m_xvfb.Display().c_str(), 1);
        m_app = std::make_unique<SApplication>(nullptr);
        RegisterStandardControls(m_app->GetWindowFactory());
        SetDisplayBackend(&m_display);
    }
    void TearDown() override {
        m_snapper.reset();
        for (auto& w : m_windows) w->DestroyWindow();
        m_windows.clear();
        SetDisplayBackend(nullptr);
        RunFor(0);
        m_app.reset();
        qv::os::DestroyThreadQueue();
        SRenderTarget::ReleaseThreadFontCache();
    }
    SHostWnd* Window(const CRect& rc, const char* panel, const char* title) {
        m_windows.push_back(std::make_unique<SHostWnd>());
        SHostWnd* w = m_windows.back().get();
        EXPECT_NE(w->CreateFromXml(WindowXml(panel, title)), nullptr);
        w->SetWindowPos(rc);
        w->ShowWindow(SW_SHOWNOACTIVATE);
        return w;
    }

    qv::test::XvfbServer m_xvfb;
    std::unique_ptr<SApplication> m_app;
    sdl::SdlDisplay m_display;
    std::vector<std::unique_ptr<SHostWnd>> m_windows;
    std::unique_ptr<CWndSnapper> m_snapper = std::make_unique<CWndSnapper>();
};

TEST_F(SnapDragTest, CaptionDragEndingNinePixelsAwayLandsTouching) {
    SHostWnd* anchor = Window({400, 100, 600, 300}, "#2A2C33", "anchor");
    SHostWnd* dragged = Window({50, 150, 250, 350}, "#3A3D46", "dragged by its caption");
    m_snapper->SetAnchor(anchor->GetHwnd());
    ASSERT_TRUE(m_snapper->AddWindow(dragged->GetHwnd()));
    qv::test::XScreen screen(m_xvfb.Display());
    // Both captions on the screen before the pointer comes.
    ASSERT_TRUE(qv::test::RunUntil([&] {
        const auto left = screen.Grab(CRect(60, 160, 61, 161));
        const auto right = screen.Grab(CRect(410, 110, 411, 111));
        return left.size() == 1 && left[0] == 0x3DA9FCu && right.size() == 1 && right[0] == 0x3DA9FCu;
    }));
    // Grab the caption and drag so that the right edge ends at 391, 9 px
    // left of the anchor, with the tops 4 px apart. Each step waits until the
    // window has followed the pointer.
    CPoint pointer(150, 165);
    screen.MoveTo(pointer);
    RunFor(50);
    screen.Button(true);
    RunFor(50);
    const CPoint end(150 + 141, 165 - 46);
    for (int i = 1; i <= 10; ++i) {
        const CPoint delta((end.x - pointer.x) * i / 10, (end.y - pointer.y) * i / 10);
        screen.MoveTo(CPoint(pointer.x + delta.x, pointer.y + delta.y));
        // The last step comes within reach of the anchor and snaps to it.
        const CPoint at = i < 10 ? CPoint(50 + delta.x, 150 + delta.y) : CPoint(200, 100);
        EXPECT_TRUE(qv::test::RunUntil([&] { return dragged->GetScreenRect().TopLeft() == at; }))
            << "step " << i << " at " << ::testing::PrintToString(dragged->GetScreenRect().TopLeft());
    }
    screen.Button(false);
    // The snap is taken when the release comes through.
    EXPECT_TRUE(qv::test::RunUntil([&] {
        const auto taken = m_snapper->GetSnap(dragged->GetHwnd());
        return taken && taken->side != CWndSnapper::kNone;
    }));

    EXPECT_EQ(dragged->GetScreenRect(), CRect(200, 100, 400, 300));
    const auto snap = m_snapper->GetSnap(dragged->GetHwnd());
    ASSERT_TRUE(snap);
    EXPECT_EQ(snap->side, CWndSnapper::kLeft);
    EXPECT_EQ(snap->neighbour, anchor->GetHwnd());
    // And on the screen: the caption's blue runs on into the anchor's.
    EXPECT_TRUE(qv::test::RunUntil([&] {
        const auto row = screen.Grab(CRect(380, 110, 420, 111));
        return row.size() == 40u && row[19] == 0x3DA9FCu && row[20] == 0x3DA9FCu;
    }));
    EXPECT_TRUE(screen.SaveShot(CRect(150, 50, 630, 350), "plugin/snapped_windows.png"));
}

}  // namespace
}  // namespace qv::plugin
