// The input and hotkey dialogs as a user drives them: typed text accepted or
// refused with the right tip at the right place, and a pressed combination
// turned into the value the hotkey service registers.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "controls/CTipWnd.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/controls/SHotKeyCtrl.h"
#include "platform/ui/controls/SRichEdit.h"
#include "platform/ui/controls/StandardControls.h"
#include "plugin/dialogs/DlgEditFileName.h"
#include "plugin/dialogs/DlgSaveEffect.h"
#include "plugin/dialogs/DlgSavePreset.h"
#include "plugin/dialogs/SDlgInput.h"
#include "plugin/dialogs/SInputHotKeyDlg.h"
#include "tests/ui/UiTestEnv.h"

namespace {

using qv::ui::CPoint;
using qv::ui::SStringW;

class InputDialogsTest : public qv::ui::test::UiAppTest {
protected:
    void SetUp() override {
        UiAppTest::SetUp();
        qv::ui::RegisterStandardControls(m_app->GetWindowFactory());
        qv::os::SetClock(&clock);
    }
    void TearDown() override {
        qv::controls::CTipWnd::HideTip();
        UiAppTest::TearDown();
        qv::os::SetClock(nullptr);
    }
    // The tip shown now: its anchor and text.
    static std::optional<std::pair<CPoint, std::u16string>> ShownTip() {
        qv::controls::CTipWnd* tip = qv::controls::CTipWnd::Current();
        if (!tip || !tip->IsWindowVisible()) return std::nullopt;
        return std::make_pair(tip->GetAnchor(), tip->FindChildByName(u"txt_tip")->GetWindowText().str());
    }
    static void Later(std::function<void()> task) {
        ASSERT_TRUE(qv::os::PostTask(qv::os::GetCurrentThreadId(), std::move(task)));
    }
    static void Click(qv::ui::SHostWnd& host, const qv::ui::SWindow* button) {
        const qv::ui::CRect rc = button->GetWindowRect();
        const LPARAM at = MAKELPARAM(rc.left + rc.Width() / 2, rc.top + rc.Height() / 2);
        host.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        host.SendMessage(WM_LBUTTONUP, 0, at);
    }

    qv::ui::test::SteppedClock clock;
};

struct InputCase {
    const char* name;
    std::u16string typed;
    bool allowEmpty;
    std::u16string forbidden;
    int maxLength;
    std::optional<std::u16string> accepted;  // none: refused
    std::u16string refusal;
};

TEST_F(InputDialogsTest, TextIsAcceptedOrRefusedAsTheRulesSay) {
    const std::u16string sixteen(16, u'x');
    const InputCase cases[] = {
        {"blanks refused as empty", u"   ", false, u"", 16, std::nullopt, u"输入文本不能为空！"},
        {"blanks kept when empty is allowed", u"   ", true, u"", 16, u"   ", u""},
        {"text trimmed", u"  ab  ", false, u"", 16, u"ab", u""},
        {"forbidden character names the whole set", u"a/b", false, u"/\\:", 16, std::nullopt, u"不能包含字符“/\\:”"},
        {"seventeen over sixteen", sixteen + u"y", false, u"", 16, std::nullopt, u"输入的字符个数大于16！"},
        {"sixteen pass", sixteen, false, u"", 16, sixteen, u""},
        {"no limit", std::u16string(300, u'z'), false, u"", SDlgInput::kNoLimit, std::u16string(300, u'z'), u""},
    };
    for (const InputCase& c : cases) {
        SCOPED_TRACE(c.name);
        qv::controls::CTipWnd::HideTip();
        SDlgInput dialog(u"old", u"", c.maxLength);
        dialog.SetForbiddenChars(c.forbidden.c_str());
        dialog.SetAllowEmpty(c.allowEmpty);
        bool stayedOpen = false;
        std::optional<std::pair<CPoint, std::u16string>> tip;
        bool tipEnded = false;
        qv::ui::CPoint inputCorner;
        Later([&] {
            auto* input = dialog.FindChildByName2<qv::ui::SRichEdit>(u"txt_input");
            ASSERT_NE(input, nullptr);
            EXPECT_EQ(input->GetWindowText().str(), u"old");
            EXPECT_EQ(dialog.FindChildByName(u"txt_title")->GetWindowText().str(), u"Input");
            input->SetWindowText(c.typed.c_str());
            inputCorner = qv::ui::CPoint(input->GetWindowRect().left, input->GetWindowRect().top);
            dialog.ClientToScreen(inputCorner);
            Click(dialog, dialog.FindChildByName(u"btnOK"));
            Later([&] {
                stayedOpen = dialog.IsModal();
                tip = ShownTip();
                if (stayedOpen) {
                    EXPECT_TRUE(dialog.FindChildByName(u"txt_input")->IsFocused());
                    clock.Step(1999);
                    qv::ui::test::PumpPending();
                    EXPECT_TRUE(ShownTip());
                    clock.Step(2);
                    qv::ui::test::PumpPending();
                    tipEnded = !ShownTip();
                    Click(dialog, dialog.FindChildByName(u"btnCancel"));
                }
            });
        });
        const INT_PTR code = dialog.DoModal();
        qv::ui::test::PumpPending();  // the check left queued when the dialog ended at once
        if (c.accepted) {
            EXPECT_EQ(code, IDOK);
            EXPECT_EQ(dialog.GetText().str(), *c.accepted);
            EXPECT_FALSE(tip);
        } else {
            EXPECT_EQ(code, IDCANCEL);
            EXPECT_TRUE(stayedOpen);
            ASSERT_TRUE(tip);
            EXPECT_EQ(tip->second, c.refusal);
            EXPECT_EQ(tip->first.x, inputCorner.x + 50);
            EXPECT_EQ(tip->first.y, inputCorner.y + 15);
            EXPECT_TRUE(tipEnded);  // after 2000 ms
        }
    }
}

TEST_F(InputDialogsTest, CloseButtonCancels) {
    SDlgInput dialog(u"", u"名称", 8);
    Later([&] {
        EXPECT_EQ(dialog.FindChildByName(u"txt_title")->GetWindowText().str(), u"名称");
        Click(dialog, dialog.FindChildByName(u"btn_close"));
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

// Escape cancels each dialog whatever control has the focus; the hotkey
// field does not take it for a hotkey.
TEST_F(InputDialogsTest, EscapeCancelsEveryDialog) {
    SDlgInput input(u"abc", u"名称", 8);
    SInputHotKeyDlg hotkey((2u << 16) | 0x70u, u"LAYOUT:XML_HOTKEYDLG", u"设置热键");
    CDlgEditFileName name(u"门铃");
    CDlgSavePreset preset(nullptr, 1);
    CDlgSaveEffect effect(nullptr);
    for (qv::ui::SHostDialog* dialog : std::initializer_list<qv::ui::SHostDialog*>{&input, &hotkey, &name, &preset, &effect}) {
        SCOPED_TRACE(qv::ui::SStringW(dialog->GetObjectClass()).ToUtf8());
        auto returned = std::make_shared<bool>(false);
        Later([dialog, returned] {
            dialog->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
            // One that stays open is ended with OK: the check below fails.
            Later([dialog, returned] {
                if (!*returned) dialog->EndDialog(IDOK);
            });
        });
        EXPECT_EQ(dialog->DoModal(), IDCANCEL);
        *returned = true;
    }
    EXPECT_EQ(hotkey.GetHotKey(), (2u << 16) | 0x70u);
}

TEST_F(InputDialogsTest, PressedCombinationBecomesTheRegisteredValue) {
    SInputHotKeyDlg dialog(0, u"LAYOUT:XML_HOTKEYDLG", u"设置热键");
    Later([&] {
        auto* field = dialog.FindChildByName2<qv::ui::SHotKeyCtrl>(u"txt_hotkey_input");
        ASSERT_NE(field, nullptr);
        EXPECT_TRUE(field->IsFocused());
        EXPECT_FALSE(dialog.IsImeEnabled());  // keys are not composed into text
        EXPECT_TRUE(field->GetWindowText().IsEmpty());
        EXPECT_EQ(dialog.FindChildByName(u"txt_title")->GetWindowText().str(), u"设置热键");
        dialog.SendMessage(WM_KEYDOWN, VK_CONTROL, 0);
        dialog.SendMessage(WM_KEYDOWN, VK_F1, 0);
        EXPECT_EQ(field->GetWindowText().str(), u"Ctrl+F1");
        Click(dialog, dialog.FindChildByName(u"btnOK"));
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetHotKey(), (2u << 16) | 0x70u);
    EXPECT_EQ(dialog.GetHotKeyText().str(), u"Ctrl+F1");
}

TEST_F(InputDialogsTest, HotkeyDialogShowsTheGivenValueAndCancelKeepsIt) {
    const std::uint32_t shiftA = (4u << 16) | 'A';
    SInputHotKeyDlg dialog(shiftA, u"LAYOUT:XML_HOTKEYDLG", u"");
    Later([&] {
        EXPECT_EQ(dialog.FindChildByName(u"txt_hotkey_input")->GetWindowText().str(), u"Shift+A");
        EXPECT_EQ(dialog.FindChildByName(u"txt_title")->GetWindowText().str(), u"Set hotkey");
        Click(dialog, dialog.FindChildByName(u"btnCancel"));
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetHotKey(), shiftA);
}

}  // namespace
