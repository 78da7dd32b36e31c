#include "plugin/dialogs/OkCancelDialog.h"

BOOL COkCancelDialog::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        OnInitDialog();
        result = 0;
        return TRUE;
    }
    return SHostDialog::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

BOOL COkCancelDialog::_HandleEvent(qv::ui::EventArgs* e) {
    if (e->GetID() == qv::ui::EVT_CMD) {
        if (e->nameFrom == u"btnOK") {
            OnOK();
            return TRUE;
        }
        if (e->nameFrom == u"btn_close" || e->nameFrom == u"btnCancel") {
            EndDialog(IDCANCEL);
            return TRUE;
        }
    }
    return SHostDialog::_HandleEvent(e);
}
