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

// A section of the main window: a panel a shade lighter than the window.
void PaintSection(Canvas& c) { c.Panel(0, 0, c.Width(), c.Height(), 6, kPanel, kLine); }

constexpr int kTabW = 24;
constexpr int kTabH = 30;

// Tabs: the text on the section's panel; the hovered tab lightens, the
// current one carries an accent bar under its text.
void PaintTab(Canvas& c) {
    const Rgb* fills[] = {nullptr, &kPanelHover, &kPanelHover};
    for (int state = 0; state < 4; ++state) {
        c.Frame(state * kTabW, 0, state == 3 ? kDisabledAlpha : 1.0, [&] {
            if (state < 3 && fills[state]) {
                c.RoundedRect(0, 0, kTabW, kTabH, 4);
                c.SetColor(*fills[state]);
                cairo_fill(c.Cr());
            }
            if (state == 2) {
                c.RoundedRect(4, kTabH - 3, kTabW - 8, 3, 1.5);
                c.SetColor(kAccent);
                cairo_fill(c.Cr());
            }
        });
    }
}

constexpr int kEdit = 24;

// Value boxes: a recessed field with a border that lightens under the
// pointer; the focus skin draws the accent border.
void PaintEdit(Canvas& c) {
    const Rgb field = Hex(0x17181C);
    const Rgb borders[] = {kLine, kTextSecondary, kAccent, kLine};
    for (int state = 0; state < 4; ++state) {
        c.Frame(state * kEdit, 0, state == 3 ? kDisabledAlpha : 1.0,
                [&] { c.Panel(0, 0, kEdit, kEdit, 4, field, borders[state]); });
    }
}

void PaintEditFocus(Canvas& c) {
    c.RoundedRect(0.5, 0.5, c.Width() - 1, c.Height() - 1, 3.5);
    c.SetColor(kAccent);
    cairo_set_line_width(c.Cr(), 1.0);
    cairo_stroke(c.Cr());
}

// Overlays over parameters an effect does not use: the window colour at
// about half opacity, so the locked controls stay readable beneath.
void PaintLockedPitch(Canvas& c) {
    c.RoundedRect(0, 0, c.Width(), c.Height(), 6);
    c.SetColor(kWindow, 0x88 / 255.0);
    cairo_fill(c.Cr());
}

// A row of the effect lists: nothing, a panel tint under the pointer.
void PaintListRow(Canvas& c) {
    c.RoundedRect(c.Width() / 2.0, 0, c.Width() / 2.0, c.Height(), 4);
    c.SetColor(kPanelHover);
    cairo_fill(c.Cr());
}

const SkinImage kImages[] = {
    {"btn_min.png", 4 * kCaptionFrame, kCaptionFrame, PaintMinimize},
    {"btn_menu.png", 4 * kCaptionFrame, kCaptionFrame, PaintMenu},
    {"logo_48.png", 48, 48, PaintLogoTile},
    {"logo_128.png", 128, 128, PaintLogoTile},
    {"wnd_bg_translucent.png", 24, 24, PaintTranslucentPanel},
    {"section_bg.png", 24, 24, PaintSection},
    {"tab.png", 4 * kTabW, kTabH, PaintTab},
    {"edit_bg.png", 4 * kEdit, kEdit, PaintEdit},
    {"edit_focus.png", kEdit, kEdit, PaintEditFocus},
    {"locked_pitch.png", 24, 24, PaintLockedPitch},
    {"list_row.png", 2 * 24, 24, PaintListRow},
};

}  // namespace

std::span<const SkinImage> MainWindowImages() { return kImages; }

}  // namespace qv::skintool
