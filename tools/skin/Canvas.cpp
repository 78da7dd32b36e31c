#include "tools/skin/Canvas.h"

#include <cmath>

namespace qv::skintool {

Canvas::Canvas(int width, int height)
    : m_width(width),
      m_height(height),
      m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      m_cr(cairo_create(m_surface)) {}

Canvas::~Canvas() {
    cairo_destroy(m_cr);
    cairo_surface_destroy(m_surface);
}

void Canvas::SetColor(Rgb c, double alpha) { cairo_set_source_rgba(m_cr, c.r, c.g, c.b, alpha); }

void Canvas::RoundedRect(double x, double y, double w, double h, double radius) {
    cairo_new_sub_path(m_cr);
    cairo_arc(m_cr, x + w - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(m_cr, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
    cairo_arc(m_cr, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
    cairo_arc(m_cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(m_cr);
}

void Canvas::Panel(double x, double y, double w, double h, double radius, Rgb fill, Rgb border, double alpha) {
    RoundedRect(x, y, w, h, radius);
    SetColor(fill, alpha);
    cairo_fill(m_cr);
    // A 1-pixel line centred half a pixel inside the edge stays crisp.
    RoundedRect(x + 0.5, y + 0.5, w - 1, h - 1, radius - 0.5);
    SetColor(border, alpha);
    cairo_set_line_width(m_cr, 1.0);
    cairo_stroke(m_cr);
}

bool Canvas::WritePng(const std::string& path) const {
    cairo_surface_flush(m_surface);
    return cairo_surface_write_to_png(m_surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace qv::skintool
