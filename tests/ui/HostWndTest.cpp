#include <gtest/gtest.h>

#include <thread>

#include "platform/os/MessageQueue.h"
#include "platform/ui/SHostDialog.h"
#include "platform/ui/SNotifyCenter.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::ui {
namespace {

using test::PumpPending;
using test::SteppedClock;
using test::UiAppTest;

constexpr UINT UM_PING = WM_USER + 1;

// A page chained into its window's map: it takes timer 1000 and lets others pass.
class TimerPage : public CMessageMap {
public:
    BEGIN_MSG_MAP_EX(TimerPage)
        MSG_WM_TIMER(OnTimer)
    END_MSG_MAP()

    void OnTimer(UINT_PTR id) {
        if (id != 1000) {
            SetMsgHandled(FALSE);
            return;
        }
        ++pageTimers;
    }
    int pageTimers = 0;
};

class MainHost : public SHostWnd {
public:
    MainHost() : SHostWnd(u"LAYOUT:XML_MAIN") {}

    BEGIN_MSG_MAP_EX(MainHost)
        CHAIN_MSG_MAP_MEMBER(page)
        MSG_WM_TIMER(OnTimer)
        MSG_WM_CREATE(OnCreate)
        MESSAGE_HANDLER_EX(UM_PING, OnPing)
        CHAIN_MSG_MAP(SHostWnd)
    END_MSG_MAP()

    int OnCreate(void*) {
        ++creates;
        SetMsgHandled(FALSE);
        return 0;
    }
    void OnTimer(UINT_PTR id) { hostTimers.push_back(id); }
    LRESULT OnPing(UINT, WPARAM wParam, LPARAM) {
        pings.push_back(static_cast<int>(wParam));
        return 42;
    }

    TimerPage page;
    int creates = 0;
    std::vector<UINT_PTR> hostTimers;
    std::vector<int> pings;
};

class HostWndTest : public UiAppTest {
protected:
    void SetUp() override {
        UiAppTest::SetUp();
        qv::os::SetClock(&m_clock);
    }
    void TearDown() override {
        UiAppTest::TearDown();
        qv::os::SetClock(nullptr);
    }
    SteppedClock m_clock;
};

TEST_F(HostWndTest, ChainedMapsSeeMessagesInOrderAndSendReturnsTheAnswer) {
    MainHost host;
    ASSERT_NE(host.Create(), nullptr);
    EXPECT_EQ(host.creates, 1);
    EXPECT_EQ(host.SendMessage(UM_PING, 5), 42);
    EXPECT_TRUE(host.PostMessage(UM_PING, 6));
    EXPECT_EQ(host.pings, std::vector<int>{5});
    PumpPending();
    EXPECT_EQ(host.pings, (std::vector<int>{5, 6}));
    host.DestroyWindow();
}

TEST_F(HostWndTest, TimersFireOnTheSteppedClockThroughTheChain) {
    MainHost host;
    ASSERT_NE(host.Create(), nullptr);
    host.SetTimer(1000, 200);
    host.SetTimer(1005, 1000);
    PumpPending();
    m_clock.Step(199);
    PumpPending();
    EXPECT_EQ(host.page.pageTimers, 0);
    m_clock.Step(1);
    PumpPending();
    EXPECT_EQ(host.page.pageTimers, 1);  // the page answered first
    EXPECT_TRUE(host.hostTimers.empty());
    m_clock.Step(800);
    PumpPending();
    EXPECT_EQ(host.hostTimers, std::vector<UINT_PTR>{1005});
    host.KillTimer(1000);
    int before = host.page.pageTimers;
    m_clock.Step(1000);
    PumpPending();
    EXPECT_EQ(host.page.pageTimers, before);
    host.DestroyWindow();
}

class FrameCounter : public SWindow, public ITimelineHandler {
public:
    void OnNextFrame() override { ++frames; }
    void OnTimer(UINT id) override { timers.push_back(id); }
    int frames = 0;
    std::vector<UINT> timers;
};

TEST_F(HostWndTest, WindowTimersAndFramesStopWithTheirWindow) {
    MainHost host;
    ASSERT_NE(host.Create(), nullptr);
    auto* counter = new FrameCounter;
    host.InsertChild(counter);
    EXPECT_TRUE(counter->SetTimer(3, 50));
    EXPECT_TRUE(host.RegisterTimelineHandler(counter));
    EXPECT_FALSE(host.RegisterTimelineHandler(counter));  // idempotent
    for (int i = 0; i < 5; ++i) {
        m_clock.Step(10);
        PumpPending();
    }
    EXPECT_EQ(counter->frames, 5);
    EXPECT_EQ(counter->timers, std::vector<UINT>{3});
    counter->DestroyWindow();  // freed now: no dispatch is running
    m_clock.Step(100);
    PumpPending();  // neither timer nor frame reaches the freed window
    EXPECT_FALSE(host.UnregisterTimelineHandler(counter));
    host.DestroyWindow();
}

TEST_F(HostWndTest, SystemCommandsMinimiseAndRestore) {
    MainHost host;
    ASSERT_NE(host.Create(), nullptr);
    host.ShowWindow(SW_SHOWNORMAL);
    EXPECT_TRUE(host.IsWindowVisible());
    host.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
    EXPECT_TRUE(host.IsIconic());
    host.SendMessage(WM_SYSCOMMAND, SC_RESTORE);
    EXPECT_FALSE(host.IsIconic());
    host.ShowWindow(SW_HIDE);
    EXPECT_FALSE(host.IsWindowVisible());
    host.CenterWindow();
    CRect screen = host.GetScreenRect();
    EXPECT_EQ(screen.Size(), CSize(400, 300));
    EXPECT_EQ(screen.left, (1920 - 400) / 2);
    CPoint pt(5, 6);
    host.ClientToScreen(pt);
    EXPECT_EQ(pt, CPoint(screen.left + 5, screen.top + 6));
    host.ScreenToClient(pt);
    EXPECT_EQ(pt, CPoint(5, 6));
    host.SendMessage(WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_FALSE(host.IsWindow());
}

TEST_F(HostWndTest, LoopRunsFiltersAndEndsWithTheQuitCode) {
    MainHost host;
    ASSERT_NE(host.Create(), nullptr);
    std::vector<int> filtered;
    std::uint64_t token = m_app->AddMessageFilter([&](qv::os::MSG& msg) {
        if (msg.message != UM_PING) return false;
        filtered.push_back(static_cast<int>(msg.wParam));
        return msg.wParam == 1;  // consumed: the window never sees 1
    });
    host.PostMessage(UM_PING, 1);
    host.PostMessage(UM_PING, 2);
    SApplication::PostQuitMessage(5);
    EXPECT_EQ(m_app->Run(host.GetHwnd()), 5);
    EXPECT_EQ(filtered, (std::vector<int>{1, 2}));
    EXPECT_EQ(host.pings, std::vector<int>{2});
    m_app->RemoveMessageFilter(token);
    host.PostMessage(UM_PING, 3);
    SApplication::PostQuitMessage(0);
    EXPECT_EQ(m_app->Run(), 0);
    EXPECT_EQ(filtered.size(), 2u);
    host.DestroyWindow();
}

TEST_F(HostWndTest, MessagesToADestroyedWindowAreDropped) {
    MainHost host;
    HWND hwnd = host.Create();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(host.PostMessage(UM_PING, 1));
    host.DestroyWindow();
    PumpPending();
    EXPECT_TRUE(host.pings.empty());
    EXPECT_FALSE(qv::os::PostMessage(hwnd, UM_PING, 2, 0));
    EXPECT_EQ(qv::os::SendMessage(hwnd, UM_PING, 3, 0), 0);
    EXPECT_FALSE(host.PostMessage(UM_PING, 4));
    EXPECT_TRUE(host.pings.empty());
}

QV_EVENT_BEGIN(EventFromWorker, 10030002, u"on_worker")
QV_EVENT_END

class PingDialog : public SHostDialog {
public:
    explicit PingDialog(HWND other) : SHostDialog(u"LAYOUT:XML_DLG"), m_other(other) {}

    BEGIN_MSG_MAP_EX(PingDialog)
        MSG_WM_INITDIALOG(OnInitDialog)
        MESSAGE_HANDLER_EX(UM_PING, OnPing)
        CHAIN_MSG_MAP(SHostDialog)
    END_MSG_MAP()

    EVENT_MAP_BEGIN()
        EVENT_NAME_COMMAND(u"btnOK", OnOK)
    EVENT_MAP_END()

    BOOL OnInitDialog(HWND, LPARAM) {
        PostMessage(UM_PING, 1);
        qv::os::PostMessage(m_other, UM_PING, 77, 0);
        return TRUE;
    }
    LRESULT OnPing(UINT, WPARAM wParam, LPARAM) {
        pings.push_back(static_cast<int>(wParam));
        if (wParam == 1) {
            // Click btnOK (10,60 .. 70,90) from a worker thread's point of view.
            std::thread([hwnd = GetHwnd()] {
                qv::os::PostMessage(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 70));
                qv::os::PostMessage(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 70));
            }).join();
        }
        return 0;
    }
    void OnOK() {
        EXPECT_TRUE(notified);  // the worker's event came through the nested loop first
        EndDialog(7);
    }

    HWND m_other;
    bool notified = false;
    std::vector<int> pings;
};

TEST_F(HostWndTest, ModalLoopDeliversPostedMessagesAndEventsAndEndsWithItsCode) {
    SNotifyCenter centre;
    centre.addEvent(EventFromWorker::EventID, EventFromWorker::EventName);
    MainHost main;
    ASSERT_NE(main.Create(), nullptr);
    PingDialog dlg(main.GetHwnd());
    centre.subscribeEvent(EventFromWorker::EventID, [&](EventArgs*) {
        dlg.notified = true;
        return true;
    });
    std::thread([&] { centre.FireEventAsync(std::make_shared<EventFromWorker>(nullptr)); }).join();
    EXPECT_EQ(dlg.DoModal(main.GetHwnd()), 7);
    EXPECT_EQ(dlg.pings, std::vector<int>{1});
    EXPECT_EQ(main.pings, std::vector<int>{77});
    EXPECT_FALSE(dlg.IsWindow());
    main.DestroyWindow();
}

class ClosingDialog : public SHostDialog {
public:
    ClosingDialog() : SHostDialog(u"LAYOUT:XML_DLG") {}
    BEGIN_MSG_MAP_EX(ClosingDialog)
        MSG_WM_INITDIALOG(OnInitDialog)
        CHAIN_MSG_MAP(SHostDialog)
    END_MSG_MAP()
    BOOL OnInitDialog(HWND, LPARAM) {
        PostMessage(WM_CLOSE);
        return TRUE;
    }
};

TEST_F(HostWndTest, ClosingAModalDialogCancelsIt) {
    ClosingDialog dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

}  // namespace
}  // namespace qv::ui
