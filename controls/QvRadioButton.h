#pragma once
// The skinned choice button (layout tag "qvradiobtn"), one of a group with
// the same parent. With "autoCheck" a click, or the focus arriving from the
// keyboard, checks it; being checked by the focus fires the same command
// event as a click.
#include "controls/TwoStateButton.h"
#include "platform/ui/controls/SRadioBox.h"

namespace qv::controls {

class QvRadioButton : public TwoStateButton<qv::ui::SRadioBox> {
    QV_CLASS_NAME(QvRadioButton, qv::ui::SRadioBox, u"qvradiobtn", qv::ui::kObjectWindow)

public:
    void OnSetFocus() override {
        const bool wasChecked = IsChecked();
        SRadioBox::OnSetFocus();
        if (!wasChecked && IsChecked()) FireCommand();
    }
};

}  // namespace qv::controls
