// The sound pads page in the main window, once per family: the pads built
// from the mood file's lists, playing on the family's card at the pad
// volume, the play clock on the stepped clock, the volume popup, the pad
// menus' commands and a local file added, renamed and deleted.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "platform/os/Profile.h"
#include "platform/os/Utf.h"
#include "platform/ui/STrText.h"
#include "platform/ui/controls/SProgress.h"
#include "platform/ui/controls/SSliderBar.h"
#include "platform/ui/controls/STabCtrl.h"
#include "plugin/app/AppEvents.h"
#include "plugin/dialogs/DlgEditFileName.h"
#include "plugin/dialogs/SetVolumeDlg.h"
#include "plugin/model/RecordText.h"
#include "plugin/pages/SoundPadMenu.h"
#include "plugin/workspace/SettingsStore.h"
#include "tests/soundpage/SoundPageEnv.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/ExpectedFamily.h"
#include "tests/support/UiInput.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

constexpr int kLocalTab = 1;

class SoundPageTest : public SoundPageEnv {
protected:
    std::u16string PadText(int id) const { return ui::DisplayText(Pad(id)->GetWindowText(true)).str(); }
    // The pads of a scroll view, in order, by id.
    std::vector<int> PadIds(const char16_t* view) const {
        std::vector<int> ids;
        ui::SWindow* v = Named(view);
        for (ui::SWindow* c = v ? v->GetWindow(ui::GSW_FIRSTCHILD) : nullptr; c; c = c->GetWindow(ui::GSW_NEXTSIBLING))
            ids.push_back(c->GetID() ? c->GetID() : c->GetWindow(ui::GSW_FIRSTCHILD)->GetID());
        return ids;
    }
    // Distinct tops of a view's pads: its rows as laid out.
    int Rows(const char16_t* view) const {
        std::set<int> tops;
        for (ui::SWindow* c = Named(view)->GetWindow(ui::GSW_FIRSTCHILD); c; c = c->GetWindow(ui::GSW_NEXTSIBLING))
            tops.insert(c->GetWindowRect().top);
        return static_cast<int>(tops.size());
    }
    SoundItem Custom(const std::u16string& name, const std::string& file) {
        SoundItem item;
        EXPECT_TRUE(MakeSoundItem(item, kSoundFile, name, os::Utf8ToUtf16(file)));
        return item;
    }
    ui::SProgress* Progress() const { return dynamic_cast<ui::SProgress*>(Named(u"progress_sound_play")); }
    std::u16string ClockText() const { return Named(u"txt_sound_play_time")->GetWindowText().str(); }
    // Plays the pad to its end and returns the peak that reached the card.
    int PeakOfPad(int id) {
        ClickPad(id);
        EXPECT_TRUE(Page().Engine().IsPlaying()) << os::Utf16ToUtf8(TipText());
        EXPECT_TRUE(WaitUntilPlayed());
        Page().Engine().ReleasePlayer();  // the device's file is complete once it closes
        const int peak = MeasureTone(CardSamples(), 48000, 2).peak;
        fs::remove(CardOutput());
        return peak;
    }
};

TEST_F(SoundPageTest, ANewMoodFileGetsTheBuiltInFavouritesAndEveryListBecomesPads) {
    OpenWindow();
    // A new file: UTF-16, volume 76, the switch off, nothing registered.
    ASSERT_TRUE(fs::exists(MoodFile()));
    EXPECT_EQ(ReadBytes(MoodFile()).at(0), 0xFF);
    EXPECT_EQ(Page().Mood().GetVolume(), 76);
    EXPECT_FALSE(Named(u"chk_hotkey_switch")->IsChecked());
    EXPECT_TRUE(m_hotkeys.registered.empty());
    const std::vector<SoundItem>& favourites = Page().Mood().GetFavorites();
    ASSERT_EQ(favourites.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(favourites[i].hotkey, i < 8 ? 0x61u + i : 0u) << i;
        EXPECT_EQ(favourites[i].kind, kSoundBuiltIn);
    }
    EXPECT_EQ(FieldText(favourites[9].path), u"DJ_BS");
    EXPECT_EQ(PadIds(u"scrollview_sound_common"), (std::vector<int>{14000, 14001, 14002, 14003, 14004, 14005, 14006, 14007, 14008, 14009}));
    EXPECT_EQ(PadText(14006), u"欢迎大哥");
    EXPECT_FALSE(Pad(14000)->GetParent()->GetWindow(ui::GSW_LASTCHILD)->GetWindowText().IsEmpty());  // "Num 1"
    EXPECT_TRUE(Pad(14009)->GetParent()->GetWindow(ui::GSW_LASTCHILD)->GetWindowText().IsEmpty());
    ShowTab(kLocalTab);
    std::vector<int> local = PadIds(u"scrollview_sound_local");
    ASSERT_EQ(local.size(), 11u);
    EXPECT_EQ(local.front(), 15000);
    EXPECT_EQ(local[9], 15009);
    EXPECT_EQ(local.back(), kAddLocalPad);
    EXPECT_EQ(Rows(u"scrollview_sound_local"), 3);
    EXPECT_TRUE(PadIds(u"scrollview_sound_download").empty());
    CloseWindow();

    // The user's own sounds (one named with markup), downloads, a missing
    // file and the stored tab, at the next start.
    const std::string tone = MakeTone("tone.mp3", 0.3);
    CMoodConfig mood;
    ASSERT_TRUE(mood.Init(os::Utf8ToUtf16(MoodFile())));
    for (const char16_t* name : {u"鼓", u"a&<\"b'>", u"三", u"走了"}) ASSERT_TRUE(mood.AddCustomSound(Custom(name, tone)));
    ASSERT_TRUE(mood.AddCustomSound(Custom(u"gone", m_dir + "/none.mp3")));
    SoundItem download = Custom(u"云", tone);
    download.cloudId = 7;
    ASSERT_TRUE(mood.AddDownload(download));
    ASSERT_TRUE(CSettingsStore::GetStore(0)->WriteInt(u"nCurSelTabIndex", u"tabSound", 2));
    OpenWindow();
    EXPECT_EQ(Page().Mood().GetFavorites().size(), 10u);  // kept, not added again
    EXPECT_EQ(dynamic_cast<ui::STabCtrl*>(Named(u"tab_sound"))->GetCurSel(), 2);
    EXPECT_EQ(PadIds(u"scrollview_sound_download"), std::vector<int>{17000});
    ShowTab(kLocalTab);
    local = PadIds(u"scrollview_sound_local");
    ASSERT_EQ(local.size(), 15u);  // the missing file is dropped
    EXPECT_EQ(local[10], 15010);
    EXPECT_EQ(local[13], 15013);
    EXPECT_EQ(PadText(15011), u"a&<\"b'>");  // one pad, its name as text
    EXPECT_EQ(Rows(u"scrollview_sound_local"), 4);
}

TEST_F(SoundPageTest, PadsPlayOnTheFamilysCardAtThePadVolumeSetInThePopup) {
    const std::string tone = MakeTone("tone.mp3", 0.5);
    OpenWindow();
    ShowTab(kLocalTab);
    ASSERT_TRUE(Page().Mood().AddCustomSound([&] {
        SoundItem item;
        MakeSoundItem(item, kSoundFile, u"tone", os::Utf8ToUtf16(tone));
        return item;
    }()));
    CloseWindow();
    OpenWindow();
    ShowTab(kLocalTab);
    // Built-in resource and local file, at 100 and then at 50.
    ASSERT_TRUE(m_center);
    auto setVolume = [&](int volume) {
        auto event = std::make_shared<EventVolumeChange>(nullptr);
        event->volume = volume;
        FireAppEventAsync(event);
        ui::test::PumpPending();
    };
    setVolume(100);
    const int builtInFull = PeakOfPad(15005);
    const int fileFull = PeakOfPad(15010);
    ASSERT_GT(builtInFull, 1000);
    ASSERT_GT(fileFull, 1000);
    EXPECT_FALSE(fs::exists(m_dir + "/default-out.raw"));  // the card's device, never the default

    // The popup sits over the volume button; each wheel notch is one step.
    Click(*m_dlg, *Named(u"btn_volume"));
    CSetVolumeDlg* popup = CSetVolumeDlg::Current();
    ASSERT_NE(popup, nullptr);
    ui::CRect button = Named(u"btn_volume")->GetWindowRect();
    ui::CPoint anchor(button.left + button.Width() / 2, button.top - button.Height() / 2 - Expected().volumePopupLift);
    m_dlg->ClientToScreen(anchor);
    const ui::CRect at = popup->GetScreenRect();
    EXPECT_EQ(at.bottom, anchor.y);
    EXPECT_EQ(at.left + at.Width() / 2, anchor.x);
    auto* slider = popup->FindChildByName2<ui::SSliderBar>(u"slider_sound_volume");
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->GetValue(), 100);
    int changes = 0;
    m_center->subscribeEvent(EventVolumeChange::EventID, [&](ui::EventArgs*) { ++changes; return false; });
    Wheel(*popup, 120, CenterOf(slider));  // at 100 nothing moves or fires
    ui::test::PumpPending();
    EXPECT_EQ(changes, 0);
    for (int i = 0; i < 50; ++i) Wheel(*popup, -120, CenterOf(slider));
    ui::test::PumpPending();
    EXPECT_EQ(changes, 50);
    EXPECT_EQ(slider->GetValue(), 50);
    EXPECT_EQ(Page().Mood().GetVolume(), 50);
    EXPECT_EQ(os::GetPrivateProfileInt(u"Config", u"Volume", 0, os::Utf8ToUtf16(MoodFile()).c_str()), 50);
    // A click elsewhere closes it.
    m_dlg->SetForegroundWindow();
    ui::test::PumpPending();
    EXPECT_EQ(CSetVolumeDlg::Current(), nullptr);

    EXPECT_NEAR(PeakOfPad(15005), builtInFull / 2.0, builtInFull / 2.0 * 0.05);
    EXPECT_NEAR(PeakOfPad(15010), fileFull / 2.0, fileFull / 2.0 * 0.05);
}

// A sound under a second reads 0 s long: its bar runs over 0 .. 1.
TEST_F(SoundPageTest, ThePlayClockRunsTheLengthShowsOneFullTickThenResets) {
    struct Case {
        double seconds;
        int max;                  // of the bar
        std::u16string length;    // shown with the full bar at the end
    };
    const Case cases[] = {{2.2, 2, u"00:00:02"}, {0.3, 1, u"00:00:00"}};
    CMoodConfig mood;
    fs::create_directories(DataFolder());
    ASSERT_TRUE(mood.Init(os::Utf8ToUtf16(MoodFile())));
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.max);
        ASSERT_TRUE(mood.AddCustomSound(Custom(os::Utf8ToUtf16(name), MakeTone(name + ".mp3", c.seconds))));
    }
    UseDiskAudio(m_dir + "/default-out.raw", m_dir + "/default-in.raw", 20);  // about real time
    OpenWindow();
    ShowTab(kLocalTab);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.seconds);
        const int pad = kFirstCustomPad + static_cast<int>(i);
        ClickPad(pad);
        ASSERT_TRUE(Page().PlayClock().IsRunning()) << os::Utf16ToUtf8(TipText());
        ASSERT_EQ(Progress()->GetMax(), c.max);
        EXPECT_EQ(Progress()->GetValue(), 0);
        EXPECT_EQ(ClockText(), u"00:00:00");
        // Each tick after the device moved on (or ended): what the play area shows.
        std::vector<std::pair<int, std::u16string>> shown;
        for (int tick = 0; tick < 200 && Page().PlayClock().IsRunning(); ++tick) {
            audio::AudioPosition before;
            Page().Engine().GetPlayerPosition(&before);
            ASSERT_TRUE(WaitFor([&] {
                audio::AudioPosition now;
                Page().Engine().GetPlayerPosition(&now);
                return now.milliseconds != before.milliseconds || !Page().Engine().IsPlaying();
            }));
            Advance(CSoundPlayClock::kIntervalMs);
            shown.emplace_back(Progress()->GetValue(), ClockText());
        }
        ASSERT_FALSE(Page().PlayClock().IsRunning());
        ASSERT_GE(shown.size(), 2u);
        // Up the sound's seconds, one tick with the full bar and the length, then reset.
        const auto end = shown.end();
        EXPECT_EQ(*(end - 1), std::make_pair(0, std::u16string(u"00:00:00")));
        EXPECT_EQ(*(end - 2), std::make_pair(c.max, c.length));
        const bool oneSecondShown = std::find(shown.begin(), end, std::make_pair(1, std::u16string(u"00:00:01"))) != end;
        EXPECT_EQ(oneSecondShown, c.max > 1);
        for (auto it = shown.begin() + 1; it != end - 1; ++it) EXPECT_GE(it->first, (it - 1)->first);
    }
    // Stop returns to the stopped state at once; a card change stops the
    // clock and leaves the sound playing.
    for (const bool stop : {true, false}) {
        ClickPad(kFirstCustomPad);
        ASSERT_TRUE(Page().PlayClock().IsRunning());
        if (stop) {
            Click(*m_dlg, *Named(u"btn_sound_stop"));
        } else {
            EventDeviceChanged changed(m_dlg.get());
            FireAppEventSync(changed);
        }
        EXPECT_FALSE(Page().PlayClock().IsRunning());
        EXPECT_EQ(ClockText(), u"00:00:00");
        EXPECT_EQ(Page().Engine().IsPlaying(), !stop);
    }
}

// A pad that does not play says so at the pad (the engine's reason goes to
// the log) and leaves the play area stopped: a local sound and a downloaded
// one whose files are no sound, and an id of no list.
TEST_F(SoundPageTest, AFailingPadSaysSoAndLeavesThePlayAreaStopped) {
    CMoodConfig mood;
    fs::create_directories(DataFolder());
    ASSERT_TRUE(mood.Init(os::Utf8ToUtf16(MoodFile())));
    std::ofstream(m_dir + "/junk.mp3") << "not a sound";
    ASSERT_TRUE(mood.AddCustomSound(Custom(u"junk", m_dir + "/junk.mp3")));
    SoundItem download = Custom(u"云", m_dir + "/junk.mp3");
    download.cloudId = 7;
    ASSERT_TRUE(mood.AddDownload(download));
    const std::string tone = MakeTone("tone.mp3", 2);
    ASSERT_TRUE(mood.AddCustomSound(Custom(u"tone", tone)));
    OpenWindow();
    struct Case {
        int tab;
        int pad;
    };
    for (const Case& c : {Case{kLocalTab, kFirstCustomPad}, Case{2, kFirstDownloadPad}, Case{0, 16000}}) {
        SCOPED_TRACE(c.pad);
        ShowTab(kLocalTab);
        ClickPad(kFirstCustomPad + 1);  // a sound that plays first
        ASSERT_TRUE(Page().PlayClock().IsRunning()) << os::Utf16ToUtf8(TipText());
        ShowTab(c.tab);
        if (Pad(c.pad))
            ClickPad(c.pad);
        else
            Page().PlaySoundByCtrlId(c.pad);
        EXPECT_EQ(TipText(), u"播放失败");
        EXPECT_FALSE(Page().PlayClock().IsRunning());
        EXPECT_FALSE(Page().Engine().IsPlaying());
        EXPECT_EQ(ClockText(), u"00:00:00");
    }
}

TEST_F(SoundPageTest, TheMenusCommandsKeepFavouritesAndTheUsersOwnSounds) {
    const std::string tone = MakeTone("A-B.mp3", 0.3);
    OpenWindow();
    ShowTab(kLocalTab);
    // "+": the open dialog, then the name dialog with "A" proposed.
    m_files.QueueAnswer(os::Utf8ToUtf16(tone));
    std::u16string proposed;
    EXPECT_TRUE(WithDialog<CDlgEditFileName>([&] { ClickPad(kAddLocalPad); }, [&](CDlgEditFileName& dialog) {
        proposed = dialog.FindChildByName(u"edit_name")->GetWindowText().str();
        dialog.FindChildByName(u"edit_name")->SetWindowText(u"   ");
        Click(dialog, *dialog.FindChildByName(u"btnOK"));  // refused: stays
        ASSERT_EQ(m_boxes.Boxes().size(), 1u);
        EXPECT_EQ(m_boxes.Boxes()[0].text, u"特效名称不能为空！");
        dialog.FindChildByName(u"edit_name")->SetWindowText(u"  A  ");
        Click(dialog, *dialog.FindChildByName(u"btnOK"));
    }));
    EXPECT_EQ(proposed, u"A");
    EXPECT_EQ(CDlgEditFileName(u"-AB").GetFileName(), u"-AB");  // a leading '-' stays
    ASSERT_EQ(m_files.Requests().size(), 1u);
    const desktop::FileDialogOptions& asked = m_files.Requests()[0].options;
    EXPECT_TRUE(asked.mustExist);
    EXPECT_EQ(asked.owner, m_dlg->GetHwnd());
    ASSERT_EQ(asked.filters.size(), 1u);
    ASSERT_EQ(PadIds(u"scrollview_sound_local").size(), 12u);
    EXPECT_EQ(PadText(15010), u"A");
    ClickPad(15010);
    EXPECT_TRUE(Page().PlayClock().IsRunning()) << os::Utf16ToUtf8(TipText());

    // Into the favourites once; the second time it is there already.
    PadMenu(15010, kPadCmdAddFavourite);
    EXPECT_EQ(TipText(), u"成功添加到收藏夹！");
    const std::vector<std::pair<UINT, std::u16string>> customMenu = m_menuItems;
    PadMenu(15010, kPadCmdAddFavourite);
    EXPECT_EQ(TipText(), u"收藏夹中已经存在“A”");
    EXPECT_EQ(Page().Mood().GetFavorites().size(), 11u);
    EXPECT_EQ(Pad(14010)->GetWindowText().str(), u"A");
    ASSERT_GE(customMenu.size(), 3u);
    EXPECT_EQ(customMenu.back().first, static_cast<UINT>(Expected().renameCommand));
    // Only dorbII's menu leads with the card's keys, and only its page takes
    // their commands: a send of the menu's pad.
    const bool keys = Expected().soundKeys;
    EXPECT_EQ(customMenu.front().first == 1006, keys);
    int sends = 0;
    m_center->addEvent(EventDoSendData::EventID, EventDoSendData::EventName);
    m_center->subscribeEvent(EventDoSendData::EventID, [&sends](ui::EventArgs*) { return ++sends, false; });
    for (UINT key : {kPadCmdSendSlot1, kPadCmdSendSlot3}) m_dlg->SendMessage(WM_COMMAND, key, 0);
    ui::test::PumpPending();
    EXPECT_EQ(sends, keys ? 2 : 0);

    // Renamed: the local pad only; the favourite keeps its copy.
    EXPECT_TRUE(WithDialog<CDlgEditFileName>([&] { PadMenu(15010, Expected().renameCommand); },
                                             [&](CDlgEditFileName& dialog) {
                                                 dialog.FindChildByName(u"edit_name")->SetWindowText(u"新名字很长很长很长");
                                                 Click(dialog, *dialog.FindChildByName(u"btnOK"));
                                             }));
    EXPECT_EQ(PadText(15010), u"新名字很长很长");
    EXPECT_EQ(Pad(14010)->GetWindowText().str(), u"A");

    // Deleting the sound that plays stops it; its favourite stays (other name).
    ClickPad(15010);
    ASSERT_TRUE(Page().PlayClock().IsRunning());
    PadMenu(15010, kPadCmdDeleteSound);
    EXPECT_FALSE(Page().Engine().IsPlaying());
    EXPECT_FALSE(Page().PlayClock().IsRunning());
    EXPECT_EQ(PadIds(u"scrollview_sound_local").size(), 11u);
    EXPECT_EQ(Page().Mood().GetFavorites().size(), 11u);

    // A favourite's menu removes it; an id past a list opens no menu.
    ShowTab(0);
    PadMenu(14010, kPadCmdRemoveFavourite);
    EXPECT_EQ(Page().Mood().GetFavorites().size(), 10u);
    EXPECT_EQ(Pad(14010), nullptr);
    Page().PlaySoundByCtrlId(14500);  // no such favourite: nothing at all
    EXPECT_FALSE(Page().Engine().IsPlaying());
    EXPECT_EQ(TipText(), u"收藏夹中已经存在“A”");
}

TEST_F(SoundPageTest, AMoodFileThatCannotBeReadIsSetAsideAndThePadsStartAfresh) {
    fs::create_directories(DataFolder());
    std::ofstream(MoodFile(), std::ios::binary) << std::string("\xFF\xFE[\0H\0]\0\0\0", 10);
    OpenWindow();
    int asides = 0;
    for (const auto& entry : fs::directory_iterator(DataFolder()))
        asides += entry.path().filename().string().rfind(os::Utf16ToUtf8(Expected().moodFile) + ".damaged-", 0) == 0;
    EXPECT_EQ(asides, 1);
    EXPECT_EQ(Page().Mood().GetVolume(), 76);
    EXPECT_EQ(Page().Mood().GetFavorites().size(), 10u);
    // Told once the window is up, naming the file.
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_NE(m_boxes.Boxes()[0].text.str().find(Expected().moodFile), std::u16string::npos);
}

}  // namespace
}  // namespace qv::test
