#pragma once
// A slider on a progress bar: a thumb moved by the mouse, the wheel and the
// keys along a rail. Every change of the value is reported with NotifyPos
// (code 2, the value), which fires the slider-position event 17000.
//
// Geometry along the rail (GetPartRange): the thumb of length thumbLen moves
// over len - thumbLen pixels, its start at
//   (len - thumbLen) * (value - min) / (max - min),
// so it touches the start of the rail at min and the end at max. With
// "thumbInRail" the rail (part 0) runs the whole length; without it the rail
// runs between the thumb's centres at min and max (thumbLen / 2 from each
// end). The filled span (part 1) runs from the rail's start to the thumb's
// centre. Lengths run from the left of a horizontal slider and from the
// bottom of a vertical one (min at the bottom).
#include <utility>

#include "platform/ui/controls/SProgress.h"

namespace qv::ui {

class SSliderBar : public SProgress {
    QV_CLASS_NAME(SSliderBar, SProgress, u"sliderbar", kObjectWindow)
    QV_ATTRIBUTES(SProgress)

public:
    enum Part { kPartNone = -1, kPartRail = 0, kPartSelect = 1, kPartThumb = 2, kPartRailBack = 3 };
    static constexpr int kNotifyCode = 2;

    SSliderBar();

    // Start and end of a part along the rail, as described above.
    static std::pair<int, int> GetPartRange(int len, int thumbLen, bool inRail, int min, int max, int value, int part);
    // A part's rectangle in host-client coordinates.
    CRect GetPartRect(int part) const;
    int HitTest(CPoint pt) const;
    // The value whose thumb is centred on the point.
    int ValueFromPoint(CPoint pt) const;
    bool IsThumbInRail() const { return m_thumbInRail; }
    bool IsDragging() const { return m_dragging; }
    int GetHoverPart() const { return m_hoverPart; }

    void OnLButtonDown(CPoint pt, UINT flags) override;
    void OnLButtonUp(CPoint pt, UINT flags) override;
    void OnMouseMove(CPoint pt, UINT flags) override;
    void OnMouseLeave() override;
    void OnMouseWheel(int delta, CPoint pt) override;
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void OnCaptureLost() override;

protected:
    // Fires the slider-position event with the value.
    virtual void NotifyPos(int code, int pos);
    void OnPaint(SRenderTarget& rt) override;
    int GetThumbLength() const;
    // Sets the value (bounded) and notifies when it changed.
    void ChangeValue(int value);

    ISkinObj* m_thumbSkin = nullptr;
    bool m_thumbInRail = false;
    bool m_dragging = false;
    CPoint m_dragPoint;
    int m_dragValue = 0;
    int m_hoverPart = kPartNone;

private:
    int RailLength() const;
    int Along(CPoint pt) const;
};

}  // namespace qv::ui
