// The effect page in the main window against the simulated card, once per
// family: every parameter control edits the card, the card's changes reach
// the controls, the page's view follows the current effect and the card's
// state, the reverb view's origin, and the firmware question.
#include <gtest/gtest.h>

#include <string>

#include "controls/QvEQ.h"
#include "platform/ui/controls/SProgress.h"
#include "platform/ui/controls/SScrollView.h"
#include "platform/ui/controls/STabCtrl.h"
#include "plugin/app/AppEvents.h"
#include "plugin/dialogs/DlgUpgradeFirmware.h"
#include "plugin/model/RecordText.h"
#include "plugin/workspace/SettingsStore.h"
#include "tests/effect/EffectPageEnv.h"
#include "tests/support/ExpectedFamily.h"
#include "tests/support/UiInput.h"

namespace qv::test {
namespace {

constexpr int kParamEffectNumber = 4;
constexpr int kParamEffectSelector = 8;
constexpr int kParamVoiceSwitch = 15;
constexpr int kReverbBank = 2;

class EffectPageTest : public EffectPageEnv {
protected:
    void Open() {
        ConnectCard();
        OpenWindow();
    }
    int ValueOf(int controlId) const {
        auto* progress = dynamic_cast<ui::SProgress*>(Control(controlId));
        return progress ? progress->GetValue() : -1;
    }
    void ClickControl(int id) {
        ui::SWindow* control = Control(id);
        ASSERT_NE(control, nullptr) << id;
        Click(*m_dlg, *control);
    }
    void PressKeys(int id, std::initializer_list<UINT> keys) {
        Control(id)->SetFocus();
        for (UINT vk : keys) KeyDown(*m_dlg, vk);
    }
    // Selects the box's text and types the value into it, then Enter.
    void TypeInto(int id, const std::u16string& text) {
        ui::SWindow* box = Control(id);
        box->SetFocus();
        m_dlg->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(CenterOf(box).x, CenterOf(box).y));
        m_dlg->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(CenterOf(box).x, CenterOf(box).y));
        for (char16_t ch : text) Char(*m_dlg, ch);
        KeyDown(*m_dlg, VK_RETURN);
    }
    const ParamDescriptor& Descriptor(int id) { return Model().GetDescriptors()[static_cast<std::size_t>(id)]; }
    // The value of a parameter as its box shows it.
    std::u16string Shown(int id, int raw) {
        const ParamDescriptor& d = Descriptor(id);
        return std::u16string(ui::SStringW::Format(u"%d", static_cast<int>(raw * d.scale) + d.displayOffset).str());
    }
    // The page of the effect tabs that holds the button.
    void ShowEffectTab(int button) { dynamic_cast<ui::STabCtrl*>(Control(900))->SetCurSel(button >= FirstUserButton() ? 1 : 0); }
    int PitchPage() { return dynamic_cast<ui::STabCtrl*>(Named(u"tab_reverb_pitch"))->GetCurSel(); }
    bool Visible(const char16_t* name) { return Named(name) && Named(name)->IsVisible(); }
    std::u16string Text(const char16_t* name) { return Named(name)->GetWindowText().str(); }
    int CheckedEffectButton() {
        for (int i = 0; i < EffectButtons(); ++i)
            if (Control(10000 + i)->IsChecked()) return i;
        return -1;
    }
    double EqGain(int band) {
        auto* eq = dynamic_cast<controls::QvEQ*>(Named(u"eq_curve"));
        return eq->GetModel().GetBand(band)->gain;
    }
    void ExpectEqFollowsTheModel(const char* when) {
        SCOPED_TRACE(when);
        for (int band = 0; band < 10; ++band) EXPECT_DOUBLE_EQ(EqGain(band), Model().GetValue(25 + band) - 12.0) << band;
    }
};

TEST_F(EffectPageTest, EveryParameterControlLeavesTheCardEqualToTheModel) {
    Open();
    // Effect 1 opens the reverb section, the girl voice the voice change,
    // the electric effect the electric section.
    ClickControl(10001);
    for (int id : {0, 1, 2, 3, 9, 20, 22, 23, 38}) {
        SCOPED_TRACE(id);
        PressKeys(8000 + id, {VK_HOME, VK_DOWN});
        EXPECT_EQ(Model().GetValue(id), Descriptor(id).maximum - 1);
        EXPECT_EQ(Control(6000 + id)->GetWindowText().str(), Shown(id, Descriptor(id).maximum - 1));
        EXPECT_TRUE(CardMatchesModel(id));
        const int half = Descriptor(id).maximum / 2;
        TypeInto(6000 + id, Shown(id, half));
        EXPECT_EQ(Model().GetValue(id), half);
        EXPECT_EQ(ValueOf(8000 + id), half);
        EXPECT_TRUE(CardMatchesModel(id));
    }
    for (int id = 25; id <= 34; ++id) {
        SCOPED_TRACE(id);
        ui::SWindow* slider = Control(2000 + id);
        const ui::CRect rc = slider->GetWindowRect();
        Drag(*m_dlg, CenterOf(slider), ui::CPoint(rc.CenterPoint().x, rc.top - 5));
        EXPECT_EQ(Model().GetValue(id), 24);
        EXPECT_TRUE(CardMatchesModel(id));
        PressKeys(6000 + id, {VK_DOWN, VK_DOWN, VK_DOWN});
        EXPECT_EQ(Model().GetValue(id), 21);
        EXPECT_EQ(ValueOf(2000 + id), 21);
        EXPECT_TRUE(CardMatchesModel(id));
    }
    for (int id : {5, 6, 10, Expected().plusTenDbParams[0], Expected().plusTenDbParams[1]}) {
        SCOPED_TRACE(id);
        const int before = Model().GetValue(id);
        ClickControl(7000 + id);
        EXPECT_EQ(Model().GetValue(id), 1 - before);
        EXPECT_TRUE(CardMatchesModel(id));
    }
    ClickControl(10000 + Expected().girlVoiceEffect);
    for (int id : {16, 17}) {
        SCOPED_TRACE(id);
        PressKeys(8000 + id, {VK_END, VK_UP, VK_UP});
        EXPECT_EQ(Model().GetValue(id), 2);
        EXPECT_TRUE(CardMatchesModel(id));
        TypeInto(6000 + id, Shown(id, 9));
        EXPECT_EQ(Model().GetValue(id), 9);
        EXPECT_TRUE(CardMatchesModel(id));
    }
    ClickControl(10000 + Expected().electricEffect);
    for (int option : {1, 0}) {
        ClickControl(600018 + 1000 * option);
        EXPECT_EQ(Model().GetValue(18), option);
        EXPECT_TRUE(CardMatchesModel(18));
    }
    for (int option : {11, 3, 7, 0, 1, 2, 4, 5, 6, 8, 9, 10}) {
        SCOPED_TRACE(option);
        ClickControl(600019 + 1000 * option);
        EXPECT_EQ(Model().GetValue(19), option);
        EXPECT_TRUE(CardMatchesModel(19));
    }
}

TEST_F(EffectPageTest, TheCardsChangesMoveTheBoundControlsAndTheCurve) {
    Open();
    ASSERT_TRUE(m_card.SendNotification({{0, 3}, {25, 20}, {26, 2}, {5, 1}, {19, 4}, {38, 99}}));
    ASSERT_TRUE(WaitFor([&] { return Model().GetValue(38) == 99; }));
    EXPECT_EQ(ValueOf(8000), 3);
    EXPECT_EQ(Control(6000)->GetWindowText().str(), u"3");
    EXPECT_EQ(ValueOf(2025), 20);
    EXPECT_EQ(Control(6025)->GetWindowText().str(), u"8");
    EXPECT_TRUE(Control(7005)->IsChecked());
    EXPECT_TRUE(Control(604019)->IsChecked());
    EXPECT_FALSE(Control(600019)->IsChecked());
    EXPECT_EQ(ValueOf(8038), 99);
    EXPECT_DOUBLE_EQ(EqGain(0), 8.0);
    EXPECT_DOUBLE_EQ(EqGain(1), -10.0);
    ExpectEqFollowsTheModel("after a card notification");
}

TEST_F(EffectPageTest, TheCurveFollowsSlidersPresetsAndEffects) {
    Open();
    ExpectEqFollowsTheModel("at the start");
    ClickControl(10001);
    PressKeys(2027, {VK_HOME});
    ExpectEqFollowsTheModel("after a slider move");
    ClickControl(11103);
    ExpectEqFollowsTheModel("after a preset");
    EXPECT_TRUE(Control(11103)->IsChecked());
    ClickControl(10004);
    ExpectEqFollowsTheModel("after an effect");
    EXPECT_FALSE(Control(11103)->IsChecked());  // an effect unchecks the presets
}

// The view of each effect: checked button, overlays, save button, pitch tab, title.
TEST_F(EffectPageTest, ThePageShowsWhatTheCurrentEffectUses) {
    Open();
    ASSERT_TRUE(Model().SaveCustomEffect(u"我的低音", 1, 2));
    struct Case {
        int button;  // clicked, and then the one checked
        bool notElectric, electric, reverbPitch, save;
        int pitchPage;
        std::u16string name;
    };
    // dorbII locks reverb and voice change under 原声 and the voice change
    // unless a voice effect is current; zenk has neither lock.
    const std::vector<Case> dorbII = {
        {0, false, true, true, true, 0, u"原声"},
        {1, false, true, false, true, 0, u"唱歌"},
        {2, false, true, false, true, 0, u"迷幻"},
        {3, false, true, false, true, 0, u"R&&B"},
        {4, false, true, false, true, 0, u"闪避"},
        {5, false, true, false, true, 1, u"魔兽音"},
        {6, false, true, false, true, 1, u"萝莉音"},
        {7, false, true, false, true, 0, u"老唱片"},
        {8, true, false, false, false, 0, u"电音"},
        {9, false, true, false, true, 0, u"自定义1"},
        {11, false, true, false, true, 0, u"自定义3"},
        {14, false, true, true, true, 0, u"我的低音"},  // saved while 原声 was current
    };
    const std::vector<Case> zenk = {
        {0, false, true, false, true, 0, u"聊天"},
        {1, false, true, false, true, 0, u"专业"},
        {4, false, true, false, true, 0, u"怀旧"},
        {5, false, true, false, true, 0, u"闪避"},
        {6, false, true, false, true, 1, u"娃娃音"},
        {7, true, false, false, false, 0, u"电音"},
        {8, false, true, false, true, 0, u"自定义1"},
        {10, false, true, false, true, 0, u"自定义3"},
        {13, false, true, false, true, 0, u"我的低音"},
    };
    const bool locks = !IsZenkBuild();
    for (const Case& c : locks ? dorbII : zenk) {
        SCOPED_TRACE(c.button);
        ShowEffectTab(c.button);
        ClickControl(10000 + c.button);
        EXPECT_EQ(CheckedEffectButton(), c.button);
        EXPECT_EQ(Visible(u"forbid_not_electric_param"), c.notElectric);
        EXPECT_EQ(Visible(u"forbid_electric_param"), c.electric);
        EXPECT_EQ(Visible(u"forbid_reverb_pitch_param"), c.reverbPitch);
        EXPECT_EQ(Control(12100)->IsVisible(), c.save);
        EXPECT_EQ(PitchPage(), c.pitchPage);
        EXPECT_EQ(Visible(u"forbid_pitch_param"), locks && c.pitchPage == 0);
        EXPECT_EQ(Text(u"txt_eff_title"), u"当前音效：" + c.name);
    }
    // The voice-change switch turned on by the card opens dorbII's pitch
    // page; zenk's follows the girl voice only.
    ShowEffectTab(1);
    ClickControl(10001);
    auto notify = [&](int param, int value) {
        const int selector = Model().GetValue(kParamEffectSelector);
        ASSERT_TRUE(m_card.SendNotification({{static_cast<std::uint8_t>(param), static_cast<std::uint16_t>(value)},
                                             {kParamEffectSelector, static_cast<std::uint16_t>(1 - selector)}}));
        ASSERT_TRUE(WaitFor([&] { return Model().GetValue(kParamEffectSelector) == 1 - selector; }));
        ASSERT_EQ(Model().GetValue(param), value);
    };
    notify(kParamVoiceSwitch, 1);
    EXPECT_EQ(PitchPage(), locks ? 1 : 0);
    EXPECT_FALSE(Visible(u"forbid_pitch_param"));
    notify(kParamVoiceSwitch, 0);
    EXPECT_EQ(PitchPage(), 0);
    EXPECT_EQ(Visible(u"forbid_pitch_param"), locks);

    // The pitch page opened by hand: a card change of parameter 8 (and not of
    // parameter 7) makes the page show the current effect again.
    auto* pitchTabs = dynamic_cast<ui::STabCtrl*>(Named(u"tab_reverb_pitch"));
    for (const auto& [param, refreshes] : {std::pair{7, false}, std::pair{8, true}}) {
        SCOPED_TRACE(param);
        pitchTabs->SetCurSel(1);
        const int before = Model().GetValue(param);
        ASSERT_TRUE(m_card.SendNotification({{static_cast<std::uint8_t>(param), static_cast<std::uint16_t>(1 - before)}}));
        ASSERT_TRUE(WaitFor([&] { return Model().GetValue(param) == 1 - before; }));
        EXPECT_EQ(pitchTabs->GetCurSel(), refreshes ? 0 : 1);
    }
}

// Each bank's "恢复默认" (13001..13003) with no preset of the bank chosen:
// that bank, and only that one, takes the checked effect's values again.
TEST_F(EffectPageTest, EachBanksDefaultButtonBringsBackThatBankOfTheCheckedEffect) {
    Open();
    const int kEffect = Expected().girlVoiceEffect;  // the pitch page is open under it
    ClickControl(10000 + kEffect);
    auto* pitchTabs = dynamic_cast<ui::STabCtrl*>(Named(u"tab_reverb_pitch"));
    const EffectRecord& effect = Model().GetDeviceEffects()[kEffect];
    const EffectRecord& first = Model().GetDeviceEffects()[0];
    auto members = [&](int bank) { return *Model().GetParamGroup(bank); };
    bool differs = false;
    for (int bank = 1; bank <= 3; ++bank)
        for (const ParamDescriptor* d : members(bank)) differs |= effect.values[d->id] != first.values[d->id];
    ASSERT_TRUE(differs) << "the test needs an effect whose banks differ from effect 0's";
    for (int bank = 1; bank <= 3; ++bank) {
        SCOPED_TRACE(bank);
        // Every bank moved away from the effect, as the user's controls do.
        for (int other = 1; other <= 3; ++other)
            for (const ParamDescriptor* d : members(other))
                Model().WriteParam(d->id, effect.values[d->id] == 0 ? 1 : effect.values[d->id] - 1);
        // The reverb's button is on the first page of its tab, the pitch's on the second.
        if (bank >= 2) pitchTabs->SetCurSel(bank - 2);
        ClickControl(13000 + bank);
        for (int other = 1; other <= 3; ++other)
            for (const ParamDescriptor* d : members(other))
                EXPECT_EQ(Model().GetValue(d->id), other == bank ? effect.values[d->id] : effect.values[d->id] == 0 ? 1 : effect.values[d->id] - 1)
                    << "bank " << other << " parameter " << d->id;
        EXPECT_TRUE(CardMatchesModel(members(bank).front()->id));
        EXPECT_EQ(CheckedEffectButton(), kEffect);
    }
}

TEST_F(EffectPageTest, AnEffectNumberWithoutAButtonChecksNone) {
    Open();
    ASSERT_TRUE(m_card.SendNotification({{kParamEffectNumber, 12}}));
    ASSERT_TRUE(WaitFor([&] { return Model().GetValue(kParamEffectNumber) == 12; }));
    EXPECT_EQ(CheckedEffectButton(), -1);
}

TEST_F(EffectPageTest, AnEmptyUserSlotIsRefusedAndChangesNothing) {
    Open();
    ClickControl(10002);
    const auto frames = m_card.ReceivedFrames().size();
    ShowEffectTab(FirstUserButton());
    ClickControl(10000 + FirstUserButton());
    EXPECT_EQ(TipText(), u"您尚未保存该音效！");
    EXPECT_EQ(CheckedEffectButton(), 2);
    EXPECT_EQ(Model().GetValue(kParamEffectNumber), 2);
    Advance(400);
    EXPECT_EQ(m_card.ReceivedFrames().size(), frames);
}

TEST_F(EffectPageTest, AClickUnderAShownOverlayChangesNothingOnTheCard) {
    Open();
    ASSERT_TRUE(Visible(u"forbid_electric_param"));
    const auto frames = m_card.ReceivedFrames().size();
    for (int id : {600018, 601018, 605019}) ClickControl(id);
    if (!IsZenkBuild()) {
        ASSERT_TRUE(Visible(u"forbid_reverb_pitch_param"));  // 原声
        for (int id : {8020, 8038, 11203, 13002, 12002}) ClickControl(id);
    }
    ClickControl(10000 + Expected().electricEffect);  // locks the equaliser and the reverb instead
    Advance(20);  // the overlay is laid out where it now shows
    const auto framesAfterEffect = m_card.ReceivedFrames().size();
    ASSERT_TRUE(Visible(u"forbid_not_electric_param"));
    const auto electric = Model().GetCurrentEffect();
    for (int id : {2025, 2030, 11101, 13001, 8020}) ClickControl(id);
    Advance(400);
    EXPECT_EQ(m_card.ReceivedFrames().size(), framesAfterEffect);
    EXPECT_EQ(std::memcmp(electric.values, Model().GetCurrentEffect().values, sizeof electric.values), 0);
    EXPECT_GT(framesAfterEffect, frames);
}

// Connected, pulled, plugged again and in update mode: the title and the lock.
TEST_F(EffectPageTest, TheTitleAndTheLockFollowTheCard) {
    Open();
    const std::u16string connected = std::u16string(u"Halvena音频") + Expected().titleSuffix;
    EXPECT_EQ(Text(u"txt_app_title"), connected);
    EXPECT_FALSE(Visible(u"forbid_device_conn_status"));
    m_card.Unplug();
    ASSERT_TRUE(WaitFor([&] { return Text(u"txt_app_title") == u"Halvena音频"; }));
    EXPECT_TRUE(Visible(u"forbid_device_conn_status"));
    m_card.Plug();
    ASSERT_TRUE(WaitFor([&] { return Text(u"txt_app_title") == connected; }));
    EXPECT_FALSE(Visible(u"forbid_device_conn_status"));
    EXPECT_TRUE(m_card.SessionOpen());
    // A card whose update mode the workspace knows is not usable.
    m_workspace->SetNeedsUpgrade(1);
    EventDeviceChanged changed(m_dlg.get());
    ASSERT_TRUE(FireAppEventSync(changed));
    EXPECT_EQ(Text(u"txt_app_title"), u"Halvena音频");
    EXPECT_TRUE(Visible(u"forbid_device_conn_status"));
}

TEST_F(EffectPageTest, ACardInUpdateModeIsAskedAboutOnceAndNoLetsItGo) {
    m_card.Unplug();
    m_card.Plug(SimCard::kUpdateProductId);
    ConnectCard();
    m_boxes.QueueAnswer(IDNO);
    OpenWindow();
    ASSERT_TRUE(WaitFor([&] { return !m_boxes.Boxes().empty(); }));
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    // The card tells no family: the question names the one that would be written.
    EXPECT_NE(std::u16string(m_boxes.Boxes()[0].text.c_str()).find(Expected().deviceName), std::u16string::npos);
    EXPECT_EQ(m_boxes.Boxes()[0].type, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(m_boxes.Boxes()[0].owner, m_dlg->GetHwnd());
    EXPECT_FALSE(m_link->Manager().IsConnected());
    EXPECT_EQ(m_workspace->NeedsUpgrade(), 0);
    EXPECT_EQ(Text(u"txt_app_title"), u"Halvena音频");
    // Declined, nothing is written: no session frame, no state.
    EXPECT_EQ(m_card.CountReceived(0x90), 0);
    EffectRecord saved{};
    EXPECT_FALSE(CSettingsStore::GetStore(0)->ReadStruct(u"LastStatus", u"CurrentEffect", &saved, sizeof saved));
    EXPECT_FALSE(FindHost<CDlgUpgradeFirmware>());
}

TEST_F(EffectPageTest, TheQuestionNeverOpensTwice) {
    Open();
    // The box's answer fires the event again while it is open.
    int asked = 0;
    struct Reentry final : ui::IMessageBoxService {
        CMainDlg* dlg = nullptr;
        int* count = nullptr;
        int MessageBox(HWND, const ui::SStringW&, const ui::SStringW&, UINT) override {
            ++*count;
            EventNeedUpgradeFirmware again(dlg);
            FireAppEventSync(again);
            return IDNO;
        }
    } reentry;
    reentry.dlg = m_dlg.get();
    reentry.count = &asked;
    ui::SetMessageBoxService(&reentry);
    EventNeedUpgradeFirmware ask(m_dlg.get());
    FireAppEventSync(ask);
    ui::SetMessageBoxService(&m_boxes);
    EXPECT_EQ(asked, 1);
    // Answered, it can be asked again.
    FireAppEventSync(ask);
    EXPECT_EQ(m_boxes.Boxes().size(), 1u);
}

TEST_F(EffectPageTest, ChangesStillHeldWhenTheWindowGoesReachTheCard) {
    Open();
    ClickControl(10001);
    Advance(400);
    PressKeys(8000, {VK_HOME});
    PressKeys(8001, {VK_END});  // held by the throttle: within its interval
    ASSERT_FALSE(Model().GetChangedParams().empty());
    CloseWindow();
    EXPECT_EQ(m_card.ParamValue(1), 0);
    EXPECT_EQ(m_card.ParamValue(0), Model().GetValue(0));
    // The next window takes the throttle over.
    OpenWindow();
    PressKeys(8002, {VK_END});
    EXPECT_TRUE(CardMatchesModel(2));
}

TEST_F(EffectPageTest, TheTabsComeBackAsTheUserLeftThem) {
    Open();
    auto* tabs = dynamic_cast<ui::STabCtrl*>(Control(900));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetCurSel(), 0);
    qv::test::Click(*m_dlg, tabs->GetTabRect(1).CenterPoint());
    ASSERT_EQ(tabs->GetCurSel(), 1);
    CloseWindow();
    OpenWindow();
    EXPECT_EQ(dynamic_cast<ui::STabCtrl*>(Control(900))->GetCurSel(), 1);
    EXPECT_EQ(dynamic_cast<ui::STabCtrl*>(Control(901))->GetCurSel(), 0);
}

// The reverb view's origin goes back into the state file as the page goes
// only in zenk, and only while a custom reverb preset exists (the view is
// scrolled to show those); at the start both families restore it.
TEST_F(EffectPageTest, TheReverbViewsOriginIsKeptWithACustomReverbPreset) {
    auto stored = [] {
        std::int32_t origin[2] = {};
        const bool found = CSettingsStore::GetStore(0)->ReadStruct(u"Point", u"reverbScrollview", origin, sizeof origin);
        return found ? origin[1] : -1;
    };
    // Scrolled down a notch, the view made a row high as a larger text
    // makes it, and the window closed.
    int y = 0;
    auto scrollDownAndClose = [&] {
        OpenWindow();
        ClickControl(10001);  // nothing locks the reverb
        dynamic_cast<ui::STabCtrl*>(Named(u"tab_reverb_pitch"))->SetCurSel(0);
        auto* view = dynamic_cast<ui::SScrollView*>(Named(u"reverb_scrollview"));
        ASSERT_NE(view, nullptr);
        view->SetAttribute(u"pos", u"316,8,@376,@40", false);
        m_dlg->UpdateWindow();
        Wheel(*m_dlg, -120, CenterOf(view));
        y = view->GetViewOrigin().y;
        ASSERT_GT(y, 0);
        CloseWindow();
    };
    ConnectCard();
    scrollDownAndClose();
    EXPECT_EQ(stored(), -1);
    ASSERT_TRUE(Model().SaveCurrentAsPreset(u"大厅", kReverbBank, 2));
    scrollDownAndClose();
    EXPECT_EQ(stored(), Expected().keepsReverbScroll ? y : -1);
}

}  // namespace
}  // namespace qv::test
