#include "plugin/windows/MainDlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/os/MessageQueue.h"
#include "platform/ui/SMenuWnd.h"
#include "plugin/windows/SwitchWindow.h"
#include "plugin/workspace/SettingsStore.h"
#include "tests/mainwnd/MainWndTestEnv.h"

namespace qv::test {
namespace {

constexpr UINT kPageMessage = WM_APP + 1;
constexpr UINT kNobodysMessage = WM_APP + 2;

// A page that notes what reaches it and takes one message and the command
// of one widget name.
class FakePage final : public IMainDlgPage {
public:
    FakePage(std::string name, std::vector<std::string>* log, UINT takes, const char16_t* takesCommandOf)
        : m_name(std::move(name)), m_log(log), m_takes(takes), m_takesCommandOf(takesCommandOf) {}
    ~FakePage() override { m_log->push_back(m_name + " gone"); }

    void Init(CMainDlg& owner) override { m_log->push_back(m_name + " init " + (owner.IsWindow() ? "live" : "dead")); }
    BOOL ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg < WM_APP) return FALSE;
        m_log->push_back(m_name + " msg");
        result = 7;
        return msg == m_takes;
    }
    BOOL _HandleEvent(ui::EventArgs* e) override {
        if (e->GetID() != ui::EVT_CMD) return FALSE;
        m_log->push_back(m_name + " cmd " + e->nameFrom.ToUtf8());
        return e->nameFrom == m_takesCommandOf;
    }

private:
    std::string m_name;
    std::vector<std::string>* m_log;
    UINT m_takes;
    const char16_t* m_takesCommandOf;
};

class MainDlgTest : public SkinAppTest {
protected:
    std::unique_ptr<CMainDlg> Open(MainDlgPages pages = {}) {
        auto dlg = std::make_unique<CMainDlg>(std::move(pages));
        EXPECT_TRUE(dlg->Create(nullptr));
        dlg->ShowWindow(SW_SHOWNORMAL);
        return dlg;
    }
    void ClickNamed(CMainDlg& dlg, const char16_t* name) {
        ui::SWindow* button = dlg.FindChildByName(name);
        ASSERT_NE(button, nullptr) << ui::SStringW(name).ToUtf8();
        Click(dlg, *button);
    }
    bool TopMost(const CMainDlg& dlg) const { return (dlg.GetHostStyle() & ui::HostStyle_TopMost) != 0; }

    FakePluginApp m_fake;
};

TEST_F(MainDlgTest, OpensTopmostAndFallsBackAfterAMomentUnlessKeptThere) {
    struct Case {
        const char* what;
        bool loaded;
        int setting;
        bool topmostAfter;
    };
    for (const Case c : {Case{"no settings", false, 0, false}, Case{"setting 0", true, 0, false},
                         Case{"setting 1", true, 1, true}}) {
        SCOPED_TRACE(c.what);
        if (c.loaded) LoadSettings(m_dir + "/data", {{u"MainWinTopmost", c.setting}});
        auto dlg = Open();
        EXPECT_TRUE(TopMost(*dlg));
        m_clock.Step(400);
        ui::test::PumpPending();
        EXPECT_TRUE(TopMost(*dlg));
        Advance(200);
        EXPECT_EQ(TopMost(*dlg), c.topmostAfter);
        dlg.reset();
        CSettingsStore::GetStore(0)->Load(u"");
    }
}

TEST_F(MainDlgTest, PagesSeeMessagesAndEventsFirstInTheirOrder) {
    std::vector<std::string> log;
    MainDlgPages pages;
    pages.push_back(std::make_unique<FakePage>("effect", &log, kPageMessage, u"btn_min"));
    pages.push_back(std::make_unique<FakePage>("sound", &log, 0, nullptr));
    auto dlg = Open(std::move(pages));
    EXPECT_EQ(log, (std::vector<std::string>{"effect init live", "sound init live"}));

    log.clear();
    EXPECT_EQ(dlg->SendMessage(kPageMessage), 7);
    dlg->SendMessage(kNobodysMessage);
    EXPECT_EQ(log, (std::vector<std::string>{"effect msg", "effect msg", "sound msg"}));

    // A page that takes a caption button's command keeps it from the window.
    log.clear();
    ClickNamed(*dlg, u"btn_min");
    EXPECT_FALSE(dlg->IsIconic());
    EXPECT_EQ(log, (std::vector<std::string>{"effect cmd btn_min"}));

    log.clear();
    dlg.reset();
    EXPECT_EQ(log, (std::vector<std::string>{"sound gone", "effect gone"}));
}

TEST_F(MainDlgTest, CaptionButtonsMinimiseAndOpenTheMenu) {
    auto dlg = Open();
    ClickNamed(*dlg, u"btn_min");
    EXPECT_TRUE(dlg->IsIconic());
    dlg->ShowWindow(SW_SHOWNORMAL);

    // The menu button opens the family's menu; its first item asks for the
    // device information, which needs a card.
    const std::vector<std::u16string> items = PickFromMainMenu(*dlg, kMainCmdDeviceInfo);
    EXPECT_EQ(items, (std::vector<std::u16string>{u"设备信息", u"检查更新", u"使用手册", u"关于"}));
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, u"未连接设备！");
    EXPECT_EQ(m_boxes.Boxes()[0].caption, u"提示");
}

TEST_F(MainDlgTest, ClosingEndsTheRunOnlyWithCloseOperation1AndNoSwitchPending) {
    // A switch window that never shows keeps a request pending.
    class NeverShown final : public ISwitchWindow {
        BOOL CanSwitch(HMODULE, ui::SApplication*) override { return TRUE; }
        HWND Create() override { return nullptr; }
        BOOL Destroy() override { return FALSE; }
        void Release() override {}
        ui::SHostWnd* GetHostWnd() override { return nullptr; }
    };
    HWND timer = qv::os::CreateTarget([](HWND, UINT, WPARAM, LPARAM) { return LRESULT(0); });
    m_fake.switches.Init(nullptr, m_app.get(), timer);
    m_fake.switches.AddWindow(kMainSwitchWindowId, std::make_unique<NeverShown>());
    for (int operation : {0, 1, 2}) {
        for (bool pending : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "CloseBtnOperation " << operation << " pending " << pending);
            LoadSettings(m_dir + "/data", {{u"CloseBtnOperation", operation}});
            if (pending) {
                ASSERT_TRUE(m_fake.switches.RequestSwitch());
            }
            ASSERT_EQ(m_fake.switches.HasPendingSwitch(), pending);
            m_fake.endRuns = 0;
            auto dlg = Open();
            ClickNamed(*dlg, u"btn_close");
            EXPECT_FALSE(dlg->IsWindow());
            EXPECT_EQ(m_fake.endRuns, operation == 1 && !pending ? 1 : 0);
            if (pending) m_fake.switches.DoSwitch();  // the request is used up
        }
    }
    m_fake.switches.RemoveAll();
    qv::os::DestroyTarget(timer);
}

TEST_F(MainDlgTest, ShowAndCloseCommandsActOnTheCurrentMainWindow) {
    auto dlg = Open();
    m_app->SetMainWnd(dlg.get());
    dlg->ShowWindow(SW_HIDE);
    dlg->SendMessage(WM_COMMAND, kMainCmdShow);
    EXPECT_TRUE(dlg->IsWindowVisible());
    dlg->SendMessage(WM_COMMAND, kMainCmdAboutDialog);  // no such layout: nothing happens
    EXPECT_TRUE(dlg->IsWindow());
    dlg->SendMessage(WM_COMMAND, kMainCmdClose);
    EXPECT_TRUE(dlg->IsWindow());  // posted
    ui::test::PumpPending();
    EXPECT_FALSE(dlg->IsWindow());
}

}  // namespace
}  // namespace qv::test
