#pragma once
// The caption area of a borderless window: dragging it with the left button
// moves the host window. It fires no command. A press on a child that takes
// no clicks (the title, the logo) drags as a press on the caption does.
#include "platform/ui/SWindow.h"

namespace qv::ui {

class SCaption : public SWindow {
    QV_CLASS_NAME(SCaption, SWindow, u"caption", kObjectWindow)

public:
    bool GathersChildPresses() const override { return true; }
    void OnLButtonDown(CPoint pt, UINT flags) override;
    void OnMouseMove(CPoint pt, UINT flags) override;
    void OnLButtonUp(CPoint pt, UINT flags) override;
    void OnCaptureLost() override { m_dragging = false; }
    bool IsDragging() const { return m_dragging; }

private:
    bool m_dragging = false;
    CPoint m_startScreen;  // the pointer on the screen when the drag began
    CRect m_startRect;     // the host's screen rectangle then
};

}  // namespace qv::ui
