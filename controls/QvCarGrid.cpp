#include "controls/QvCarGrid.h"

#include "controls/QvCar.h"
#include "platform/ui/SRenderTarget.h"

namespace qv::controls {

using namespace qv::ui;

namespace {
constexpr int kTickLength = 5;
constexpr int kLabelHalfHeight = 15;
}  // namespace

std::span<const AttrRow> QvCarGrid::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&QvCarGrid::m_widthGuidLine>(u"widthGuidLine"),
        AttrMember<&QvCarGrid::m_colorGuidLine>(u"colorGuidLine"),
        AttrMember<&QvCarGrid::m_widthCoords>(u"widthCoords"),
        AttrMember<&QvCarGrid::m_colorCoords>(u"colorCoords"),
    };
    return kRows;
}

CRect QvCarGrid::AxesRect() const {
    const CarGeometry& g = m_car->GetGeometry();
    const CRect c = GetClientRect();
    return CRect(c.left + g.ldist, c.top + g.tdist, c.right - g.rdist, c.bottom - g.bdist);
}

std::vector<QvCarGrid::Tick> QvCarGrid::VerticalTicks() const {
    std::vector<Tick> ticks;
    const int step = m_car ? m_car->GetGeometry().TickPixels() : 0;
    if (step < 1) return ticks;  // would never advance
    const CarGeometry& g = m_car->GetGeometry();
    const CRect axes = AxesRect();
    const int left = GetClientRect().left;
    for (int y = axes.bottom, value = g.yStart;; y -= step, value += g.mmPerScale) {
        ticks.push_back({CPoint(axes.left, y), value,
                         CRect(left + 2, y - kLabelHalfHeight, left + g.ldist, y + kLabelHalfHeight)});
        if (y - step - kLabelHalfHeight < axes.top) break;
    }
    return ticks;
}

std::vector<QvCarGrid::Tick> QvCarGrid::HorizontalTicks() const {
    std::vector<Tick> ticks;
    const int step = m_car ? m_car->GetGeometry().TickPixels() : 0;
    if (step < 1) return ticks;
    const CarGeometry& g = m_car->GetGeometry();
    const CRect axes = AxesRect();
    for (int x = axes.left, value = g.xStart;; x += step, value += g.mmPerScale) {
        ticks.push_back({CPoint(x, axes.bottom), value,
                         CRect(x - g.ldist / 2 - 8, axes.bottom, x + g.ldist / 2 - 10, axes.bottom + 2 * kLabelHalfHeight)});
        if (x + step + g.ldist / 2 - 10 > axes.right) break;
    }
    return ticks;
}

void QvCarGrid::OnPaint(SRenderTarget& rt) {
    SWindow::OnPaint(rt);
    if (!m_car) return;
    const CarGeometry& g = m_car->GetGeometry();
    const CRect axes = AxesRect();
    auto line = [&rt](int x1, int y1, int x2, int y2) {
        rt.DrawLine({static_cast<float>(x1), static_cast<float>(y1)}, {static_cast<float>(x2), static_cast<float>(y2)});
    };
    const SPen oldPen = rt.SelectPen(SPen{m_colorCoords, static_cast<float>(m_widthCoords), PenStyle::Solid});
    const SFont oldFont = rt.SelectFont(GetFont());
    const COLORREF oldText = rt.SetTextColor(GetTextColor());
    line(axes.left, axes.bottom, axes.right, axes.bottom);
    line(axes.left, axes.bottom, axes.left, axes.top);
    auto label = [&rt](const Tick& t) {
        CRect rc = t.label;
        rt.DrawText(SStringW::Format(u"%.01f", t.valueMm / 1000.0), rc, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    };
    for (const Tick& t : VerticalTicks()) {
        line(t.at.x, t.at.y, t.at.x + kTickLength, t.at.y);
        label(t);
    }
    for (const Tick& t : HorizontalTicks()) {
        line(t.at.x, t.at.y - kTickLength, t.at.x, t.at.y);
        label(t);
    }
    rt.SelectPen(SPen{m_colorGuidLine, static_cast<float>(m_widthGuidLine), PenStyle::Dot});
    line(axes.left, g.origin.y, axes.right, g.origin.y);
    line(g.origin.x, axes.top, g.origin.x, axes.bottom);
    rt.SetTextColor(oldText);
    rt.SelectFont(oldFont);
    rt.SelectPen(oldPen);
}

}  // namespace qv::controls
