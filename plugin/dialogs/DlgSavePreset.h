#pragma once
// Saves the current values of one preset bank (1 EQ, 2 reverb, 3 voice
// change) into one of its four custom slots under a name. Refusals are told
// in a message box over the dialog, which stays open.
#include "platform/ui/SHostDialog.h"

class CWorkSpace;

namespace qv::ui {
class SComboBox;
}

class CDlgSavePreset : public qv::ui::SHostDialog {
    QV_CLASS_NAME(CDlgSavePreset, qv::ui::SHostDialog, u"DlgSavePreset", qv::ui::kObjectWindow)

public:
    CDlgSavePreset(CWorkSpace* workspace, int bank);

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override;

private:
    void OnInitDialog();
    void OnOK();

    bool m_initialised = false;
    qv::ui::SComboBox* m_saveTo = nullptr;
    qv::ui::SWindow* m_name = nullptr;
    CWorkSpace* m_workspace;
    int m_bank;
};
