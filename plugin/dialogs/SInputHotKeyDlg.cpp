#include "plugin/dialogs/SInputHotKeyDlg.h"

#include "platform/ui/controls/CAccelerator.h"
#include "platform/ui/controls/SHotKeyCtrl.h"

SInputHotKeyDlg::SInputHotKeyDlg(std::uint32_t hotkey, const qv::ui::SStringW& layoutName,
                                 const qv::ui::SStringW& title)
    : SHostDialog(layoutName), m_title(title), m_hotkey(hotkey) {}

BOOL SInputHotKeyDlg::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        OnInitDialog();
        result = 1;
        return TRUE;
    }
    return SHostDialog::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

BOOL SInputHotKeyDlg::_HandleEvent(qv::ui::EventArgs* e) {
    if (e && e->GetID() == qv::ui::EVT_CMD) {
        if (e->nameFrom == u"btnOK") {
            OnOK();
            return TRUE;
        }
        if (e->nameFrom == u"btnCancel" || e->nameFrom == u"btn_close") {
            EndDialog(IDCANCEL);
            return TRUE;
        }
    }
    return SHostDialog::_HandleEvent(e);
}

void SInputHotKeyDlg::OnInitDialog() {
    if (!m_title.IsEmpty()) {
        if (qv::ui::SWindow* title = FindChildByName(u"txt_title")) title->SetWindowText(m_title);
    }
    m_hotkeyCtrl = FindChildByName2<qv::ui::SHotKeyCtrl>(u"txt_hotkey_input");
    if (!m_hotkeyCtrl) return;
    m_hotkeyCtrl->SetHotKey(static_cast<WORD>(m_hotkey & 0xFFFF), static_cast<WORD>(m_hotkey >> 16));
    m_hotkeyCtrl->SetFocus();
    // Typed keys reach the hotkey field untranslated: no input method
    // composes them into text in this dialog.
    EnableIme(false);
}

void SInputHotKeyDlg::OnOK() {
    WORD vk = 0;
    WORD modifiers = 0;
    if (m_hotkeyCtrl) m_hotkeyCtrl->GetHotKey(vk, modifiers);
    m_hotkeyText = qv::ui::CAccelerator::FormatHotkey(vk, modifiers);
    m_hotkey = static_cast<std::uint32_t>(modifiers) << 16 | vk;
    EndDialog(IDOK);
}
