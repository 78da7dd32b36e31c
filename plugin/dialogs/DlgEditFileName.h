#pragma once
// Asks for a sound pad's name (a local MP3 file being added, a pad being
// renamed): at most seven characters, blanks at both ends trimmed, never
// empty. A proposed name is cut before its first '-' that is not its first
// character ("A-B" proposes "A").
#include "platform/ui/SHostDialog.h"

class CDlgEditFileName : public qv::ui::SHostDialog {
    QV_CLASS_NAME(CDlgEditFileName, qv::ui::SHostDialog, u"DlgEditFileName", qv::ui::kObjectWindow)

public:
    static constexpr int kMaxNameLength = 7;

    explicit CDlgEditFileName(const qv::ui::SStringW& proposedName);

    // The proposed name, then (after OK) the accepted one.
    const qv::ui::SStringW& GetFileName() const { return m_name; }

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override;

private:
    void OnInitDialog();
    void OnOK();

    qv::ui::SStringW m_name;
    qv::ui::SWindow* m_edit = nullptr;
};
