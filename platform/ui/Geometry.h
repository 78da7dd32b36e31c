#pragma once
// Points, sizes and rectangles in pixels. A rectangle's right and bottom
// edges are exclusive, so Width() is right - left.
#include <algorithm>

namespace qv::ui {

struct CPoint {
    int x = 0;
    int y = 0;
    CPoint() = default;
    CPoint(int x_, int y_) : x(x_), y(y_) {}
    bool operator==(const CPoint&) const = default;
};

struct CSize {
    int cx = 0;
    int cy = 0;
    CSize() = default;
    CSize(int cx_, int cy_) : cx(cx_), cy(cy_) {}
    bool operator==(const CSize&) const = default;
};

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    CRect() = default;
    CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
    CRect(CPoint pt, CSize sz) : left(pt.x), top(pt.y), right(pt.x + sz.cx), bottom(pt.y + sz.cy) {}
    bool operator==(const CRect&) const = default;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return {Width(), Height()}; }
    CPoint TopLeft() const { return {left, top}; }
    CPoint CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }
    bool IsRectEmpty() const { return right <= left || bottom <= top; }
    bool PtInRect(CPoint pt) const { return pt.x >= left && pt.x < right && pt.y >= top && pt.y < bottom; }
    void Offset(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
    void Deflate(int l, int t, int r, int b) { left += l; top += t; right -= r; bottom -= b; }
    void Deflate(int dx, int dy) { Deflate(dx, dy, dx, dy); }
    void Inflate(int dx, int dy) { Deflate(-dx, -dy); }
    // Sets this to the overlap of a and b; false (and an empty rectangle) when none.
    bool Intersect(const CRect& a, const CRect& b) {
        left = std::max(a.left, b.left);
        top = std::max(a.top, b.top);
        right = std::min(a.right, b.right);
        bottom = std::min(a.bottom, b.bottom);
        if (IsRectEmpty()) { *this = CRect(); return false; }
        return true;
    }
    // Sets this to the smallest rectangle holding a and b (empty ones ignored).
    void Union(const CRect& a, const CRect& b) {
        if (a.IsRectEmpty()) { *this = b; return; }
        if (b.IsRectEmpty()) { *this = a; return; }
        *this = CRect(std::min(a.left, b.left), std::min(a.top, b.top),
                      std::max(a.right, b.right), std::max(a.bottom, b.bottom));
    }
};

}  // namespace qv::ui
