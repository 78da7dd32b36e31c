#pragma once
// The skinned switch button (layout tag "qvcheckbtn"): with "autoCheck" a
// click or Space toggles it before the command event fires; without, it only
// fires the command and the page sets the state. Other keys are swallowed.
#include "controls/TwoStateButton.h"
#include "platform/ui/controls/SCheckBox.h"

namespace qv::controls {

class QvCheckButton : public TwoStateButton<qv::ui::SCheckBox> {
    QV_CLASS_NAME(QvCheckButton, qv::ui::SCheckBox, u"qvcheckbtn", qv::ui::kObjectWindow)

public:
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override {
        SCheckBox::OnKeyDown(vk, repeat, flags);
        return true;
    }
};

}  // namespace qv::controls
