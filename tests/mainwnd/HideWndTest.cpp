#include "plugin/windows/MainHideWnd.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "platform/os/ActivationChannel.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/ModuleResources.h"
#include "platform/ui/SMenuWnd.h"
#include "plugin/app/AutoRun.h"
#include "plugin/windows/MainDlg.h"
#include "tests/mainwnd/MainWndTestEnv.h"

namespace qv::test {
namespace {

class HideWndTest : public SkinAppTest {
protected:
    void SetUp() override {
        SkinAppTest::SetUp();
        m_hide = std::make_unique<CMainHideWnd>();
        ASSERT_TRUE(m_hide->Create(nullptr));
        m_fake.switches.Init(nullptr, m_app.get(), m_hide->GetHwnd());
        m_fake.switches.AddWindow(kMainSwitchWindowId, std::make_unique<CBaseSwitchWindow<CMainDlg>>());
    }
    void TearDown() override {
        m_fake.switches.RemoveAll();
        m_hide.reset();
        SkinAppTest::TearDown();
    }
    ui::SHostWnd* Main() { return m_app->GetMainWnd(); }
    bool OpenMain() {
        m_hide->SendMessage(kActivateInstanceMessage, kActivateInstanceWParam);
        return WaitFor([this] { return Main() && Main()->IsWindowVisible(); });
    }
    LRESULT Tray(LPARAM mouse) { return m_hide->SendMessage(kTrayCallbackMessage, kTrayIconId, mouse); }

    FakePluginApp m_fake;
    std::unique_ptr<CMainHideWnd> m_hide;
};

TEST_F(HideWndTest, ItsTrayIconCarriesTheTipAndSmallIconUntilItGoes) {
    ASSERT_EQ(m_tray.Calls().size(), 1u);
    const auto& add = m_tray.Calls()[0];
    EXPECT_EQ(add.message, desktop::NIM_ADD);
    EXPECT_EQ(add.data.hwnd, m_hide->GetHwnd());
    EXPECT_EQ(add.data.id, kTrayIconId);
    EXPECT_EQ(add.data.callbackMessage, kTrayCallbackMessage);
    EXPECT_EQ(add.data.tip, u"Quorvel");
    EXPECT_EQ(add.data.icon.width, 16);
    EXPECT_EQ(add.data.icon.height, 16);
    EXPECT_FALSE(m_hide->IsWindowVisible());
    m_hide->DestroyWindow();
    EXPECT_EQ(m_tray.Calls().back().message, desktop::NIM_DELETE);
    EXPECT_EQ(m_tray.ShownIcons(), 0);

    // Without a tray the window works all the same and removes nothing.
    m_tray.SetTrayPresent(false);
    CMainHideWnd trayless;
    ASSERT_TRUE(trayless.Create(nullptr));
    EXPECT_FALSE(trayless.TrayIcon().IsShown());
    const std::size_t calls = m_tray.Calls().size();
    trayless.DestroyWindow();
    EXPECT_EQ(m_tray.Calls().size(), calls);
}

TEST_F(HideWndTest, ActivationOpensOrRaisesTheMainWindowOnlyForWParam5) {
    m_hide->SendMessage(kActivateInstanceMessage, 4);
    EXPECT_FALSE(m_fake.switches.HasPendingSwitch());
    ASSERT_TRUE(OpenMain());
    Main()->ShowWindow(SW_HIDE);
    m_hide->SendMessage(kActivateInstanceMessage, kActivateInstanceWParam);
    EXPECT_TRUE(Main()->IsWindowVisible());

    // A second start reaches the window through the activation channel.
    Main()->ShowWindow(SW_SHOWMINIMIZED);
    std::atomic<int> answered{-1};
    std::thread secondStart([&] {
        answered = qv::os::SendToWindowOfClass(m_app->GetHostClassName().str(), kActivateInstanceMessage,
                                               kActivateInstanceWParam, 0) ? 1 : 0;
    });
    EXPECT_TRUE(WaitFor([&] { return answered.load() != -1; }));
    secondStart.join();
    EXPECT_EQ(answered.load(), 1);
    EXPECT_TRUE(Main()->IsWindowVisible());
    EXPECT_FALSE(Main()->IsIconic());
}

TEST_F(HideWndTest, LeftClickHidesAShownWindowAndBringsBackAnyOther) {
    Tray(WM_LBUTTONDOWN);  // no main window: one is asked for
    EXPECT_TRUE(m_fake.switches.HasPendingSwitch());
    ASSERT_TRUE(WaitFor([this] { return Main() && Main()->IsWindowVisible(); }));
    struct Case {
        int showCmd;
        bool visibleAfter;
    };
    for (const Case c : {Case{SW_SHOWNORMAL, false}, Case{SW_SHOWMINIMIZED, true}, Case{SW_HIDE, true}}) {
        SCOPED_TRACE(c.showCmd);
        Main()->ShowWindow(c.showCmd);
        Tray(WM_LBUTTONDOWN);
        EXPECT_EQ(Main()->IsWindowVisible() != 0, c.visibleAfter);
        EXPECT_FALSE(Main()->IsIconic());
    }
    Tray(WM_LBUTTONUP);  // only the press counts
    EXPECT_TRUE(Main()->IsWindowVisible());
}

TEST_F(HideWndTest, TrayMenuShowsTheAutostartStateAndItsItemToggles) {
    // A tray menu with the autostart item, from a module searched first.
    void* module = dlopen(QV_TEST_MENU_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    ASSERT_TRUE(m_app->AddResProvider(ui::ModuleOfAddress(dlsym(module, "qv_test_menu_module"))));
    for (const bool autorun : {false, true}) {
        SCOPED_TRACE(autorun);
        ASSERT_TRUE(SetAutoRun(autorun ? 1 : 0) || !autorun);
        std::string check = "<none>";
        qv::os::PostTask(qv::os::GetCurrentThreadId(), [&] {
            for (ui::SHostWnd* host : m_app->GetHostWnds()) {
                auto* menu = dynamic_cast<ui::SMenuWnd*>(host);
                if (!menu) continue;
                if (ui::SMenuItemWnd* item = menu->FindItem(kTrayCmdAutoRun))
                    check = item->GetNode().attribute("check").value();
                menu->SendMessage(WM_KEYDOWN, VK_ESCAPE);
            }
        });
        Tray(WM_RBUTTONUP);
        EXPECT_EQ(check, autorun ? "1" : "0");
    }
    m_hide->SendMessage(WM_COMMAND, kTrayCmdAutoRun);
    EXPECT_FALSE(IsAutoRun());
    m_hide->SendMessage(WM_COMMAND, kTrayCmdAutoRun);
    EXPECT_TRUE(IsAutoRun());
    std::ifstream entry(m_dir + "/config/autostart/Quorvel.desktop");
    std::stringstream text;
    text << entry.rdbuf();
    EXPECT_NE(text.str().find("\nIcon=quorvel\n"), std::string::npos) << text.str();
}

TEST_F(HideWndTest, ExitIsRefusedWhileASoundIsSentAndOtherwiseLeavesTheWindowToTheLoop) {
    ASSERT_TRUE(OpenMain());
    m_fake.uploadBusy = 1;
    m_hide->SendMessage(WM_COMMAND, kTrayCmdExit);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, u"正在载入特效，暂时不能退出软件");
    EXPECT_EQ(m_boxes.Boxes()[0].caption, u"提示");
    EXPECT_EQ(m_boxes.Boxes()[0].owner, Main()->GetHwnd());
    EXPECT_FALSE(QuitPosted());

    m_fake.uploadBusy = 0;
    m_hide->SendMessage(WM_COMMAND, kTrayCmdExit);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(Main() && Main()->IsWindow());  // the end of the run destroys it
    qv::os::MSG quit{};
    qv::os::PeekMessage(&quit, true);
}

TEST_F(HideWndTest, ShowAndAboutItemsOpenTheirWindows) {
    m_hide->SendMessage(WM_COMMAND, kTrayCmdShow);
    ASSERT_TRUE(WaitFor([this] { return Main() && Main()->IsWindowVisible(); }));
    m_hide->SendMessage(WM_COMMAND, kTrayCmdAbout);
    bool aboutShown = false;
    for (ui::SHostWnd* host : m_app->GetHostWnds())
        aboutShown = aboutShown || (host->GetTitle() == u"about" && host->IsWindowVisible());
    EXPECT_TRUE(aboutShown);
}

}  // namespace
}  // namespace qv::test
