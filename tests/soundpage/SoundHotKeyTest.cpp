// The favourites' global hotkeys on the page: the switch, a hotkey played
// with the main window hidden, one set through the hotkey dialog and kept in
// the mood file, the ids following the favourites, and a page that goes
// taking only its own registrations, subscriptions and filter with it.
#include <gtest/gtest.h>

#include <set>

#include "platform/os/MessageQueue.h"
#include "platform/os/Messages.h"
#include "platform/os/Profile.h"
#include "platform/os/Utf.h"
#include "platform/ui/controls/SHotKeyCtrl.h"
#include "plugin/app/AppEvents.h"
#include "plugin/dialogs/SInputHotKeyDlg.h"
#include "plugin/pages/SoundPadMenu.h"
#include "plugin/sound/BuiltInSounds.h"
#include "tests/soundpage/SoundPageEnv.h"
#include "tests/support/UiInput.h"

namespace qv::test {
namespace {

constexpr UINT kNum(int n) { return 0x60u + static_cast<UINT>(n); }
constexpr UINT kCtrlF1 = 2u << 16 | 0x70u;

class SoundHotKeyTest : public SoundPageEnv {
protected:
    void SetUp() override {
        SoundPageEnv::SetUp();
        m_hook = m_hidden->AddMessageHook([this](UINT msg, WPARAM w, LPARAM l, const ui::SHostWnd::MessageHookNext& next) {
            if (msg == WM_HOTKEY) ++m_reachedWindow;
            return next(msg, w, l);
        });
    }
    // The combination pressed on the desktop; the pad it played (0: none).
    int Press(UINT hotkey) {
        Page().Engine().StopPlay();
        const int before = m_reachedWindow;
        if (!m_hotkeys.Press(hotkey)) return 0;
        PumpThroughFilters();
        EXPECT_EQ(m_reachedWindow, before) << "the page's filter takes its hotkeys";
        return Page().Engine().IsPlaying() ? Page().LastPlayedPad() : 0;
    }
    std::map<int, UINT> Registered() const {
        std::map<int, UINT> keys;
        for (const auto& [id, holder] : m_hotkeys.registered) {
            EXPECT_EQ(holder.first, m_hidden->GetHwnd());
            keys[id] = holder.second;
        }
        return keys;
    }
    void SetHotKey(int pad, UINT vk, UINT modifierKey) {
        EXPECT_TRUE(WithDialog<SInputHotKeyDlg>([&] { PadMenu(pad, kPadCmdSetHotKey); }, [&](SInputHotKeyDlg& dialog) {
            dialog.SendMessage(WM_KEYDOWN, modifierKey, 0);
            dialog.SendMessage(WM_KEYDOWN, vk, 0);
            Click(dialog, *dialog.FindChildByName(u"btnOK"));
        }));
    }

    std::uint64_t m_hook = 0;
    int m_reachedWindow = 0;
};

TEST_F(SoundHotKeyTest, FavouritesPlayFromTheirHotkeysWithTheWindowHiddenAndFollowTheList) {
    OpenWindow();
    EXPECT_TRUE(Registered().empty());  // the switch starts off
    Click(*m_dlg, *Named(u"chk_hotkey_switch"));
    std::map<int, UINT> expected;
    for (int i = 0; i < 8; ++i) expected[14000 + i] = kNum(1 + i);
    EXPECT_EQ(Registered(), expected);
    EXPECT_EQ(os::GetPrivateProfileInt(u"Config", u"EnableHotKey", 0, os::Utf8ToUtf16(MoodFile()).c_str()), 1);

    m_dlg->ShowWindow(SW_HIDE);
    EXPECT_EQ(Press(kNum(3)), 14002);
    m_dlg->ShowWindow(SW_SHOWNORMAL);
    m_dlg->UpdateWindow();

    // Set through the dialog: kept in the file, registered, played.
    SetHotKey(14008, VK_F1, VK_CONTROL);
    expected[14008] = kCtrlF1;
    EXPECT_EQ(Registered(), expected);
    {
        CMoodConfig reread;
        ASSERT_TRUE(reread.Init(os::Utf8ToUtf16(MoodFile())));
        EXPECT_EQ(reread.GetHotKey(8), kCtrlF1);
    }
    EXPECT_EQ(Press(kCtrlF1), 14008);
    // Taken by another favourite: a tip, nothing changes.
    SetHotKey(14009, VK_F1, VK_CONTROL);
    EXPECT_EQ(TipText(), u"此热键已经被其他特效占用！");
    EXPECT_EQ(Page().Mood().GetHotKey(9), 0u);

    // Deleted, then the first favourite removed: the ids follow the list.
    PadMenu(14000, kPadCmdDeleteHotKey);
    expected.erase(14000);
    EXPECT_EQ(Registered(), expected);
    PadMenu(14000, kPadCmdRemoveFavourite);
    std::map<int, UINT> shifted;
    for (const auto& [id, key] : expected) shifted[id - 1] = key;
    EXPECT_EQ(Registered(), shifted);
    EXPECT_EQ(Press(kNum(2)), 14000);

    Click(*m_dlg, *Named(u"chk_hotkey_switch"));
    EXPECT_TRUE(Registered().empty());
    EXPECT_EQ(Press(kNum(2)), 0);
}

// A mood file with two favourites on one key: the key registers for the
// first, and only the first shows it and offers to delete it.
TEST_F(SoundHotKeyTest, AKeyTwoFavouritesShareShowsOnlyOnThePadItPlays) {
    {
        CMoodConfig mood;
        ASSERT_TRUE(mood.Init(os::Utf8ToUtf16(MoodFile())));
        for (UINT key : {kCtrlF1, kNum(2), kCtrlF1}) {
            SoundItem item = BuiltInSoundItem(static_cast<int>(mood.GetFavorites().size()));
            item.hotkey = key;
            ASSERT_TRUE(mood.AddFavorite(item));
        }
    }
    ASSERT_TRUE(os::WritePrivateProfileString(u"Config", u"EnableHotKey", u"1", os::Utf8ToUtf16(MoodFile()).c_str()));
    OpenWindow();
    EXPECT_EQ(Registered(), (std::map<int, UINT>{{14000, kCtrlF1}, {14001, kNum(2)}}));
    auto keyText = [&](int pad) { return Pad(pad)->GetWindow(ui::GSW_NEXTSIBLING)->GetWindowText(true).str(); };
    EXPECT_FALSE(keyText(14000).empty());
    EXPECT_FALSE(keyText(14001).empty());
    EXPECT_EQ(keyText(14002), u"");
    EXPECT_EQ(Press(kCtrlF1), 14000);
    PadMenu(14002, 0);
    std::set<UINT> commands;
    for (const auto& item : m_menuItems) commands.insert(item.first);
    EXPECT_TRUE(commands.count(kPadCmdSetHotKey) && !commands.count(kPadCmdDeleteHotKey));
}

TEST_F(SoundHotKeyTest, AClosedWindowTakesOnlyItsOwnHotkeysSubscriptionsAndFilter) {
    OpenWindow();
    Click(*m_dlg, *Named(u"chk_hotkey_switch"));
    ASSERT_EQ(Registered().size(), 8u);
    // Another holder of a hotkey and of an event stays untouched.
    ASSERT_TRUE(m_hotkeys.Register(m_dlg->GetHwnd(), 20000, 0, 'Q'));
    int heard = 0;
    m_center->subscribeEvent(EventVolumeChange::EventID, [&](ui::EventArgs*) { return ++heard > 0; });
    CloseWindow();
    ASSERT_EQ(m_hotkeys.registered.size(), 1u);
    EXPECT_EQ(m_hotkeys.registered.count(20000), 1u);
    FireAppEventAsync(std::make_shared<EventVolumeChange>(nullptr));
    ui::test::PumpPending();
    EXPECT_EQ(heard, 1);
    qv::os::PostMessage(m_hidden->GetHwnd(), WM_HOTKEY, 14000, 0);
    PumpThroughFilters();
    EXPECT_EQ(m_reachedWindow, 1);  // no filter takes it now

    // The window made again (from the tray): its hotkeys again.
    m_hotkeys.registered.erase(20000);
    OpenWindow();
    EXPECT_EQ(Registered().size(), 8u);
    EXPECT_EQ(Press(kNum(8)), 14007);
}

}  // namespace
}  // namespace qv::test
