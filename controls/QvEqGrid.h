#pragma once
// The equaliser's grid (layout tag "qveqgrid", a child of QvEQ): dB lines
// with "%ddB" labels and frequency lines at 10..90, 100..900, 1000..9000,
// 10000 and 20000 Hz, labelled at 20, 50, 100, 200, 500 Hz, 1, 2, 5, 10 and
// 20 kHz, in its own text colour and font.
#include <vector>

#include "platform/ui/SStringW.h"
#include "platform/ui/SWindow.h"

namespace qv::controls {

struct EqMetrics;

class QvEqGrid : public qv::ui::SWindow {
    QV_CLASS_NAME(QvEqGrid, qv::ui::SWindow, u"qveqgrid", qv::ui::kObjectWindow)

public:
    struct Line {
        int pos;          // y of a dB line, x of a frequency line
        int value;        // dB or Hz
        bool labelled;
    };
    // The editor's scale, which outlives the grid. Nothing is drawn before.
    void Attach(const EqMetrics* metrics) { m_metrics = metrics; }
    // The lines for the current client rectangle.
    std::vector<Line> DbLines() const;
    std::vector<Line> FreqLines() const;
    struct Label {
        qv::ui::SStringW text;
        qv::ui::CRect rect;  // where the text is drawn, its measured size
    };
    // The labels: each dB label right-aligned left of the grid and centred
    // on its line, each frequency label centred under its line but kept
    // inside the control and right of the dB labels.
    std::vector<Label> Labels() const;

protected:
    void OnPaint(qv::ui::SRenderTarget& rt) override;

private:
    const EqMetrics* m_metrics = nullptr;
};

}  // namespace qv::controls
