#pragma once
// The fader with a centre mark (layout tag "qvslider2"): its filled span runs
// from the value "selectPos" to the thumb, either way. After every key and
// wheel turn it shows its value in the popup, which stays until the slider
// loses the focus or the mouse.
#include "controls/QvSlider.h"

namespace qv::controls {

class QvSlider2 : public QvSlider {
    QV_CLASS_NAME(QvSlider2, QvSlider, u"qvslider2", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(QvSlider)

public:
    // The span from the mark at selectPos to the thumb's centre; empty when
    // the range is empty.
    qv::ui::CRect SpanRect() const;
    bool IsPopupShown() const { return m_popupShown; }

    void OnMouseLeave() override;
    void OnMouseWheel(int delta, qv::ui::CPoint pt) override;
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void OnKillFocus() override;

protected:
    void PaintSpan(qv::ui::SRenderTarget& rt, int frame) override;

private:
    void ShowPopupAfterInput();

    int m_selectPos = 0;
    int m_spanDeflate = 0;
    bool m_popupShown = false;
};

}  // namespace qv::controls
