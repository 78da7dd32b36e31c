#pragma once
// A 2-D affine transform: x' = a*x + c*y + tx, y' = b*x + d*y + ty.
#include <cmath>

namespace qv::ui {

struct SMatrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static SMatrix Identity() { return {}; }
    bool IsIdentity() const { return a == 1 && b == 0 && c == 0 && d == 1 && tx == 0 && ty == 0; }
    // this then other.
    SMatrix Multiply(const SMatrix& o) const {
        return {a * o.a + b * o.c, a * o.b + b * o.d, c * o.a + d * o.c, c * o.b + d * o.d,
                tx * o.a + ty * o.c + o.tx, tx * o.b + ty * o.d + o.ty};
    }
    // Each of these applies the new step before the existing transform.
    SMatrix& Translate(double dx, double dy) { *this = SMatrix{1, 0, 0, 1, dx, dy}.Multiply(*this); return *this; }
    SMatrix& Scale(double sx, double sy) { *this = SMatrix{sx, 0, 0, sy, 0, 0}.Multiply(*this); return *this; }
    // Degrees, clockwise on screen (y grows downwards).
    SMatrix& Rotate(double degrees) {
        double r = degrees * M_PI / 180.0;
        *this = SMatrix{std::cos(r), std::sin(r), -std::sin(r), std::cos(r), 0, 0}.Multiply(*this);
        return *this;
    }
    void Apply(double& x, double& y) const {
        double nx = a * x + c * y + tx;
        double ny = b * x + d * y + ty;
        x = nx;
        y = ny;
    }
};

}  // namespace qv::ui
