#pragma once
// A Cairo image surface with the few drawing helpers the skin images share.
#include <cairo.h>

#include <string>

#include "tools/skin/Palette.h"

namespace qv::skintool {

class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* Cr() const { return m_cr; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    void SetColor(Rgb c, double alpha = 1.0);
    // A rounded rectangle path; x, y, w, h in pixels.
    void RoundedRect(double x, double y, double w, double h, double radius);
    // Fills a rounded rectangle and strokes its 1-pixel border inside it.
    void Panel(double x, double y, double w, double h, double radius, Rgb fill, Rgb border, double alpha = 1.0);
    // Draws what paint() draws into the frame at (x, y), at the given opacity.
    template <typename Paint>
    void Frame(double x, double y, double alpha, Paint paint) {
        cairo_save(m_cr);
        cairo_translate(m_cr, x, y);
        cairo_push_group(m_cr);
        paint();
        cairo_pop_group_to_source(m_cr);
        cairo_paint_with_alpha(m_cr, alpha);
        cairo_restore(m_cr);
    }
    [[nodiscard]] bool WritePng(const std::string& path) const;

private:
    int m_width;
    int m_height;
    cairo_surface_t* m_surface;
    cairo_t* m_cr;
};

}  // namespace qv::skintool
