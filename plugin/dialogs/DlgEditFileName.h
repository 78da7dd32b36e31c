#pragma once
// Asks for a sound pad's name (a local MP3 file being added, a pad being
// renamed): at most seven characters, blanks at both ends trimmed, never
// empty. A proposed name is cut before its first '-' that is not its first
// character ("A-B" proposes "A").
#include "plugin/dialogs/OkCancelDialog.h"

class CDlgEditFileName : public COkCancelDialog {
    QV_CLASS_NAME(CDlgEditFileName, COkCancelDialog, u"DlgEditFileName", qv::ui::kObjectWindow)

public:
    static constexpr int kMaxNameLength = 7;

    explicit CDlgEditFileName(const qv::ui::SStringW& proposedName);

    // The proposed name, then (after OK) the accepted one.
    const qv::ui::SStringW& GetFileName() const { return m_name; }

private:
    void OnInitDialog() override;
    void OnOK() override;

    qv::ui::SStringW m_name;
    qv::ui::SWindow* m_edit = nullptr;
};
