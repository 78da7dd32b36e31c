#include "controls/QvEqGrid.h"

#include <algorithm>
#include <cmath>

#include "controls/CEqModel.h"
#include "controls/EqMetrics.h"
#include "platform/ui/SRenderTarget.h"

namespace qv::controls {

using namespace qv::ui;

namespace {

constexpr int kFreqs[] = {10,   20,   30,   40,   50,   60,   70,   80,   90,    100,  200,  300,  400,  500,  600,
                          700,  800,  900,  1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000};
struct FreqLabel {
    int freq;
    const char16_t* text;
};
constexpr FreqLabel kFreqLabels[] = {{20, u"20Hz"},   {50, u"50Hz"},   {100, u"100Hz"}, {200, u"200Hz"}, {500, u"500Hz"},
                                     {1000, u"1kHz"}, {2000, u"2kHz"}, {5000, u"5kHz"}, {10000, u"10kHz"}, {20000, u"20kHz"}};

// Between the dB labels and the grid.
constexpr int kLabelGap = 4;

const char16_t* LabelOf(int freq) {
    for (const FreqLabel& l : kFreqLabels)
        if (l.freq == freq) return l.text;
    return nullptr;
}

}  // namespace

std::vector<QvEqGrid::Line> QvEqGrid::DbLines() const {
    std::vector<Line> lines;
    if (!m_metrics || m_metrics->nKedu <= 0) return lines;
    const EqMetrics& m = *m_metrics;
    const CRect rc = GetClientRect();
    const int delta = (m.dbMax - m.dbMin) / m.nKedu;
    for (int i = 0; i <= m.nKedu; ++i) {
        const int value = m.dbMax - i * delta;
        lines.push_back({rc.top + m.tdist + i * m.step, value, m.HasScale() && m.dbKeduVal > 0 && value % m.dbKeduVal == 0});
    }
    return lines;
}

std::vector<QvEqGrid::Line> QvEqGrid::FreqLines() const {
    std::vector<Line> lines;
    if (!m_metrics) return lines;
    const EqMetrics& m = *m_metrics;
    const CRect rc = GetClientRect();
    const double decades = EqLog10TopFreq() - m.log10Zero;
    if (decades <= 0) return lines;
    for (int f : kFreqs) {
        const int freq = f == 10 ? m.zeroXFreq : f;
        const int x = rc.left + m.ldist + static_cast<int>(std::trunc((std::log10(freq) - m.log10Zero) * m.gridWidth / decades));
        lines.push_back({x, freq, m.HasScale() && LabelOf(f) != nullptr});
    }
    return lines;
}

std::vector<QvEqGrid::Label> QvEqGrid::Labels() const {
    std::vector<Label> labels;
    if (!m_metrics) return labels;
    const EqMetrics& m = *m_metrics;
    const CRect rc = GetClientRect();
    const SFont font = GetFont();
    for (const Line& line : DbLines()) {
        if (!line.labelled) continue;
        const SStringW text = SStringW::Format(u"%ddB", line.value);
        const CSize size = SRenderTarget::MeasureTextWith(text, font);
        const int right = rc.left + m.ldist - kLabelGap;
        const int top = line.pos - size.cy / 2;
        labels.push_back({text, CRect(right - size.cx, top, right, top + size.cy)});
    }
    for (const Line& line : FreqLines()) {
        if (!line.labelled) continue;
        const SStringW text = LabelOf(line.value);
        const CSize size = SRenderTarget::MeasureTextWith(text, font);
        const int left = std::max(rc.left + m.ldist, std::min(line.pos - size.cx / 2, rc.right - size.cx));
        const int top = rc.bottom - m.bottomMargin + 2;
        labels.push_back({text, CRect(left, top, left + size.cx, top + size.cy)});
    }
    return labels;
}

void QvEqGrid::OnPaint(SRenderTarget& rt) {
    if (!m_metrics || m_metrics->gridWidth <= 0 || m_metrics->gridHeight <= 0) return;
    const EqMetrics& m = *m_metrics;
    const CRect rc = GetClientRect();
    const bool antiAlias = rt.GetAntiAlias();
    rt.SetAntiAlias(true);
    const SPen oldPen = rt.SelectPen(SPen{GetTextColor(), 1, PenStyle::Solid});
    const SFont oldFont = rt.SelectFont(GetFont());
    const COLORREF oldColor = rt.SetTextColor(GetTextColor());
    // Lines run through the middle of their pixels.
    for (const Line& line : DbLines()) {
        const float y = line.pos + 0.5f;
        rt.DrawLine({static_cast<float>(rc.left + m.ldist), y}, {static_cast<float>(rc.right - m.rdist), y});
    }
    const float top = static_cast<float>(rc.top + m.tdist);
    const float bottom = static_cast<float>(rc.bottom - m.bottomMargin);
    for (const Line& line : FreqLines()) {
        const float x = line.pos + 0.5f;
        rt.DrawLine({x, top}, {x, bottom});
    }
    for (const Label& label : Labels()) rt.TextOut(label.rect.left, label.rect.top, label.text);
    rt.SetTextColor(oldColor);
    rt.SelectFont(oldFont);
    rt.SelectPen(oldPen);
    rt.SetAntiAlias(antiAlias);
}

}  // namespace qv::controls
