#pragma once
// Saves the current effect under a name: as one of the card's three custom
// effects or as one of the user's twelve own effects. Refusals are told in
// a message box over the dialog, which stays open.
#include "plugin/dialogs/OkCancelDialog.h"

class CWorkSpace;

namespace qv::ui {
class SComboBox;
}

class CDlgSaveEffect : public COkCancelDialog {
    QV_CLASS_NAME(CDlgSaveEffect, COkCancelDialog, u"DlgSaveEffect", qv::ui::kObjectWindow)

public:
    enum SaveType : int { kDeviceEffect = 0, kUserEffect = 1 };

    explicit CDlgSaveEffect(CWorkSpace* workspace);

    BOOL _HandleEvent(qv::ui::EventArgs* e) override;

private:
    void OnInitDialog() override;
    // The positions follow the type; none is chosen afterwards.
    void OnSaveTypeChanged();
    void OnOK() override;
    void Tell(const char16_t* text);

    bool m_initialised = false;
    qv::ui::SComboBox* m_saveType = nullptr;
    qv::ui::SComboBox* m_saveTo = nullptr;
    qv::ui::SWindow* m_name = nullptr;
    CWorkSpace* m_workspace;
};
