#pragma once
// The rotary knob (layout tag "qvrotaryknob"): a slider whose range is spread
// over a circle minus a gap at the bottom ("includedAngle" degrees wide).
// The user drags a point about the centre or uses the wheel and the keys;
// every change is reported through the slider-position event 17000 (code 2).
// It paints a pie sector from the start of the range to the value
// ("colorCircle", radius "fgRadius"), its background skin over that, a dot
// ("dotSkin", "dotRadius" from the centre) and a pointer image ("slashSkin")
// rotated about the centre.
//
// Angles are degrees clockwise on screen from the positive x axis; degrees
// and radians convert with the constant 3.14, on which the positions rest.
// The range starts at 90 + includedAngle / 2 (bottom left of the gap).
#include <optional>

#include "platform/ui/AttrTable.h"
#include "platform/ui/SBitmap.h"
#include "platform/ui/controls/SSliderBar.h"

namespace qv::controls {

class QvRotaryKnob : public qv::ui::SSliderBar {
    QV_CLASS_NAME(QvRotaryKnob, qv::ui::SSliderBar, u"qvrotaryknob", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SSliderBar)

public:
    // Angles from the current range and included angle (at least 1 degree of
    // travel; an included angle of 360 or more counts as 359).
    double GetIncludedAngle() const;
    double GetStartAngle() const { return 90 + GetIncludedAngle() / 2; }
    double GetValuePerDegree() const;
    // 0 at min, 360 - includedAngle at max.
    double GetCurrentAngle() const;
    // Where the dot is drawn for the current value.
    qv::ui::CPoint GetDotPos() const;
    qv::ui::CPoint GetCentre() const { return m_centre; }
    int GetPointerType() const { return m_pointerType; }
    // The value at a point: the angle about the centre, bounded to the range
    // (the gap's left half gives min, its right half max); none at the centre.
    std::optional<int> ValueAtPoint(qv::ui::CPoint pt) const;

    void OnLButtonDown(qv::ui::CPoint pt, UINT flags) override;
    void OnLButtonUp(qv::ui::CPoint pt, UINT flags) override;
    void OnMouseMove(qv::ui::CPoint pt, UINT flags) override;
    void OnMouseLeave() override { SWindow::OnMouseLeave(); }
    void OnMouseWheel(int delta, qv::ui::CPoint pt) override;
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void OnCaptureLost() override;

protected:
    void OnSize(qv::ui::CSize size) override;
    void OnPaint(qv::ui::SRenderTarget& rt) override;

private:
    HRESULT SetIncludedAngleAttr(const qv::ui::SStringW& value, bool loading);
    HRESULT SetSlashSkinAttr(const qv::ui::SStringW& value, bool loading);
    HRESULT SetPointerTypeAttr(const qv::ui::SStringW& value, bool loading);
    // Stores a value (bounded) and reports it.
    void SetAndNotify(long long value);
    void PaintSector(qv::ui::SRenderTarget& rt) const;
    void PaintPointer(qv::ui::SRenderTarget& rt) const;

    int m_pointerType = 0;  // 0 dot, 1 slash; stored only
    double m_includedAngle = 30.0;
    qv::ui::CPoint m_centre;
    int m_fgRadius = 0;
    qv::ui::ISkinObj* m_dotSkin = nullptr;
    qv::ui::BitmapPtr m_slashSkin;
    qv::ui::CSize m_pointerSize;
    qv::ui::CSize m_pointerOffset;
    int m_dotRadius = 20;
    bool m_fgPaintArc = true;
    // A drag crossed the gap: the value holds until the pointer comes back.
    bool m_stuckAtMax = false;
    bool m_stuckAtMin = false;
    qv::ui::COLORREF m_colorCircle = qv::ui::RGBA(0x00, 0xF6, 0xFF, 0xFF);
};

}  // namespace qv::controls
