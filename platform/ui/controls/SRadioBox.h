#pragma once
// A radio box. The radio boxes with the same parent form a group: when one
// becomes checked, by a click or by code, the others are unchecked.
//
// How a click changes the state: with "autoCheck" (on by default) a click
// released inside, Space, or the focus arriving from the keyboard checks an
// unchecked box before the command event fires, so a handler of the command
// reads the state the click produced; a click never unchecks, and a press
// released outside changes nothing. With autoCheck="0" the page sets the
// state itself.
#include "platform/ui/controls/SCheckBox.h"

namespace qv::ui {

class SRadioBox : public SCheckBox {
    QV_CLASS_NAME(SRadioBox, SCheckBox, u"radio", kObjectWindow)

public:
    void OnSetFocus() override;
    void OnLButtonDown(CPoint pt, UINT flags) override;
    // The checked box of this one's group, or null.
    SRadioBox* GetGroupChecked() const;

protected:
    void OnClickCheck() override {
        if (!IsChecked()) SetCheck(true);
    }
    void OnStateChanged(DWORD oldState, DWORD newState) override;
    void DrawDefaultBox(SRenderTarget& rt, const CRect& box) override;

private:
    bool m_pressing = false;  // the focus comes from a press, not the keyboard
};

}  // namespace qv::ui
