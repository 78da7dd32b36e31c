#include "controls/QvEqCurve.h"

#include <algorithm>
#include <cmath>

#include "controls/CEqModel.h"
#include "controls/EqMetrics.h"

namespace qv::controls {

using namespace qv::ui;

namespace {

// The second summed curve's fixed colour.
constexpr COLORREF kCurveBColor = RGBA(0xC5, 0xC5, 0x12, 0xC8);
// Far enough outside any window to be invisible, near enough for the
// rasteriser: responses run towards minus infinity near a zero, and a band
// of absurd gain gives no number at all.
constexpr double kFarY = 1e5;

float Clamped(double y) { return static_cast<float>(std::isnan(y) ? kFarY : std::clamp(y, -kFarY, kFarY)); }

// The points of a curve worth stroking: one per pixel column, plus every
// peak and trough that stands out by a quarter of a pixel. Stroking the 1024
// points of a curve only half a pixel apart costs many times more and draws
// the same line.
std::vector<PointF> Thinned(const PointF* pts, int count) {
    constexpr float kStandsOut = 0.25f;
    std::vector<PointF> kept;
    kept.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const bool ends = i == 0 || i == count - 1;
        const float before = ends ? 0 : pts[i].y - pts[i - 1].y;
        const float after = ends ? 0 : pts[i + 1].y - pts[i].y;
        const bool extreme = before * after < 0 && std::min(std::abs(before), std::abs(after)) >= kStandsOut;
        if (ends || extreme || pts[i].x - kept.back().x >= 1.0f) kept.push_back(pts[i]);
    }
    return kept;
}

void StrokeCurve(SRenderTarget& rt, const PointF* pts, int count) {
    const std::vector<PointF> kept = Thinned(pts, count);
    rt.DrawLines(kept.data(), static_cast<int>(kept.size()));
}

}  // namespace

std::span<const AttrRow> QvEqCurve::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&QvEqCurve::m_lineWidth>(u"lineWidth"),
        AttrMember<&QvEqCurve::m_colorLine>(u"colorLine"),
        AttrMember<&QvEqCurve::m_colorCurrLine>(u"colorCurrLine"),
    };
    return kRows;
}

void QvEqCurve::Attach(const EqMetrics* metrics, const CEqModel* model, int pointCount) {
    m_metrics = metrics;
    m_model = model;
    const std::size_t n = static_cast<std::size_t>(std::max(0, pointCount));
    m_curveA.assign(n, {});
    m_curveB.assign(n, {});
    m_polygon.assign(n + 2, {});
}

void QvEqCurve::BuildPoints(const CRect& rc) {
    const EqMetrics& m = *m_metrics;
    const std::size_t n = m_curveA.size();
    const float x0 = static_cast<float>(rc.left + m.ldist);
    const double y0 = std::trunc(m.dbMax * m.pxPerDb) + m.tdist + rc.top;
    const double gridBottom = m.gridHeight + m.tdist + rc.top;
    const bool haveModel = m_model && m_model->GetPointCount() == n;
    const int selected = haveModel ? m_model->GetSelectedBand() : -1;
    const EqBand* band = haveModel ? m_model->GetBand(selected) : nullptr;
    m_drawCurveB = haveModel && (m_model->GetFilterSlot(3) >= 0 || m_model->GetFilterSlot(4) >= 0);
    m_drawBand = band && band->response.size() == n;
    for (std::size_t i = 0; i < n; ++i) {
        const float x = x0 + static_cast<float>(i * m.pxPerPoint);
        m_curveA[i] = {x, Clamped(haveModel ? y0 - m_model->GetCurveA()[i] * m.pxPerDb : y0)};
        m_curveB[i] = {x, Clamped(m_drawCurveB ? y0 - m_model->GetCurveB()[i] * m.pxPerDb : y0)};
        const double bandY = m_drawBand ? std::min(y0 - band->response[i] * m.pxPerDb, gridBottom) : y0;
        m_polygon[i + 1] = {x, Clamped(bandY)};
    }
    // A filter slot's band closes on the grid's bottom, an ordinary one on 0 dB.
    const float base = static_cast<float>(haveModel && selected >= m_model->GetBandCount() ? gridBottom : y0);
    m_polygon[0] = {x0, base};
    m_polygon[n + 1] = {n > 0 ? m_polygon[n].x : x0, base};
}

void QvEqCurve::OnPaint(SRenderTarget& rt) {
    if (!m_metrics || m_curveA.empty()) return;
    BuildPoints(GetWindowRect());
    const bool antiAlias = rt.GetAntiAlias();
    rt.SetAntiAlias(true);
    const int n = static_cast<int>(m_curveA.size());
    if (m_drawBand) {
        const SBrush oldBrush = rt.SelectBrush(SBrush{m_colorCurrLine});
        rt.FillPolygon(m_polygon.data(), n + 2);
        rt.SelectBrush(oldBrush);
        const SPen old = rt.SelectPen(SPen{m_colorCurrLine, static_cast<float>(m_lineWidth), PenStyle::Solid});
        StrokeCurve(rt, m_polygon.data() + 1, n);
        rt.SelectPen(old);
    }
    SPen old = rt.SelectPen(SPen{(m_colorLine & 0x00FFFFFFu) | 0xFF000000u, 2, PenStyle::Solid});
    StrokeCurve(rt, m_curveA.data(), n);
    if (m_drawCurveB) {
        rt.SelectPen(SPen{kCurveBColor, 2, PenStyle::Solid});
        StrokeCurve(rt, m_curveB.data(), n);
    }
    rt.SelectPen(old);
    rt.SetAntiAlias(antiAlias);
}

}  // namespace qv::controls
