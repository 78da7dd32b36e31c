#include "plugin/dialogs/DlgEditFileName.h"

#include <algorithm>

#include "platform/ui/SMessageBox.h"
#include "plugin/app/ResNames.h"

CDlgEditFileName::CDlgEditFileName(const qv::ui::SStringW& proposedName)
    : COkCancelDialog(res::layout::XML_EDIT_ADDFILENAME), m_name(proposedName) {
    const int dash = m_name.Find(u'-');
    if (dash > 0) m_name = m_name.Left(dash);
}

void CDlgEditFileName::OnInitDialog() {
    m_edit = FindChildByName(u"edit_name");
    if (!m_edit) return;
    m_edit->SetWindowText(m_name);
    m_edit->SetFocus();
}

void CDlgEditFileName::OnOK() {
    qv::ui::SStringW name = m_edit ? m_edit->GetWindowText() : m_name;
    name.Trim();
    if (name.IsEmpty()) {
        qv::ui::SMessageBox(GetHwnd(), u"特效名称不能为空！", u"提示", MB_OK);
        return;
    }
    // The pad's record holds seven units; a pair is not split.
    int length = std::min(name.GetLength(), kMaxNameLength);
    if (length < name.GetLength() && name.GetAt(length - 1) >= 0xD800 && name.GetAt(length - 1) <= 0xDBFF) --length;
    m_name = name.Left(length);
    EndDialog(IDOK);
}
