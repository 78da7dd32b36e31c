#pragma once
// A modal dialog: DoModal creates it, runs a nested message loop (which also
// delivers posted messages and notify-centre events) until EndDialog, then
// destroys it and returns the code. Escape that no control takes is a
// WM_CLOSE, which ends it with IDCANCEL unless the dialog keeps it.
#include "platform/ui/SHostWnd.h"

namespace qv::ui {

class SHostDialog : public SHostWnd {
    QV_CLASS_NAME(SHostDialog, SHostWnd, u"hostdialog", kObjectWindow)

public:
    explicit SHostDialog(const SStringW& layoutName = {}) : SHostWnd(layoutName) {}

    // The end code; IDCANCEL when the dialog could not be created or the
    // loop met WM_QUIT.
    INT_PTR DoModal(HWND owner = nullptr);
    void EndDialog(INT_PTR code);
    bool IsModal() const { return m_inModal; }

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool m_inModal = false;
    bool m_ended = false;
    INT_PTR m_code = IDCANCEL;
};

}  // namespace qv::ui
