#include "plugin/dialogs/DlgDeviceInfo.h"

#include "plugin/app/ResNames.h"

CDlgDeviceInfo::CDlgDeviceInfo(const std::u16string& text)
    : SHostDialog(res::layout::XML_DLGDEVICEINFO), m_text(text) {}

BOOL CDlgDeviceInfo::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        m_info = FindChildByName(u"txt_info");
        if (m_info) m_info->SetWindowText(m_text);
        result = 0;
        return TRUE;
    }
    return SHostDialog::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

BOOL CDlgDeviceInfo::_HandleEvent(qv::ui::EventArgs* e) {
    if (e->GetID() == qv::ui::EVT_CMD) {
        if (e->nameFrom == u"btn_close") {
            EndDialog(IDCANCEL);
            return TRUE;
        }
        if (e->nameFrom == u"btnOK") {
            EndDialog(IDOK);
            return TRUE;
        }
    }
    return SHostDialog::_HandleEvent(e);
}
