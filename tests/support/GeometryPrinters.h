#pragma once
// Readable points, sizes and rectangles in test failure messages.
#include <ostream>

#include "platform/ui/Geometry.h"

namespace qv::ui {

inline void PrintTo(const CPoint& p, std::ostream* os) { *os << "(" << p.x << "," << p.y << ")"; }
inline void PrintTo(const CSize& s, std::ostream* os) { *os << s.cx << "x" << s.cy; }
inline void PrintTo(const CRect& r, std::ostream* os) {
    *os << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

}  // namespace qv::ui
