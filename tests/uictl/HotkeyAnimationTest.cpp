#include <gtest/gtest.h>

#include <atomic>

#include "platform/os/MessageQueue.h"
#include "platform/os/Tick.h"
#include "platform/ui/controls/CAccelerator.h"
#include "platform/ui/controls/SAnimateImgWnd.h"
#include "platform/ui/controls/SButton.h"
#include "platform/ui/controls/SHotKeyCtrl.h"
#include "tests/uictl/CtlTestEnv.h"

namespace qv::ui {
namespace {

using test::ControlTest;
using test::EventLog;

TEST(Accelerator, FormatsModifiersInAFixedOrderBeforeTheKey) {
    EXPECT_EQ(CAccelerator::FormatHotkey(VK_F1, kHotkeyControl), SStringW(u"Ctrl+F1"));
    EXPECT_EQ(CAccelerator::FormatHotkey('A', kHotkeyAlt | kHotkeyShift | kHotkeyControl), SStringW(u"Ctrl+Shift+Alt+A"));
    EXPECT_EQ(CAccelerator::FormatHotkey(0x62, kHotkeyWin), SStringW(u"Win+Num 2"));
    EXPECT_EQ(CAccelerator::FormatHotkey(VK_SPACE, 0), SStringW(u"Space"));
    EXPECT_EQ(CAccelerator::FormatHotkey(0xBC, 0), SStringW(u","));
    EXPECT_EQ(CAccelerator::FormatHotkey(0xFF, 0), SStringW(u"0xFF"));
    EXPECT_TRUE(CAccelerator::FormatHotkey(0, kHotkeyControl).IsEmpty());
}

TEST_F(ControlTest, HotkeyControlTakesTheModifiersHeldBeforeTheKey) {
    CreateHost(R"(<hotkey name="hk" pos="0,0,@120,@24"/><button name="b" pos="0,40,@50,@20"/>)");
    auto* hk = Find<SHotKeyCtrl>(u"hk");
    hk->SetFocus();
    Key(VK_CONTROL);
    EXPECT_EQ(hk->GetWindowText(), SStringW(u"Ctrl+"));
    Key(VK_F1);
    WORD vk = 0, mods = 0;
    hk->GetHotKey(vk, mods);
    EXPECT_EQ(vk, VK_F1);
    EXPECT_EQ(mods, kHotkeyControl);  // stored as mods << 16 | vk, it registers as it stands
    EXPECT_EQ(hk->GetWindowText(), SStringW(u"Ctrl+F1"));
    Char(u'x');  // typed text goes nowhere
    Key('Q');  // the latch was used up
    hk->GetHotKey(vk, mods);
    EXPECT_EQ(mods, 0);
    Key(VK_BACK);
    EXPECT_TRUE(hk->GetWindowText().IsEmpty());
    Key(VK_SHIFT);
    Key(VK_TAB);  // focus moves on: the latch is dropped
    hk->SetFocus();
    Key('Z');
    hk->GetHotKey(vk, mods);
    EXPECT_EQ(vk, 'Z');
    EXPECT_EQ(mods, 0);
}

class ManualClock : public qv::os::IClock {
public:
    std::uint64_t NowMs() override { return now.load(); }
    void Step(std::uint64_t ms) {
        now += ms;
        qv::os::NotifyClockChanged();
        while (qv::os::PumpOneMessage()) {
        }
    }
    std::atomic<std::uint64_t> now{5000000};
};

class AnimationTest : public ControlTest {
protected:
    void SetUp() override {
        qv::os::SetClock(&clock);
        ControlTest::SetUp();
    }
    void TearDown() override {
        ControlTest::TearDown();
        qv::os::SetClock(nullptr);
    }
    ManualClock clock;
};

TEST_F(AnimationTest, PlaysWhileShownAndRestsOutOfSight) {
    AddSkin(u"busy", 16, 16, 4);
    CreateHost(R"(<window name="page" pos="0,0,-0,-0"><animateimg name="ani" pos="0,0,@16,@16" skin="busy" speed="40"/></window>)");
    auto* ani = Find<SAnimateImgWnd>(u"ani");
    EXPECT_TRUE(ani->IsPlaying());
    clock.Step(40);
    clock.Step(40);
    EXPECT_EQ(ani->GetFrame(), 2);
    ani->SetVisible(false);
    EXPECT_FALSE(ani->IsPlaying());
    clock.Step(200);
    EXPECT_EQ(ani->GetFrame(), 2);
    ani->SetVisible(true);
    EXPECT_TRUE(ani->IsPlaying());
    // A hidden parent: the next tick finds it out of sight and stops it.
    m_host->FindChildByName(u"page")->SetVisible(false);
    clock.Step(40);
    EXPECT_FALSE(ani->IsPlaying());
    m_host->FindChildByName(u"page")->SetVisible(true);
    m_host->UpdateWindow();  // drawn again: plays again
    EXPECT_TRUE(ani->IsPlaying());
    ani->Stop();
    m_host->UpdateWindow();
    EXPECT_FALSE(ani->IsPlaying());  // stopped by code stays stopped
}

TEST_F(ControlTest, AWindowLaidOverControlsTakesTheirClicksWhileShown) {
    CreateHost(R"(<button name="b" pos="10,10,@80,@30"/>
                  <window name="overlay" pos="0,0,@150,@100" colorBkgnd="#1E1F2488"/>)");
    EventLog log;
    log.Attach(Find<SButton>(u"b"), EVT_CMD);
    Click({20, 20});
    Wheel(120, {20, 20});
    EXPECT_EQ(log.count, 0);
    m_host->FindChildByName(u"overlay")->SetVisible(false);
    Click({20, 20});
    EXPECT_EQ(log.count, 1);
}

}  // namespace
}  // namespace qv::ui
