#include "controls/CarGeometry.h"

#include <algorithm>
#include <cmath>

namespace qv::controls {

using namespace qv::ui;

namespace {
// Layouts may give any scale; results stay far inside int.
constexpr double kLimit = 1e7;
int Bounded(double v) { return static_cast<int>(std::clamp(v, -kLimit, kLimit)); }
}  // namespace

void CarGeometry::Update(const CRect& windowRect) {
    window = windowRect;
    origin = CPoint(Bounded(double(window.left) + ldist - xStart / mmPerPx),
                    Bounded(double(window.bottom) + yStart / mmPerPx - bdist));
    const int w = Bounded(carWidth / mmPerPx);
    const int h = Bounded(zhouJu / mmPerPx);
    car = CRect(origin.x, origin.y - h, origin.x + w, origin.y);
    carPicture = CRect(car.left, car.top - w / 2, car.right, origin.y + w / 2);
}

CPoint CarGeometry::ToPixels(double xMm, double yMm) const {
    const double x = std::trunc((xMm - xStart) / mmPerPx) + window.left + static_cast<double>(ldist);
    const double y = window.bottom - static_cast<double>(bdist) - std::trunc((yMm - yStart) / mmPerPx);
    return CPoint(Bounded(x), Bounded(y));
}

CPoint CarGeometry::ToMillimetres(CPoint px) const {
    const double x = (static_cast<double>(px.x) - window.left - ldist) * mmPerPx + xStart;
    const double y = yStart + (static_cast<double>(window.bottom) - bdist - px.y) * mmPerPx;
    return CPoint(Bounded(x), Bounded(y));
}

int CarGeometry::TickPixels() const {
    return Bounded(std::trunc(static_cast<double>(mmPerScale) / mmPerPx + 0.5));
}

}  // namespace qv::controls
