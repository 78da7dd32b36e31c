#pragma once
// A skinned modal dialog with the usual buttons: WM_INITDIALOG runs
// OnInitDialog, "btnOK" runs OnOK (which ends the dialog when it accepts),
// "btn_close" and "btnCancel" end it with IDCANCEL.
#include "platform/ui/SHostDialog.h"

class COkCancelDialog : public qv::ui::SHostDialog {
public:
    using SHostDialog::SHostDialog;

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override;

protected:
    virtual void OnInitDialog() = 0;
    virtual void OnOK() = 0;
};
