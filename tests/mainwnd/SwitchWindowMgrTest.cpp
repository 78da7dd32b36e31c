#include "plugin/windows/SwitchWindowMgr.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/os/MessageQueue.h"
#include "tests/mainwnd/MainWndTestEnv.h"

namespace qv::test {
namespace {

// A switch window over a plain host window; its creations can be made to fail.
class FakeSwitchWindow final : public ISwitchWindow {
public:
    explicit FakeSwitchWindow(int* creations) : m_creations(creations) {}
    ~FakeSwitchWindow() override { Release(); }

    BOOL CanSwitch(HMODULE, ui::SApplication*) override { return TRUE; }
    HWND Create() override {
        ++*m_creations;
        if (failNext) {
            failNext = false;
            return nullptr;
        }
        m_wnd = std::make_unique<ui::SHostWnd>();
        return m_wnd->CreateFromXml(u"<SOUI size=\"40,30\"><root/></SOUI>");
    }
    BOOL Destroy() override { return m_wnd && m_wnd->IsWindow() ? m_wnd->DestroyWindow() : FALSE; }
    void Release() override { m_wnd.reset(); }
    ui::SHostWnd* GetHostWnd() override { return m_wnd.get(); }

    bool failNext = false;

private:
    int* m_creations;
    std::unique_ptr<ui::SHostWnd> m_wnd;
};

// The hidden window's part: its switch timer runs DoSwitch.
class SwitchWindowMgrTest : public SkinAppTest {
protected:
    void SetUp() override {
        SkinAppTest::SetUp();
        m_timerWindow = qv::os::CreateTarget([this](HWND hwnd, UINT msg, WPARAM id, LPARAM) {
            if (msg == WM_TIMER && id == kSwitchTimerId) {
                qv::os::KillTimer(hwnd, id);
                ++m_switches;
                m_mgr.DoSwitch();
            }
            return LRESULT(0);
        });
        m_mgr.Init(nullptr, m_app.get(), m_timerWindow);
    }
    void TearDown() override {
        m_mgr.RemoveAll();
        qv::os::DestroyTarget(m_timerWindow);
        SkinAppTest::TearDown();
    }
    FakeSwitchWindow* AddMain() {
        auto window = std::make_unique<FakeSwitchWindow>(&m_creations);
        FakeSwitchWindow* raw = window.get();
        EXPECT_TRUE(m_mgr.AddWindow(kMainSwitchWindowId, std::move(window)));
        return raw;
    }
    // Lets the 300 ms pass.
    void Settle() { Advance(400); }

    CSwitchWindowMgr m_mgr;
    HWND m_timerWindow = nullptr;
    int m_creations = 0;
    int m_switches = 0;
};

TEST_F(SwitchWindowMgrTest, RegistrationRefusesNullAndRepeatedIdsAndNeedsTheMainWindow) {
    EXPECT_FALSE(m_mgr.RequestSwitch());  // no window 0 yet
    EXPECT_FALSE(m_mgr.HasPendingSwitch());
    EXPECT_FALSE(m_mgr.AddWindow(kMainSwitchWindowId, nullptr));
    FakeSwitchWindow* first = AddMain();
    int otherCreations = 0;
    EXPECT_FALSE(m_mgr.AddWindow(kMainSwitchWindowId, std::make_unique<FakeSwitchWindow>(&otherCreations)));
    ASSERT_TRUE(m_mgr.RequestSwitch());
    Settle();
    EXPECT_EQ(m_mgr.GetCurrentWindow(), first);  // the first registration was kept
    EXPECT_EQ(otherCreations, 0);
}

TEST_F(SwitchWindowMgrTest, QuickRequestsMakeOneWindowAndAShownWindowLeavesNoRequest) {
    AddMain();
    EXPECT_TRUE(m_mgr.RequestSwitch());
    m_clock.Step(200);
    EXPECT_TRUE(m_mgr.RequestSwitch());  // restarts the 300 ms
    m_clock.Step(200);
    ui::test::PumpPending();
    EXPECT_EQ(m_switches, 0);
    Settle();
    EXPECT_EQ(m_switches, 1);
    EXPECT_EQ(m_creations, 1);
    EXPECT_FALSE(m_mgr.HasPendingSwitch());

    // Asked again while it shows: nothing, and nothing left pending that
    // would keep a later close from ending the program.
    EXPECT_FALSE(m_mgr.RequestSwitch());
    EXPECT_FALSE(m_mgr.HasPendingSwitch());
    Settle();
    EXPECT_EQ(m_creations, 1);

    // Once its window is gone it is made again, the old object released.
    m_mgr.GetCurrentWindow()->GetHostWnd()->DestroyWindow();
    EXPECT_TRUE(m_mgr.RequestSwitch());
    Settle();
    EXPECT_EQ(m_creations, 2);
    EXPECT_TRUE(m_mgr.GetCurrentWindow()->GetHostWnd()->IsWindow());
}

TEST_F(SwitchWindowMgrTest, AFailedCreationIsTriedAgainOnTheNextRequest) {
    FakeSwitchWindow* main = AddMain();
    main->failNext = true;
    ASSERT_TRUE(m_mgr.RequestSwitch());
    Settle();
    EXPECT_EQ(m_creations, 1);
    EXPECT_EQ(m_mgr.GetCurrentWindow(), main);
    EXPECT_EQ(main->GetHostWnd(), nullptr);

    ASSERT_TRUE(m_mgr.RequestSwitch());
    Settle();
    EXPECT_EQ(m_creations, 2);
    ASSERT_NE(main->GetHostWnd(), nullptr);
    EXPECT_TRUE(main->GetHostWnd()->IsWindow());
}

}  // namespace
}  // namespace qv::test
