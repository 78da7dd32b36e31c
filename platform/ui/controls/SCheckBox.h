#pragma once
// A check box: a box (its state skin, or a drawn one) with the caption to its
// right.
//
// How a click changes the state: with "autoCheck" (on by default) a click
// released inside the box, or Space, toggles the check state first and then
// fires the command event, so a handler of the command reads the state the
// click produced. With autoCheck="0" the control never changes its own state:
// it only fires the command and the page sets the state.
#include "platform/ui/SWindow.h"

namespace qv::ui {

class SCheckBox : public SWindow {
    QV_CLASS_NAME(SCheckBox, SWindow, u"check", kObjectWindow)
    QV_ATTRIBUTES(SWindow)

public:
    SCheckBox();
    bool GetAutoCheck() const { return m_autoCheck; }
    void SetAutoCheck(bool autoCheck) { m_autoCheck = autoCheck; }

    void OnLButtonUp(CPoint pt, UINT flags) override;
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    CSize GetDesiredSize() override;

protected:
    void OnPaint(SRenderTarget& rt) override;
    CRect GetTextRect() const override;
    // What a click does to the state when autoCheck is on.
    virtual void OnClickCheck() { SetCheck(!IsChecked()); }
    // The box at the left, vertically centred.
    CRect GetBoxRect() const;
    CSize GetBoxSize() const;
    // The box drawn when no skin is set.
    virtual void DrawDefaultBox(SRenderTarget& rt, const CRect& box);

private:
    bool m_autoCheck = true;
};

}  // namespace qv::ui
