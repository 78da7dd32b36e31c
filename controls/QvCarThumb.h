#pragma once
// A draggable marker of the car editor (layout tag "qvcarthumb"): user data
// 0 is the listening position, 1..32 a speaker. While dragged it follows
// the pointer as far as its editor lets it (the car body) and reports each
// step to it. It keeps its place as an offset from its area's bottom-left
// corner ("percentFloat" 0) or as fractions of the area ("percentFloat" 1,
// "xFloat" from the left, "yFloat" from the bottom).
#include "platform/ui/SWindow.h"

namespace qv::controls {

class QvCar;

class QvCarThumb : public qv::ui::SWindow {
    QV_CLASS_NAME(QvCarThumb, qv::ui::SWindow, u"qvcarthumb", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SWindow)

public:
    // The editor told of drags; null: none.
    void SetCar(QvCar* car) { m_car = car; }
    // Places the thumb in the area by its offsets or fractions, at its layout size.
    void UpdateFloatPosition(const qv::ui::CRect& area);
    // Centres the thumb at the point and keeps that place for later layouts.
    void CentreAt(qv::ui::CPoint pt);
    bool IsDragging() const { return m_dragging; }

    void OnLButtonDown(qv::ui::CPoint pt, UINT flags) override;
    void OnMouseMove(qv::ui::CPoint pt, UINT flags) override;
    void OnLButtonUp(qv::ui::CPoint pt, UINT flags) override;
    void OnCaptureLost() override;

protected:
    void OnPaint(qv::ui::SRenderTarget& rt) override;

private:
    HRESULT SetFloatAttr(float& member, const qv::ui::SStringW& value);
    HRESULT SetXFloatAttr(const qv::ui::SStringW& value, bool) { return SetFloatAttr(m_xFloat, value); }
    HRESULT SetYFloatAttr(const qv::ui::SStringW& value, bool) { return SetFloatAttr(m_yFloat, value); }
    qv::ui::CSize LayoutSize() const;
    void EndDrag();

    int m_percentFloat = 0;
    float m_xFloat = 0;
    float m_yFloat = 0;
    qv::ui::COLORREF m_centerColor = qv::ui::RGBA(200, 200, 200, 0);
    qv::ui::CRect m_area;
    int m_leftOffset = 0;  // left edge from the area's left
    int m_topOffset = 0;   // top edge above the area's bottom
    bool m_dragging = false;
    qv::ui::CPoint m_grab;  // pointer minus the thumb's centre
    QvCar* m_car = nullptr;
};

}  // namespace qv::controls
