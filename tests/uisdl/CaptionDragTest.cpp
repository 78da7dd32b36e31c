// Caption drags of a real window under a private Xvfb with the SDL2 backend:
// the window ends where the pointer left it, with no window manager and
// under one that carries out moves late.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "SlowWindowManager.h"
#include "XScreen.h"
#include "XvfbServer.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/controls/SCaption.h"
#include "platform/ui/controls/StandardControls.h"
#include "platform/ui/sdl/SdlDisplay.h"
#include "platform/ui/sdl/SdlWindow.h"

namespace qv::ui {
namespace {

using qv::test::RunFor;
using qv::test::RunUntil;
using Policy = qv::test::SlowWindowManager::Policy;

// The pointer takes the caption 50,15 inside the window, which starts at
// 100,100; each step moves it by 6,4.
const CPoint kGrip(150, 115);
CPoint Step(int i) { return CPoint(kGrip.x + 6 * i, kGrip.y + 4 * i); }
CPoint WindowAt(int i) { return CPoint(100 + 6 * i, 100 + 4 * i); }

class CaptionDragTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The tests play the window manager themselves when they need one.
        const std::string wm = qv::test::RequestedWindowManager();
        unsetenv("QV_TEST_WM");
        const bool started = m_xvfb.Start();
        if (!wm.empty()) setenv("QV_TEST_WM", wm.c_str(), 1);
        if (!started) GTEST_SKIP() << "Xvfb is not available";
        setenv("DISPLAY", m_xvfb.Display().c_str(), 1);
        m_screen = std::make_unique<qv::test::XScreen>(m_xvfb.Display());
        m_app = std::make_unique<SApplication>(nullptr);
        RegisterStandardControls(m_app->GetWindowFactory());
        SetDisplayBackend(&m_display);
        m_host = std::make_unique<SHostWnd>();
        ASSERT_NE(m_host->CreateFromXml(u"<SOUI size=\"160,120\"><root colorBkgnd=\"#2A2C33\">"
                                       u"<caption name=\"caption\" pos=\"0,0,-0,@30\" colorBkgnd=\"#3DA9FC\"/>"
                                       u"</root></SOUI>"),
                  nullptr);
        m_caption = m_host->FindChildByName2<SCaption>(u"caption");
        ASSERT_NE(m_caption, nullptr);
        m_host->SetWindowPos(CRect(WindowAt(0), CSize(160, 120)));
        m_host->ShowWindow(SW_SHOW);
        ASSERT_TRUE(RunUntil([&] {
            const auto pixel = m_screen->Grab(CRect(kGrip, CSize(1, 1)));
            return pixel.size() == 1 && pixel[0] == 0x3DA9FCu;
        })) << "the window did not show";
    }
    void TearDown() override {
        if (m_host) m_host->DestroyWindow();
        m_host.reset();
        SetDisplayBackend(nullptr);
        RunFor(0);
        m_app.reset();
        qv::os::DestroyThreadQueue();
        SRenderTarget::ReleaseThreadFontCache();
    }

    void Press() {
        m_screen->MoveTo(kGrip);
        RunFor(50);
        m_screen->Button(true);
        ASSERT_TRUE(RunUntil([&] { return m_caption->IsDragging(); })) << "the press did not reach the caption";
    }
    // The pointer goes to step i and the program asks for the window there.
    void MoveTo(int i) {
        m_screen->MoveTo(Step(i));
        EXPECT_TRUE(RunUntil([&] { return m_host->GetScreenRect().TopLeft() == WindowAt(i); })) << "step " << i;
    }
    void Release() {
        m_screen->Button(false);
        m_screen->Sync();
        EXPECT_TRUE(RunUntil([&] { return !m_caption->IsDragging(); })) << "the release did not reach the caption";
    }
    xcb_window_t XWindow() {
        auto* native = dynamic_cast<sdl::SdlWindow*>(m_host->GetNativeWindow());
        return native ? static_cast<xcb_window_t>(native->GetX11Window()) : XCB_NONE;
    }
    // Whether the window comes to rest at step i, on the server and for the
    // program alike; where it is otherwise.
    ::testing::AssertionResult EndsAt(int i) {
        const bool there = RunUntil([&] {
            return m_screen->Origin(XWindow()) == WindowAt(i) && m_host->GetScreenRect().TopLeft() == WindowAt(i);
        });
        if (there) RunFor(200);
        const CPoint server = m_screen->Origin(XWindow());
        const CPoint program = m_host->GetScreenRect().TopLeft();
        if (server == WindowAt(i) && program == WindowAt(i)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the server has it at " << server.x << "," << server.y
                                             << ", the program at " << program.x << "," << program.y;
    }

    qv::test::XvfbServer m_xvfb;
    std::unique_ptr<qv::test::XScreen> m_screen;
    std::unique_ptr<SApplication> m_app;
    sdl::SdlDisplay m_display;
    std::unique_ptr<SHostWnd> m_host;
    SCaption* m_caption = nullptr;
};

// SDL reports no motion that keeps the pointer's place in the window (the
// window followed it), so the step that comes with the release is only known
// from the release; the pointer going on after the release is not followed.
TEST_F(CaptionDragTest, ALastStepReadWithTheReleaseIsTaken) {
    Press();
    MoveTo(1);
    ASSERT_TRUE(RunUntil([&] { return m_screen->Origin(XWindow()) == WindowAt(1); }));
    RunFor(100);
    m_screen->MoveTo(Step(2));
    m_screen->Button(false);
    m_screen->MoveTo(Step(6));
    m_screen->Sync();
    ASSERT_TRUE(RunUntil([&] { return !m_caption->IsDragging(); }));
    EXPECT_TRUE(EndsAt(2));
}

// The manager carries out the first step only once the program has asked
// for the second; the pointer then goes back to the first.
TEST_F(CaptionDragTest, AStepCarriedOutLateIsNotTakenForTheWindowsPlace) {
    qv::test::SlowWindowManager wm(m_xvfb.Display(), Policy::Hold);
    ASSERT_TRUE(wm.Managing());
    Press();
    MoveTo(1);
    MoveTo(2);
    wm.Apply(1);
    m_screen->MoveTo(Step(1));
    Release();
    wm.Apply();
    EXPECT_TRUE(EndsAt(1));
}

// The manager carries out each step while the program waits on the next.
TEST_F(CaptionDragTest, AManagerOneStepBehindEndsTheDragAtTheLastStep) {
    qv::test::SlowWindowManager wm(m_xvfb.Display(), Policy::LagOneMove);
    ASSERT_TRUE(wm.Managing());
    Press();
    for (int i = 1; i <= 5; ++i) MoveTo(i);
    Release();
    wm.Apply();
    EXPECT_TRUE(EndsAt(5));
}

}  // namespace
}  // namespace qv::ui
