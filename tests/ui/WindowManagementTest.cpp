// Host windows on the screen: centring over an owner across displays, moves
// watched and corrected before they happen, message hooks, activation.
#include <gtest/gtest.h>

#include "platform/os/MessageQueue.h"
#include "platform/ui/SHostDialog.h"
#include "platform/ui/headless/HeadlessDisplay.h"
#include "tests/support/UiInput.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::ui {
namespace {

using test::UiAppTest;

constexpr UINT UM_PING = WM_USER + 7;

// Two displays side by side, each with a panel at its bottom.
const std::vector<DisplayArea> kTwoDisplays = {
    {CRect(0, 0, 1920, 1080), CRect(0, 0, 1920, 1040)},
    {CRect(1920, 0, 3200, 1024), CRect(1920, 0, 3200, 1000)},
};

class WindowManagementTest : public UiAppTest {
protected:
    void SetUp() override {
        UiAppTest::SetUp();
        m_display.SetDisplays(kTwoDisplays);
        SetDisplayBackend(&m_display);
    }
    void TearDown() override {
        SetDisplayBackend(nullptr);
        UiAppTest::TearDown();
    }
    // A shown window of the given screen rectangle.
    static void Open(SHostWnd& host, const CRect& rc) {
        ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"100,100\"><root/></SOUI>"), nullptr);
        host.SetWindowPos(rc);
        host.ShowWindow(SW_SHOWNORMAL);
    }
    HeadlessDisplay m_display;
};

TEST_F(WindowManagementTest, DialogCentresOverItsOwnerOnTheOwnersDisplay) {
    SHostWnd owner;
    Open(owner, CRect(2000, 100, 2600, 500));
    struct Case {
        CRect owner;
        bool shown;
        CPoint expected;
    } cases[] = {
        {CRect(2000, 100, 2600, 500), true, CPoint(2200, 250)},   // over the owner
        {CRect(3100, 950, 3300, 1000), true, CPoint(3000, 900)},  // kept inside the second work area
        {CRect(2000, 100, 2600, 500), false, CPoint(2460, 450)},  // hidden owner: its display's work area
    };
    for (const Case& c : cases) {
        owner.SetWindowPos(c.owner);
        owner.ShowWindow(c.shown ? SW_SHOWNORMAL : SW_HIDE);
        SHostDialog dlg(u"LAYOUT:XML_DLG");  // 200 x 100
        CPoint during;
        ASSERT_TRUE(qv::os::PostTask(qv::os::GetCurrentThreadId(), [&] {
            during = dlg.GetScreenRect().TopLeft();
            EXPECT_EQ(dlg.GetOwnerWnd(), owner.GetHwnd());
            EXPECT_EQ(static_cast<HeadlessWindow*>(dlg.GetNativeWindow())->GetOwner(), owner.GetNativeWindow());
            dlg.EndDialog(IDOK);
        }));
        EXPECT_EQ(dlg.DoModal(owner.GetHwnd()), IDOK);
        EXPECT_EQ(during, c.expected) << c.owner.left << "," << c.owner.top << (c.shown ? " shown" : " hidden");
    }
    // Without an owner: the work area of the display the window is on.
    SHostWnd lone;
    Open(lone, CRect(2500, 10, 2700, 110));
    lone.CenterWindow();
    EXPECT_EQ(lone.GetScreenRect(), CRect(2460, 450, 2660, 550));
    lone.DestroyWindow();
    owner.DestroyWindow();
}

// A window that keeps its top at 150 or below and snaps its left edge to 100.
class SnappingHost : public SHostWnd {
public:
    BEGIN_MSG_MAP_EX(SnappingHost)
        MESSAGE_HANDLER_EX(WM_WINDOWPOSCHANGING, OnPosChanging)
        MESSAGE_HANDLER_EX(WM_MOVE, OnMove)
        MESSAGE_HANDLER_EX(WM_SIZE, OnSize)
        CHAIN_MSG_MAP(SHostWnd)
    END_MSG_MAP()

    LRESULT OnPosChanging(UINT, WPARAM, LPARAM lParam) {
        auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
        log.push_back("changing");
        if (!(wp->flags & SWP_NOMOVE)) {
            wp->y = std::max(wp->y, 150);
            if (std::abs(wp->x - 100) < 10) wp->x = 100;
        }
        return 0;
    }
    LRESULT OnMove(UINT, WPARAM, LPARAM lParam) {
        log.push_back("move");
        moves.emplace_back(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        SetMsgHandled(FALSE);
        return 0;
    }
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam) {
        log.push_back("size");
        sizes.emplace_back(LOWORD(lParam), HIWORD(lParam));
        return 0;  // handled here: the render target must follow anyway
    }
    std::vector<std::string> log;
    std::vector<CPoint> moves;
    std::vector<CSize> sizes;
};

TEST_F(WindowManagementTest, CaptionDragIsCorrectedBeforeEachMove) {
    SnappingHost host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"300,200\"><root><caption pos=\"0,0,-0,@30\"/></root></SOUI>"), nullptr);
    host.SetWindowPos(CRect(200, 200, 500, 400));
    host.ShowWindow(SW_SHOWNORMAL);
    host.log.clear();
    host.moves.clear();

    qv::test::Drag(host, CPoint(50, 10), CPoint(-45, -90), 5);
    EXPECT_EQ(host.GetScreenRect(), CRect(100, 150, 400, 350));
    ASSERT_FALSE(host.moves.empty());
    EXPECT_EQ(host.moves.back(), CPoint(100, 150));
    for (const CPoint& at : host.moves) EXPECT_GE(at.y, 150);
    // Each move was announced before it happened.
    ASSERT_GE(host.log.size(), 2u);
    for (size_t i = 0; i < host.log.size(); ++i) {
        if (host.log[i] == "move") {
            EXPECT_EQ(host.log[i - 1], "changing");
        }
    }
    EXPECT_TRUE(host.sizes.empty());

    // A size change: WM_SIZE after the change, and the frame follows although
    // the window's own map took WM_SIZE.
    host.log.clear();
    host.SetWindowPos(nullptr, 0, 0, 320, 240, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(host.log, (std::vector<std::string>{"changing", "size"}));
    EXPECT_EQ(host.sizes, std::vector<CSize>{CSize(320, 240)});
    EXPECT_EQ(host.GetFrameBitmap()->Size(), CSize(320, 240));
    EXPECT_EQ(host.GetWindowRect(), CRect(0, 0, 320, 240));

    host.SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(host.GetHostStyle() & HostStyle_TopMost);
    host.SetWindowPos(HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(host.GetHostStyle() & HostStyle_TopMost);
    host.DestroyWindow();
}

TEST_F(WindowManagementTest, HooksSeeMessagesFirstPassThemOnAndCanBeRemoved) {
    struct PingHost : SHostWnd {
        BEGIN_MSG_MAP_EX(PingHost)
            MESSAGE_HANDLER_EX(UM_PING, OnPing)
            CHAIN_MSG_MAP(SHostWnd)
        END_MSG_MAP()
        LRESULT OnPing(UINT, WPARAM wParam, LPARAM) {
            pings.push_back(static_cast<int>(wParam));
            return 10;
        }
        std::vector<int> pings;
    } host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"50,50\"><root/></SOUI>"), nullptr);
    std::vector<std::string> seen;
    auto outer = host.AddMessageHook([&](UINT msg, WPARAM wp, LPARAM lp, const SHostWnd::MessageHookNext& next) {
        if (msg == UM_PING) seen.push_back("outer");
        return next(msg, wp, lp);
    });
    std::uint64_t swallow = 0;
    swallow = host.AddMessageHook([&](UINT msg, WPARAM wp, LPARAM lp, const SHostWnd::MessageHookNext& next) {
        if (msg != UM_PING) return next(msg, wp, lp);
        seen.push_back("inner");
        if (wp == 0) return LRESULT(-1);  // consumed
        if (wp == 9) host.RemoveMessageHook(swallow);
        return next(msg, wp * 2, lp) + 1;
    });
    EXPECT_EQ(host.SendMessage(UM_PING, 0), -1);
    EXPECT_EQ(host.SendMessage(UM_PING, 3), 11);
    EXPECT_EQ(host.SendMessage(UM_PING, 9), 11);  // removed while it ran, it still finished
    EXPECT_EQ(host.SendMessage(UM_PING, 4), 10);
    EXPECT_EQ(host.pings, (std::vector<int>{6, 18, 4}));
    EXPECT_EQ(seen, (std::vector<std::string>{"inner", "inner", "outer", "inner", "outer", "outer"}));
    EXPECT_TRUE(host.RemoveMessageHook(outer));
    EXPECT_FALSE(host.RemoveMessageHook(outer));
    host.DestroyWindow();
}

TEST_F(WindowManagementTest, ActivationFollowsShowingForegroundAndOwners) {
    struct ActHost : SHostWnd {
        BEGIN_MSG_MAP_EX(ActHost)
            if (uMsg == WM_ACTIVATE) acts.push_back(LOWORD(wParam));
            CHAIN_MSG_MAP(SHostWnd)
        END_MSG_MAP()
        std::vector<int> acts;
    };
    ActHost a, b, popup;
    Open(a, CRect(0, 0, 100, 100));
    EXPECT_EQ(GetActiveWindow(), a.GetHwnd());
    Open(b, CRect(200, 0, 300, 100));
    b.SetOwnerWnd(a.GetHwnd());
    EXPECT_EQ(GetActiveWindow(), b.GetHwnd());
    EXPECT_EQ(a.acts, (std::vector<int>{WA_ACTIVE, WA_INACTIVE}));

    ASSERT_NE(popup.CreateFromXml(u"<SOUI size=\"10,10\" noActivate=\"1\"><root/></SOUI>"), nullptr);
    popup.ShowWindow(SW_SHOWNORMAL);
    EXPECT_EQ(GetActiveWindow(), b.GetHwnd());
    EXPECT_TRUE(popup.acts.empty());

    a.acts.clear();
    b.acts.clear();
    auto* na = static_cast<HeadlessWindow*>(a.GetNativeWindow());
    auto* nb = static_cast<HeadlessWindow*>(b.GetNativeWindow());
    EXPECT_LT(na->GetZOrder(), nb->GetZOrder());
    EXPECT_TRUE(SetForegroundWindow(a.GetHwnd()));
    EXPECT_TRUE(a.IsActiveWindow());
    EXPECT_GT(na->GetZOrder(), nb->GetZOrder());
    EXPECT_EQ(b.acts, std::vector<int>{WA_INACTIVE});
    EXPECT_EQ(a.acts, std::vector<int>{WA_ACTIVE});
    EXPECT_TRUE(BringWindowToTop(b.GetHwnd()));
    EXPECT_EQ(GetActiveWindow(), b.GetHwnd());
    EXPECT_GT(nb->GetZOrder(), na->GetZOrder());

    // The active owned window goes: its owner takes over.
    b.DestroyWindow();
    EXPECT_EQ(GetActiveWindow(), a.GetHwnd());
    a.ShowWindow(SW_HIDE);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_FALSE(SetForegroundWindow(b.GetHwnd()));
    popup.DestroyWindow();
    a.DestroyWindow();
}

}  // namespace
}  // namespace qv::ui
