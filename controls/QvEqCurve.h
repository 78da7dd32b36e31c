#pragma once
// The equaliser's curves (layout tag "qveqcurve", a child of QvEQ): the
// summed response in "colorLine" (drawn opaque), the second summed curve
// when a high filter slot is set, and the selected band's response filled
// and outlined in "colorCurrLine" (pen "lineWidth").
#include <vector>

#include "platform/ui/AttrTable.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SWindow.h"

namespace qv::controls {

class CEqModel;
struct EqMetrics;

class QvEqCurve : public qv::ui::SWindow {
    QV_CLASS_NAME(QvEqCurve, qv::ui::SWindow, u"qveqcurve", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SWindow)

public:
    // The editor's scale and model; both outlive the curve. Nothing is drawn
    // before this.
    void Attach(const EqMetrics* metrics, const CEqModel* model, int pointCount);
    // The points last drawn (summed curve, selected band's polygon).
    const std::vector<qv::ui::PointF>& GetCurveA() const { return m_curveA; }
    const std::vector<qv::ui::PointF>& GetBandPolygon() const { return m_polygon; }

protected:
    void OnPaint(qv::ui::SRenderTarget& rt) override;

private:
    void BuildPoints(const qv::ui::CRect& rc);

    int m_lineWidth = 2;
    qv::ui::COLORREF m_colorLine = qv::ui::RGBA(0, 255, 0, 255);
    qv::ui::COLORREF m_colorCurrLine = qv::ui::RGBA(60, 60, 60, 50);
    const EqMetrics* m_metrics = nullptr;
    const CEqModel* m_model = nullptr;
    std::vector<qv::ui::PointF> m_curveA;
    std::vector<qv::ui::PointF> m_curveB;
    std::vector<qv::ui::PointF> m_polygon;  // points + 2
    bool m_drawCurveB = false;
    bool m_drawBand = false;
};

}  // namespace qv::controls
