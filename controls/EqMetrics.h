#pragma once
// The equaliser editor's scale: margins and dB range from its attributes,
// and what follows from its client rectangle. The grid and the curve draw
// with the editor's metrics.
#include "platform/ui/Geometry.h"

namespace qv::controls {

struct EqMetrics {
    // From the attributes.
    int ldist = 36;
    int tdist = 18;
    int rdist = 0;
    int bdist = 16;
    int dbMax = 12;
    int dbMin = -12;
    int nKedu = 4;
    int dbKeduVal = 6;
    int zeroXFreq = 10;
    double log10Zero = 1;
    // From the client rectangle (Recompute).
    qv::ui::CRect client;
    int step = 0;       // pixels per grid division
    int gridHeight = 0;
    int bottomMargin = 0;
    int gridWidth = 0;
    double pxPerDecade = 0;
    double pxPerPoint = 0;
    double pxPerDb = 0;

    void Recompute(const qv::ui::CRect& rc, int pointCount);
    // A grid to place thumbs on and label: a dB range and both sides.
    bool HasScale() const { return dbMax > dbMin && gridWidth > 0 && gridHeight > 0 && pxPerDecade > 0; }
    // x of a frequency (above 0) and y of a gain in the editor's client
    // rectangle, rounded.
    int XOfFreq(double freq) const;
    int YOfGain(double gain) const;
};

}  // namespace qv::controls
