// The plug-in's client object run over a fake host: the hidden window, the
// main window and the end of the run, and the tray on a private bus.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "platform/os/MessageQueue.h"
#include "platform/ui/SMenuWnd.h"
#include "platform/ui/controls/SMCListView.h"
#include "platform/ui/desktop/TrayIcon.h"
#include "plugin/dialogs/DlgDeviceInfo.h"
#include "plugin/entry/MainApp.h"
#include "plugin/model/RecordText.h"
#include "plugin/windows/MainDlg.h"
#include "plugin/windows/MainHideWnd.h"
#include "plugin/workspace/WorkSpace.h"
#include "tests/desktop/PrivateBus.h"
#include "tests/desktop/SniPeers.h"
#include "tests/mainwnd/MainWndTestEnv.h"
#include "tests/support/CatalogSim.h"
#include "tests/support/FakeAppHost.h"

namespace qv::test {
namespace {

class MainAppRunTest : public DesktopTestEnv {
protected:
    void SetUp() override {
        DesktopTestEnv::SetUp();
        m_host.manager.SetResponder(FakeDeviceMgmt::GoodReply);
    }
    void TearDown() override {
        if (m_client) m_client->Uninit();
        DesktopTestEnv::TearDown();
    }
    void Start(int closeOperation) {
        LoadSettings(m_dir + "/data", {{u"CloseBtnOperation", closeOperation}});
        m_client = new CMainApp(&m_host, nullptr);
        ASSERT_EQ(m_client->Init(), 1);
    }
    // Runs the client's loop with the script as its first piece of work.
    int Run(std::function<void()> script) {
        qv::os::PostTask(qv::os::GetCurrentThreadId(), std::move(script));
        return m_client->Run(u"");
    }
    ui::SHostWnd* Main() { return m_client->GetApplication()->GetMainWnd(); }
    bool MainShows() {
        return WaitFor([this] { return Main() && Main()->IsWindowVisible(); });
    }
    void TrayClick() { m_client->GetHideWnd()->SendMessage(kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDOWN); }
    void TrayExit() { m_client->GetHideWnd()->SendMessage(WM_COMMAND, kTrayCmdExit); }
    void CloseButton() { Click(*Main(), *Main()->FindChildByName(u"btn_close")); }
    // What the run has let go of so far: (detaches, sessions closed).
    std::pair<int, int> LetGo() const { return {m_host.detaches.load(), m_host.SessionFlags(0)}; }

    FakeAppHost m_host;
    CMainApp* m_client = nullptr;
};

class CloseRule : public MainAppRunTest, public ::testing::WithParamInterface<int> {
protected:
    bool EndsOnClose() const { return GetParam() == 1; }
};

TEST_P(CloseRule, CloseButtonEndsTheRunOrKeepsItInTheTray) {
    Start(GetParam());
    const int result = Run([this] {
        ASSERT_TRUE(MainShows());
        EXPECT_EQ(LetGo(), std::make_pair(0, 0));
        CloseButton();
        if (EndsOnClose()) {
            EXPECT_EQ(LetGo(), std::make_pair(1, 1));
            return;
        }
        // In the tray: the host and the session are kept, and the tray opens
        // a new window.
        EXPECT_EQ(Main(), nullptr);
        EXPECT_EQ(LetGo(), std::make_pair(0, 0));
        EXPECT_EQ(m_tray.ShownIcons(), 1);
        TrayClick();
        ASSERT_TRUE(MainShows());
        EXPECT_EQ(LetGo(), std::make_pair(0, 0));
        TrayExit();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(LetGo(), std::make_pair(1, 1));
    EXPECT_EQ(m_tray.ShownIcons(), 0);
    EXPECT_EQ(FindHost<CMainDlg>(), nullptr);
}

TEST_P(CloseRule, TrayExitAndHostQuitLetGoOnce) {
    Start(GetParam());
    Run([this] {
        ASSERT_TRUE(MainShows());
        TrayExit();
        EXPECT_TRUE(Main() && Main()->IsWindow());  // gone with the loop
    });
    EXPECT_EQ(LetGo(), std::make_pair(1, 1));

    // Closed to the tray and asked for again, the exit comes before the new
    // window: none is made.
    m_client->Uninit();
    m_client = nullptr;
    m_host.manager.ClearRecords();
    m_host.detaches = 0;
    Start(GetParam());
    Run([this] {
        ASSERT_TRUE(MainShows());
        CloseButton();
        if (!EndsOnClose()) {
            TrayClick();
            TrayExit();
        }
    });
    EXPECT_EQ(LetGo(), std::make_pair(1, 1));
    EXPECT_EQ(FindHost<CMainDlg>(), nullptr);

    m_client->Uninit();
    m_client = nullptr;
    m_host.manager.ClearRecords();
    m_host.detaches = 0;
    Start(GetParam());
    Run([this] {
        ASSERT_TRUE(MainShows());
        m_client->Quit();
    });
    EXPECT_EQ(LetGo(), std::make_pair(1, 1));
}

TEST_P(CloseRule, ARequestWhileTheWindowShowsLeavesNothingPending) {
    Start(GetParam());
    Run([this] {
        ASSERT_TRUE(MainShows());
        EXPECT_FALSE(m_client->SwitchWindows().RequestSwitch());
        CloseButton();
        EXPECT_EQ(LetGo().first, EndsOnClose() ? 1 : 0);
        if (!EndsOnClose()) m_client->Quit();
    });
    EXPECT_EQ(LetGo(), std::make_pair(1, 1));
}

INSTANTIATE_TEST_SUITE_P(CloseBtnOperation, CloseRule, ::testing::Values(0, 1, 2));

TEST_F(MainAppRunTest, ExitUnderTheDeviceInformationBoxWaitsForTheBoxToReturn) {
    Start(1);
    bool boxShown = false;
    Run([this, &boxShown] {
        ASSERT_TRUE(MainShows());
        qv::os::PostTask(qv::os::GetCurrentThreadId(), [this, &boxShown] {
            boxShown = FindHost<CDlgDeviceInfo>() != nullptr;
            TrayExit();
        });
        Main()->SendMessage(WM_COMMAND, kMainCmdDeviceInfo);
        EXPECT_TRUE(Main() && Main()->IsWindow());  // the handler returned to a live window
    });
    EXPECT_TRUE(boxShown);
    EXPECT_EQ(LetGo(), std::make_pair(1, 1));
}

TEST_F(MainAppRunTest, StalledCatalogueRequestsEndWithTheRun) {
    CatalogSim sim({"--switch", "stalled"});
    ASSERT_TRUE(sim.Start());
    sim.UseAsCatalogue();
    Start(1);  // the session opens and posts the usage report
    CloudEffectItem row{};
    SetFieldText(row.name, u"KTV");
    row.id = 301;
    m_client->GetWorkSpace()->CloudEffects() = {row};
    std::chrono::steady_clock::time_point asked;
    Run([&] {
        // Whatever fails, the run ends.
        auto start = [&]() -> ::testing::AssertionResult {
            if (!MainShows()) return ::testing::AssertionFailure() << "no main window";
            auto* list = Main()->FindChildByName2<ui::SMCListView>(u"mclist_cloud_effect");
            Main()->UpdateWindow();
            ui::SWindow* row = list ? list->GetRowWindow(1) : nullptr;  // row 0 is "回荡"
            ui::SWindow* download = row ? row->FindChildByName(u"btn_download") : nullptr;
            if (!download) return ::testing::AssertionFailure() << "no download button";
            Click(*Main(), *download);
            // The usage report, the effect list, the sound categories and
            // the detail all wait on the server.
            if (!WaitFor([&] { return sim.Requests().size() == 4; }))
                return ::testing::AssertionFailure() << sim.Requests().size() << " requests";
            return ::testing::AssertionSuccess();
        };
        EXPECT_TRUE(start());
        asked = std::chrono::steady_clock::now();
        TrayExit();
    });
    m_client->Uninit();  // as the host ends a plug-in on a family switch
    m_client = nullptr;
    // The stalled requests are abandoned, not waited out; the bound leaves
    // room for a loaded machine.
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5));
    unsetenv("QV_CATALOGUE_URL");
}

// The real tray: a StatusNotifierItem on a private session bus, with a fake
// tray host's watcher. Timers run on the real clock here.
class TrayOnBusTest : public MainAppRunTest {
protected:
    void SetUp() override {
        MainAppRunTest::SetUp();
        qv::os::SetClock(nullptr);
        desktop::SetTrayService(nullptr);
    }
    // Clicks the tray menu's item once a menu shows; ends the run when none
    // shows within 30 s.
    void ChooseFromNextMenu(UINT id) {
        m_poller = qv::os::CreateTarget([this, id, polls = 0](HWND hwnd, UINT msg, WPARAM, LPARAM) mutable {
            if (msg != WM_TIMER) return LRESULT(0);
            if (++polls > 1500) {
                qv::os::KillTimer(hwnd, 1);
                ADD_FAILURE() << "no menu showed";
                m_client->Quit();
                return LRESULT(0);
            }
            for (ui::SHostWnd* host : m_client->GetApplication()->GetHostWnds()) {
                auto* menu = dynamic_cast<ui::SMenuWnd*>(host);
                ui::SMenuItemWnd* item = menu ? menu->FindItem(id) : nullptr;
                if (!item) continue;
                qv::os::KillTimer(hwnd, 1);
                Click(*menu, *item);
                break;
            }
            return LRESULT(0);
        });
        qv::os::SetTimer(m_poller, 1, 20);
    }
    void TearDown() override {
        if (m_poller) qv::os::DestroyTarget(m_poller);
        MainAppRunTest::TearDown();
    }
    HWND m_poller = nullptr;
};

TEST_F(TrayOnBusTest, TheItemShowsTheWindowAndItsMenuEndsTheRun) {
    PrivateBus bus;
    if (!bus.Start()) GTEST_SKIP() << "dbus-daemon is not available";
    ScopedEnv env("DBUS_SESSION_BUS_ADDRESS", bus.Address());
    FakeWatcher watcher;
    ASSERT_TRUE(watcher.Ok());
    Start(1);
    // The tray host's side runs on a thread of its own, step by step with the
    // run; -1 ends it early.
    std::string item;
    std::string title;
    std::optional<std::vector<TrayHost::PixmapData>> pixmaps;
    std::atomic<int> step{0};
    auto await = [&step](int wanted) {
        for (int i = 0; i < 6000 && step != wanted; ++i) {
            if (step == -1) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return step == wanted;
    };
    std::thread host;
    Run([&] {
        auto giveUp = [&] {
            step = -1;
            m_client->Quit();
        };
        if (!WaitFor([&] { return Main() && Main()->IsWindowVisible() && !watcher.Items().empty(); })) {
            ADD_FAILURE() << "no main window or no tray item";
            return giveUp();
        }
        item = watcher.Items()[0];
        host = std::thread([&] {
            TrayHost tray;
            title = tray.Text(item, "Title");
            pixmaps = tray.Pixmaps(item);
            tray.Call(item, "Activate");
            step = 1;
            if (!await(2)) return;
            tray.Call(item, "Activate");
            step = 3;
            if (await(4)) tray.Call(item, "ContextMenu");
        });
        if (!WaitFor([&] { return step == 1 && !Main()->IsWindowVisible(); })) {
            ADD_FAILURE() << "Activate did not hide the window";
            return giveUp();
        }
        step = 2;
        if (!WaitFor([&] { return step == 3 && Main()->IsWindowVisible(); })) {
            ADD_FAILURE() << "Activate did not show the window again";
            return giveUp();
        }
        ChooseFromNextMenu(kTrayCmdExit);
        step = 4;
    });
    if (host.joinable()) host.join();
    EXPECT_EQ(title, "Quorvel");
    // The tray gets every size the skin draws the logo in.
    ASSERT_TRUE(pixmaps);
    std::vector<std::pair<int, int>> sizes;
    for (const auto& [w, h, bytes] : *pixmaps) sizes.emplace_back(w, h);
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{16, 16}, {32, 32}, {48, 48}, {128, 128}}));
    EXPECT_EQ(LetGo(), std::make_pair(1, 1));
    TrayHost tray;
    ASSERT_FALSE(item.empty());
    bool gone = false;
    for (int i = 0; i < 500 && !(gone = !tray.HasOwner(item)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(gone);
}

TEST_F(TrayOnBusTest, WithoutABusThereIsNoTrayAndTheProgramRuns) {
    ScopedEnv env("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/qv-bus");
    Start(1);
    Run([this] {
        ASSERT_TRUE(MainShows());
        EXPECT_FALSE(m_client->GetHideWnd()->TrayIcon().IsShown());
        TrayExit();
    });
    EXPECT_EQ(LetGo(), std::make_pair(1, 1));
}

}  // namespace
}  // namespace qv::test
