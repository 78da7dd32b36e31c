#include "tools/skin/MainWindowImages.h"

#include <cmath>

namespace qv::skintool {
namespace {

constexpr int kCaptionFrame = 24;

// A caption button face: nothing when normal, a panel tint under the
// pointer, a darker one when pressed; the glyph on top.
template <typename Glyph>
void CaptionButton(Canvas& c, Glyph glyph) {
    const int s = kCaptionFrame;
    const Rgb* fills[] = {nullptr, &kPanelHover, &kLine};
    for (int state = 0; state < 3; ++state) {
        c.Frame(state * s, 0, 1.0, [&] {
            if (fills[state]) {
                c.RoundedRect(0, 0, s, s, 4);
                c.SetColor(*fills[state]);
                cairo_fill(c.Cr());
            }
            glyph(state == 0 ? kTextSecondary : kText);
        });
    }
    c.Frame(3 * s, 0, kDisabledAlpha, [&] { glyph(kTextSecondary); });
}

void Stroke(Canvas& c, Rgb color) {
    c.SetColor(color);
    cairo_set_line_width(c.Cr(), 1.5);
    cairo_set_line_cap(c.Cr(), CAIRO_LINE_CAP_ROUND);
    cairo_stroke(c.Cr());
}

void PaintMinimize(Canvas& c) {
    CaptionButton(c, [&](Rgb color) {
        cairo_move_to(c.Cr(), 7.5, 12.5);
        cairo_line_to(c.Cr(), 16.5, 12.5);
        Stroke(c, color);
    });
}

void PaintMenu(Canvas& c) {
    CaptionButton(c, [&](Rgb color) {
        for (double y : {8.5, 12.5, 16.5}) {
            cairo_move_to(c.Cr(), 7.5, y);
            cairo_line_to(c.Cr(), 16.5, y);
        }
        Stroke(c, color);
    });
}

// The program's logo at a larger size (about box, desktop menus): the tray
// logo's sound mark on an accent tile, drawn on a 48-unit grid.
void PaintLogoTile(Canvas& c) {
    const double k = c.Width() / 48.0;
    cairo_scale(c.Cr(), k, k);
    c.RoundedRect(2, 2, 44, 44, 10);
    c.SetColor(kAccent);
    cairo_fill(c.Cr());
    const double heights[] = {12, 20, 30, 20, 12};
    double x = 9;
    for (double h : heights) {
        c.RoundedRect(x, 24 - h / 2, 3, h, 1.5);
        x += 3 + 4.5;
    }
    c.SetColor(kWindow);
    cairo_fill(c.Cr());
}

// A translucent panel for the small tool boxes over the main window.
void PaintTranslucentPanel(Canvas& c) { c.Panel(0, 0, c.Width(), c.Height(), 6, kWindow, kLine, 0.94); }

const SkinImage kImages[] = {
    {"btn_min.png", 4 * kCaptionFrame, kCaptionFrame, PaintMinimize},
    {"btn_menu.png", 4 * kCaptionFrame, kCaptionFrame, PaintMenu},
    {"logo_48.png", 48, 48, PaintLogoTile},
    {"logo_128.png", 128, 128, PaintLogoTile},
    {"wnd_bg_translucent.png", 24, 24, PaintTranslucentPanel},
};

}  // namespace

std::span<const SkinImage> MainWindowImages() { return kImages; }

}  // namespace qv::skintool
