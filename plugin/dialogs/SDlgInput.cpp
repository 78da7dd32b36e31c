#include "plugin/dialogs/SDlgInput.h"

#include "controls/CTipWnd.h"
#include "platform/ui/controls/SRichEdit.h"

using qv::ui::SStringW;

namespace {

constexpr UINT kRefusalTipMs = 2000;
// The tip's bottom left corner, from the input's top left corner.
constexpr int kTipOffsetX = 50;
constexpr int kTipOffsetY = 15;

}  // namespace

SDlgInput::SDlgInput(const SStringW& text, const SStringW& title, int maxLength)
    : SHostDialog(u"LAYOUT:XML_INPUTDLG"), m_title(title.IsEmpty() ? SStringW(u"Input") : title), m_text(text),
      m_maxLength(maxLength) {}

BOOL SDlgInput::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        OnInitDialog();
        result = 1;
        return TRUE;
    }
    return SHostDialog::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

BOOL SDlgInput::_HandleEvent(qv::ui::EventArgs* e) {
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

void SDlgInput::OnInitDialog() {
    if (qv::ui::SWindow* title = FindChildByName(u"txt_title")) title->SetWindowText(m_title);
    m_input = FindChildByName2<qv::ui::SRichEdit>(u"txt_input");
    if (!m_input) return;
    m_input->SetWindowText(m_text);
    // The edit takes 0 for no limit.
    m_input->SetMaxLength(m_maxLength == kNoLimit ? 0 : m_maxLength);
    m_input->SetFocus();
    m_input->SetSel(0, -1);
}

void SDlgInput::OnOK() {
    if (!m_input) return;
    SStringW text = m_input->GetWindowText();
    if (!m_allowEmpty) {
        text.Trim();
        if (text.IsEmpty()) return Refuse(u"输入文本不能为空！");
    }
    if (m_maxLength != kNoLimit && text.GetLength() > m_maxLength)
        return Refuse(SStringW::Format(u"输入的字符个数大于%d！", m_maxLength));
    for (char16_t c : text.str()) {
        if (m_forbidden.Find(c) >= 0) return Refuse(SStringW::Format(u"不能包含字符“%s”", m_forbidden.c_str()));
    }
    m_text = text;
    EndDialog(IDOK);
}

void SDlgInput::Refuse(const SStringW& message) {
    const qv::ui::CRect rc = m_input->GetWindowRect();
    qv::ui::CPoint anchor(rc.left + kTipOffsetX, rc.top + kTipOffsetY);
    ClientToScreen(anchor);
    qv::controls::CTipWnd::ShowTip(anchor.x, anchor.y, message, kRefusalTipMs);
    m_input->SetFocus();
}
