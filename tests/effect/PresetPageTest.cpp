// Presets and effects saved through their dialogs, and presets moved in and
// out of files through the custom buttons' menu, in the main window; once
// per family.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "controls/CTipWnd.h"
#include "platform/os/AtomicFile.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Profile.h"
#include "platform/os/Utf.h"
#include "platform/ui/SMenuWnd.h"
#include "platform/ui/controls/SComboBox.h"
#include "plugin/dialogs/DlgSaveEffect.h"
#include "plugin/dialogs/DlgSavePreset.h"
#include "plugin/model/RecordText.h"
#include "plugin/workspace/PresetFile.h"
#include "tests/effect/EffectPageEnv.h"
#include "tests/support/ExpectedFamily.h"
#include "tests/support/FakeFileDialogService.h"
#include "tests/support/UiInput.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class PresetPageTest : public EffectPageEnv {
protected:
    void SetUp() override {
        EffectPageEnv::SetUp();
        ConnectCard();
        OpenWindow();
    }
    // Runs script on the dialog of class T once the click has opened it.
    template <class T>
    void WithDialog(int button, std::function<void(T&)> script) {
        bool ran = false;
        qv::os::PostTask(qv::os::GetCurrentThreadId(), [&] {
            T* dialog = FindHost<T>();
            ASSERT_NE(dialog, nullptr);
            ran = true;
            script(*dialog);
        });
        Click(*m_dlg, *Control(button));
        EXPECT_TRUE(ran);
        EXPECT_EQ(FindHost<T>(), nullptr);  // the script has ended it
    }
    static void ClickNamed(ui::SHostWnd& dialog, const char16_t* name) { Click(dialog, *dialog.FindChildByName(name)); }
    static void TypeName(ui::SHostWnd& dialog, const std::u16string& text) {
        ui::SWindow* edit = dialog.FindChildByName(u"edit_name");
        edit->SetWindowText(u"");
        edit->SetFocus();
        for (char16_t ch : text) Char(dialog, ch);
    }
    static void ChooseWithKeys(ui::SHostWnd& dialog, const char16_t* combo, int downs) {
        dialog.FindChildByName(combo)->SetFocus();
        for (int i = 0; i < downs; ++i) KeyDown(dialog, VK_DOWN);
    }
    // The box texts shown since the last call.
    std::vector<std::u16string> NewBoxes() {
        std::vector<std::u16string> texts;
        for (std::size_t i = m_seenBoxes; i < m_boxes.Boxes().size(); ++i) texts.push_back(m_boxes.Boxes()[i].text.str());
        m_seenBoxes = m_boxes.Boxes().size();
        return texts;
    }
    // Opens the button's menu with a right click and picks the item.
    void PresetMenu(int button, UINT item) {
        qv::os::PostTask(qv::os::GetCurrentThreadId(), [&] {
            for (ui::SHostWnd* host : m_app->GetHostWnds()) {
                auto* menu = dynamic_cast<ui::SMenuWnd*>(host);
                if (!menu) continue;
                ui::SMenuItemWnd* choice = menu->FindItem(item);
                ASSERT_NE(choice, nullptr);
                qv::test::Click(*menu, CenterOf(choice));
                return;
            }
            ADD_FAILURE() << "no menu";
        });
        qv::test::Click(*m_dlg, CenterOf(Control(button)), true);
        ui::test::PumpPending();
    }
    std::u16string File(const char* name) { return qv::os::Utf8ToUtf16(m_dir + "/" + name); }
    bool Exists(const char* name) { return fs::exists(m_dir + "/" + name); }
    std::u16string ButtonText(int id) { return Control(id)->GetWindowText().str(); }
    // A preset of the bank's size saved in its custom slot through the model.
    void SavePreset(int bank, int slot, const std::u16string& name) { ASSERT_TRUE(Model().SaveCurrentAsPreset(name, bank, slot)); }

    FakeFileDialogService m_files;
    std::size_t m_seenBoxes = 0;
};

TEST_F(PresetPageTest, TheSavePresetDialogChecksInOrderAndTheSaveReachesFileAndButton) {
    WithDialog<CDlgSavePreset>(12001, [&](CDlgSavePreset& dialog) {
        EXPECT_EQ(dialog.FindChildByName(u"txt_title")->GetWindowText().str(), u"保存预设-均衡");
        TypeName(dialog, u"低音炮");
        ClickNamed(dialog, u"btnOK");
        ChooseWithKeys(dialog, u"combo_save_to", 3);
        TypeName(dialog, u"   ");
        ClickNamed(dialog, u"btnOK");
        TypeName(dialog, u"  低音炮  ");
        ClickNamed(dialog, u"btnOK");
    });
    EXPECT_EQ(NewBoxes(), (std::vector<std::u16string>{u"请选择预设的保存位置！", u"预设名称不能为空！"}));
    EXPECT_EQ(m_boxes.Boxes().back().caption, u"提示");
    EXPECT_EQ(TipText(), u"保存成功！");
    EXPECT_EQ(ButtonText(CustomPresetButton(1, 2)), u"低音炮");
    EXPECT_EQ(Control(CustomPresetButton(1, 2))->GetToolTipText(), u"低音炮");
    const GroupPreset* saved = Model().FindCustomPreset(CustomPresetSlot(1, 2), 1);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(FieldText(saved->name), u"低音炮");
    GroupPreset stored{};
    EXPECT_TRUE(qv::os::GetPrivateProfileStruct(u"CustomPreset", u"1_2", &stored, sizeof stored,
                                                qv::os::Utf8ToUtf16(m_stateFile).c_str()));
    EXPECT_EQ(std::memcmp(&stored, saved, sizeof stored), 0);

    // Cancel and the close button save nothing.
    for (const char16_t* close : {u"btnCancel", u"btn_close"}) {
        WithDialog<CDlgSavePreset>(12001, [&](CDlgSavePreset& dialog) {
            ChooseWithKeys(dialog, u"combo_save_to", 1);
            TypeName(dialog, u"x");
            ClickNamed(dialog, close);
        });
    }
    EXPECT_EQ(Model().FindCustomPreset(CustomPresetSlot(1, 0), 1), nullptr);
}

TEST_F(PresetPageTest, TheSaveEffectDialogChecksInOrderAndTheSaveNamesItsButton) {
    WithDialog<CDlgSaveEffect>(12100, [&](CDlgSaveEffect& dialog) {
        auto* type = dialog.FindChildByName2<ui::SComboBox>(u"combo_save_type");
        auto* to = dialog.FindChildByName2<ui::SComboBox>(u"combo_save_to");
        EXPECT_EQ(type->GetCurSel(), 0);
        EXPECT_EQ(to->GetCurSel(), 0);
        type->SetCurSel(-1);
        TypeName(dialog, u"新音效");
        ClickNamed(dialog, u"btnOK");
        ChooseWithKeys(dialog, u"combo_save_type", 2);  // 我的音效
        EXPECT_EQ(to->GetCount(), 12);
        EXPECT_EQ(to->GetLBText(0).str(), u"自定义4");
        EXPECT_EQ(to->GetLBText(11).str(), u"自定义15");
        ClickNamed(dialog, u"btnOK");  // no position after the change
        ChooseWithKeys(dialog, u"combo_save_to", 2);
        TypeName(dialog, u" ");
        ClickNamed(dialog, u"btnOK");
        TypeName(dialog, u"八个字的音效名称");
        m_card.Unplug();
        ASSERT_TRUE(WaitFor([&] { return !m_link->Manager().IsConnected(); }));
        ClickNamed(dialog, u"btnOK");
        m_card.Plug();
        ASSERT_TRUE(WaitFor([&] { return m_link->Manager().IsConnected(); }));
        ClickNamed(dialog, u"btnOK");
    });
    EXPECT_EQ(NewBoxes(), (std::vector<std::u16string>{u"请选择保存类型！", u"请选择保存位置！", u"音效名称不能为空！",
                                                       u"您未连接设备，请先连接设备！"}));
    EXPECT_EQ(TipText(), u"保存音效成功！");
    const int userButton = 10000 + FirstUserButton() + 1;
    EXPECT_EQ(ButtonText(userButton), u"八个字的音效..");
    EXPECT_EQ(Control(userButton)->GetToolTipText(), u"八个字的音效名称");
    EXPECT_EQ(Model().GetUserEffects()[1].emptyFlag, 0);

    // A device custom effect keeps its slot's button.
    WithDialog<CDlgSaveEffect>(12100, [&](CDlgSaveEffect& dialog) {
        ChooseWithKeys(dialog, u"combo_save_to", 2);
        TypeName(dialog, u"直播");
        ClickNamed(dialog, u"btnOK");
    });
    EXPECT_EQ(ButtonText(10000 + Expected().builtInEffects + 2), u"直播");
}

TEST_F(PresetPageTest, APresetGoesOutToAFileAndComesBackIntoAnotherSlot) {
    Click(*m_dlg, *Control(10001));  // effect 1: the reverb section is open
    SavePreset(2, 0, u"空旷大厅");
    m_files.QueueAnswer(File("hall.data"));
    PresetMenu(CustomPresetButton(2, 0), 101);
    ASSERT_EQ(m_files.Requests().size(), 1u);
    const auto& request = m_files.Requests()[0];
    EXPECT_TRUE(request.save);
    EXPECT_TRUE(request.options.overwritePrompt);
    ASSERT_EQ(request.options.filters.size(), 1u);
    EXPECT_EQ(request.options.filters[0].name, Expected().presetFileFilter);
    EXPECT_EQ(request.options.filters[0].patterns, std::vector<std::u16string>{u"*.data"});
    EXPECT_EQ(request.options.defaultExtension, u"data");
    EXPECT_EQ(TipText(), u"文件保存成功！");
    const auto exported = ReadPresetFile(File("hall.data"));
    ASSERT_TRUE(exported);
    const std::string bytes = qv::os::ReadWholeFile(m_dir + "/hall.data").value_or("");
    EXPECT_EQ(bytes.size(), 2u + 2u * (14 + 2 + 12 + 338 + 2));
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");

    m_files.QueueAnswer(File("hall.data"));
    PresetMenu(CustomPresetButton(2, 2), 100);
    EXPECT_TRUE(m_files.Requests().back().options.mustExist);
    EXPECT_FALSE(m_files.Requests().back().save);
    const GroupPreset* imported = Model().FindCustomPreset(CustomPresetSlot(2, 2), 2);
    ASSERT_NE(imported, nullptr);
    EXPECT_EQ(std::memcmp(imported, &*exported, sizeof *imported), 0);
    EXPECT_EQ(ButtonText(CustomPresetButton(2, 2)), u"空旷大厅");
}

TEST_F(PresetPageTest, ImportIntoTheCheckedButtonAppliesThePresetAtOnce) {
    Click(*m_dlg, *Control(10001));  // effect 1: the reverb section is open
    GroupPreset preset{};
    SetFieldText(preset.name, u"近");
    preset.valueCount = 5;
    const int values[] = {1, 33, 44, 55, 66};  // 混响开关, 时长, 比例, 音量, 预延迟
    std::copy(std::begin(values), std::end(values), preset.values);
    ASSERT_TRUE(WritePresetFile(File("near.data"), preset));
    const int button = CustomPresetButton(2, 1);
    Click(*m_dlg, *Control(button));  // empty: refused, but left checked
    EXPECT_EQ(TipText(), u"您尚未保存预设！");
    ASSERT_TRUE(Control(button)->IsChecked());
    m_files.QueueAnswer(File("near.data"));
    PresetMenu(button, 100);
    EXPECT_EQ(Model().GetValue(20), 33);
    EXPECT_EQ(Model().GetValue(38), 66);
    EXPECT_TRUE(CardMatchesModel(38));
    EXPECT_EQ(ButtonText(button), u"近");
}

// What each import refuses, and that refusals and cancels leave the slot and the disk alone.
TEST_F(PresetPageTest, ImportRefusalsLeaveTheSlotAsItWas) {
    Click(*m_dlg, *Control(10000 + Expected().girlVoiceEffect));  // the voice-change page is open
    SavePreset(3, 1, u"男声");
    ASSERT_TRUE(WritePresetFile(File("voice.data"), *Model().FindCustomPreset(CustomPresetSlot(3, 1), 3)));
    GroupPreset loud = *Model().FindCustomPreset(CustomPresetSlot(3, 1), 3);
    loud.values[1] = 101;  // 变声音量 goes to 100
    ASSERT_TRUE(WritePresetFile(File("loud.data"), loud));
    std::string edited = qv::os::ReadWholeFile(m_dir + "/voice.data").value();
    edited[edited.size() - 4] = edited[edited.size() - 4] == '0' ? '1' : '0';  // the checksum's last digit
    ASSERT_TRUE(qv::os::ReplaceFileAtomically(m_dir + "/edited.data", edited));

    struct Case {
        const char* name;
        int button;
        std::optional<std::u16string> file;
        std::u16string tip;
    };
    const int eq = CustomPresetButton(1, 0);
    const int voice = CustomPresetButton(3, 0);
    const Case cases[] = {
        {"checksum edited", eq, File("edited.data"), u"文件打开失败！"},
        {"a voice preset into the EQ bank", eq, File("voice.data"), u"参数错误！"},
        {"a value beyond its parameter", voice, File("loud.data"), u"参数错误！"},
        {"a name typed into the dialog", voice, File("typed.data"), u"文件打开失败！"},
        {"cancelled", voice, std::nullopt, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qv::controls::CTipWnd::HideTip();
        m_files.QueueAnswer(c.file);
        PresetMenu(c.button, 100);
        EXPECT_EQ(TipText(), c.tip);
    }
    EXPECT_EQ(Model().FindCustomPreset(CustomPresetSlot(1, 0), 1), nullptr);
    EXPECT_EQ(Model().FindCustomPreset(CustomPresetSlot(3, 0), 3), nullptr);
    EXPECT_FALSE(Exists("typed.data"));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 8);  // the test's folders and files
}

TEST_F(PresetPageTest, ExportOfAnEmptySlotOrACancelWritesNothing) {
    // The menu commands before any menu was opened do nothing.
    m_dlg->SendMessage(WM_COMMAND, 101);
    m_dlg->SendMessage(WM_COMMAND, 100);
    EXPECT_TRUE(m_files.Requests().empty());
    EXPECT_EQ(TipText(), u"");
    PresetMenu(CustomPresetButton(1, 3), 101);
    EXPECT_EQ(TipText(), u"您尚未保存预设！");
    EXPECT_TRUE(m_files.Requests().empty());
    SavePreset(1, 3, u"满");
    PresetMenu(CustomPresetButton(1, 3), 101);  // cancelled
    EXPECT_EQ(m_files.Requests().size(), 1u);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 5);  // the test's folders
}

TEST_F(PresetPageTest, SavedPresetsNameTheirButtonsAtTheStart) {
    SavePreset(1, 0, u"五个字名称");
    SavePreset(2, 3, u"六个字的名称");
    CloseWindow();
    OpenWindow();
    EXPECT_EQ(ButtonText(CustomPresetButton(1, 0)), u"五个字名称");
    EXPECT_EQ(ButtonText(CustomPresetButton(2, 3)), u"六个字的..");
    EXPECT_EQ(Control(CustomPresetButton(2, 3))->GetToolTipText(), u"六个字的名称");
    EXPECT_EQ(ButtonText(CustomPresetButton(1, 1)), u"自定义2");  // empty slots keep their texts
}

}  // namespace
}  // namespace qv::test
