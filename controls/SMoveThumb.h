#pragma once
// A small elliptic handle the user drags (layout tag "moveThumb"). It does
// not move itself: while dragged it reports where it would go in
// EventThumbMoving, and its owner decides where it goes. It keeps its
// position as fractions of a parent area ("xFloat", "yFloat"), so a new
// layout of that area puts it back in the same place.
//
// The drag ends on button-up, on the loss of the mouse capture, or on a
// move without the left button held.
#include "platform/ui/AttrTable.h"
#include "platform/ui/EventArgs.h"
#include "platform/ui/SWindow.h"

namespace qv::controls {

constexpr int EVT_THUMB_MOVING = 29100;

QV_EVENT_BEGIN(EventThumbMoving, EVT_THUMB_MOVING, u"on_thumb_moving")
    int userData = 0;  // the thumb's user data, which owners use as an index
    int x = 0;         // proposed left edge (the current one when x cannot move)
    int y = 0;         // proposed top edge (the current one when y cannot move)
    int currentX = 0;
    int currentY = 0;
QV_EVENT_END

class SMoveThumb : public qv::ui::SWindow {
    QV_CLASS_NAME(SMoveThumb, qv::ui::SWindow, u"moveThumb", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SWindow)

public:
    SMoveThumb();

    // Places the thumb in the area by its fractions, at its layout size.
    void UpdateFloatPosition(const qv::ui::CRect& area);
    // Takes the fractions from where the thumb is now in the last area;
    // nothing for an empty area.
    void UpdateFloatFromRect();
    float GetXFloat() const { return m_xFloat; }
    float GetYFloat() const { return m_yFloat; }
    bool IsDragging() const { return m_dragging; }

    void OnLButtonDown(qv::ui::CPoint pt, UINT flags) override;
    void OnLButtonUp(qv::ui::CPoint pt, UINT flags) override;
    void OnMouseMove(qv::ui::CPoint pt, UINT flags) override;
    void OnCaptureLost() override;

protected:
    void OnPaint(qv::ui::SRenderTarget& rt) override;

private:
    HRESULT SetFloatAttr(float& member, const qv::ui::SStringW& value);
    HRESULT SetXFloatAttr(const qv::ui::SStringW& value, bool) { return SetFloatAttr(m_xFloat, value); }
    HRESULT SetYFloatAttr(const qv::ui::SStringW& value, bool) { return SetFloatAttr(m_yFloat, value); }

    float m_xFloat = 0;
    float m_yFloat = 0;
    int m_canXMove = 1;
    int m_canYMove = 1;
    int m_canOutsize = 0;  // stored only
    qv::ui::COLORREF m_centerColor = qv::ui::RGBA(200, 200, 200, 0);
    qv::ui::CRect m_area;
    bool m_dragging = false;
    qv::ui::CPoint m_grab;
};

}  // namespace qv::controls
