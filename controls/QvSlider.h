#pragma once
// The linear fader (layout tag "qvslider"): rail ("bkgndSkin"), filled span
// ("posSkin") and thumb ("thumbSkin") drawn from skins, moved by the mouse,
// the wheel and the keys. Every change is reported through the
// slider-position event 17000 (code 2). With "showPercent" the value shows
// in the shared popup (SSimpleToolTip) beside the thumb while the thumb is
// hovered or dragged.
//
// Lengths along the rail run from the left of a horizontal slider and from
// the bottom of a vertical one. Without the thumb or rail skin their size
// counts as zero; while the rail has no length, clicks and drags do nothing.
#include "platform/ui/AttrTable.h"
#include "platform/ui/controls/SSliderBar.h"

namespace qv::controls {

class SSimpleToolTip;

class QvSlider : public qv::ui::SSliderBar {
    QV_CLASS_NAME(QvSlider, qv::ui::SSliderBar, u"qvslider", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SSliderBar)

public:
    ~QvSlider() override;

    // Rail 0, filled span 1, thumb 2, whole rail background 3.
    virtual qv::ui::CRect PartRect(int part) const;
    // Thumb 2, else span 1, else rail 0, else -1.
    int HitPart(qv::ui::CPoint pt) const;
    // The skin frame for a state by the skin's number of states.
    static int FrameForState(DWORD state, int skinStates);
    bool HoldsPopup() const { return m_popup != nullptr; }

    void OnLButtonDown(qv::ui::CPoint pt, UINT flags) override;
    void OnLButtonUp(qv::ui::CPoint pt, UINT flags) override;
    void OnMouseMove(qv::ui::CPoint pt, UINT flags) override;
    void OnMouseLeave() override;
    void OnMouseWheel(int delta, qv::ui::CPoint pt) override;
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override;

protected:
    void OnPaint(qv::ui::SRenderTarget& rt) override;
    void OnDestroy() override;
    // The rectangle of a part along the rail [start, end), centred across it.
    qv::ui::CRect AlongRail(int start, int end, int part) const;
    // Centres a rectangle across the rail in the band of the thumb and the
    // rail; parts other than the thumb take the rail's thickness (or less by
    // spanDeflate when it is above 0 on a horizontal slider).
    qv::ui::CRect CentreAcross(qv::ui::CRect rc, int part, int spanDeflate) const;
    int ThumbLength() const;
    int RailLength() const;
    qv::ui::CSize ThumbSize() const;
    qv::ui::CSize RailSize() const;
    virtual void PaintSpan(qv::ui::SRenderTarget& rt, int frame);
    // Shows the value beside the thumb when "showPercent" is set.
    void ShowPopupAtThumb();
    void HidePopup();
    void SetAndNotify(long long value);

    int m_thumbInRailX = 0;
    int m_selectPosDeflate = 0;
    bool m_drawThumb = true;  // stored only

private:
    void ReleasePopup();
    SSimpleToolTip* m_popup = nullptr;  // one reference held while set
};

}  // namespace qv::controls
