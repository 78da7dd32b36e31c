#include "controls/QvCarCurve.h"

#include "controls/QvCar.h"
#include "platform/ui/SRenderTarget.h"

namespace qv::controls {

using namespace qv::ui;

namespace {
// The outline leaves this much of the picture free above and below.
constexpr int kOutlineInset = 10;

PointF F(CPoint p) { return {static_cast<float>(p.x), static_cast<float>(p.y)}; }
}  // namespace

std::span<const AttrRow> QvCarCurve::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&QvCarCurve::m_lineWidth>(u"lineWidth"),
        AttrMember<&QvCarCurve::m_colorCar>(u"colorCar"),
        AttrMember<&QvCarCurve::m_colorVirt>(u"colorVirt"),
        AttrMember<&QvCarCurve::m_colorSoundSpace>(u"colorSoundSpace"),
        AttrMember<&QvCarCurve::m_colorSpeaker>(u"colorSpeakser"),
    };
    return kRows;
}

void QvCarCurve::OnPaint(SRenderTarget& rt) {
    SWindow::OnPaint(rt);
    if (!m_car) return;
    const float width = static_cast<float>(m_lineWidth);
    const bool antiAlias = rt.GetAntiAlias();
    rt.SetAntiAlias(true);
    const CRect& pic = m_car->GetGeometry().carPicture;
    const SPen old = rt.SelectPen(SPen{m_colorCar, width, PenStyle::Solid});
    rt.DrawRectangle(CRect(pic.left, pic.top + kOutlineInset, pic.right, pic.bottom - kOutlineInset));
    const CRect circle = m_car->GetSoundSpace();
    if (!circle.IsRectEmpty()) {
        const int side = 2 * (circle.Width() / 2);
        rt.SelectPen(SPen{m_colorSoundSpace, width, PenStyle::Dot});
        rt.DrawArc(CRect(circle.TopLeft(), CSize(side, side)), 0, 360, false);
    }
    const CPoint listener = m_car->GetListenerPixels();
    for (int i = 0; i < m_car->GetSpeakerCount(); ++i) {
        const QvCar::Speaker& s = m_car->GetSpeaker(i);
        rt.SelectPen(SPen{m_colorVirt, width, PenStyle::Dot});
        rt.DrawLine(F(s.virtualPx), F(s.px));
        rt.SelectPen(SPen{m_colorSpeaker, width, PenStyle::Solid});
        rt.DrawLine(F(listener), F(s.px));
    }
    rt.SelectPen(old);
    rt.SetAntiAlias(antiAlias);
}

}  // namespace qv::controls
