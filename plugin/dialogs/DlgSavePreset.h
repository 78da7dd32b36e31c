#pragma once
// Saves the current values of one preset bank (1 EQ, 2 reverb, 3 voice
// change) into one of its four custom slots under a name. Refusals are told
// in a message box over the dialog, which stays open.
#include "plugin/dialogs/OkCancelDialog.h"

class CWorkSpace;

namespace qv::ui {
class SComboBox;
}

class CDlgSavePreset : public COkCancelDialog {
    QV_CLASS_NAME(CDlgSavePreset, COkCancelDialog, u"DlgSavePreset", qv::ui::kObjectWindow)

public:
    CDlgSavePreset(CWorkSpace* workspace, int bank);

private:
    void OnInitDialog() override;
    void OnOK() override;

    bool m_initialised = false;
    qv::ui::SComboBox* m_saveTo = nullptr;
    qv::ui::SWindow* m_name = nullptr;
    CWorkSpace* m_workspace;
    int m_bank;
};
