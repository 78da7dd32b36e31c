#include "controls/EqMetrics.h"

#include <algorithm>
#include <cmath>

#include "controls/CEqModel.h"

namespace qv::controls {

void EqMetrics::Recompute(const qv::ui::CRect& rc, int pointCount) {
    client = rc;
    step = nKedu > 0 ? (rc.bottom - bdist - rc.top - tdist) / nKedu : 0;
    gridHeight = nKedu * step;
    bottomMargin = rc.bottom - rc.top - tdist - gridHeight;
    gridWidth = rc.right - rdist - ldist - rc.left;
    const double decades = EqLog10TopFreq() - log10Zero;
    pxPerDecade = decades > 0 ? gridWidth / decades : 0;
    pxPerPoint = pointCount > 0 ? static_cast<double>(gridWidth) / pointCount : 0;
    pxPerDb = dbMax > dbMin ? static_cast<double>(gridHeight) / (dbMax - dbMin) : 0;
}

namespace {

// Far outside any window, yet a valid int for any finite value.
int Pixels(double v) { return static_cast<int>(std::clamp(std::trunc(v + 0.5), -1e6, 1e6)); }

}  // namespace

int EqMetrics::XOfFreq(double freq) const {
    return client.left + ldist + Pixels((std::log10(freq) - log10Zero) * pxPerDecade);
}

int EqMetrics::YOfGain(double gain) const { return client.top + tdist + Pixels((dbMax - gain) * pxPerDb); }

}  // namespace qv::controls
