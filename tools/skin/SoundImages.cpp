#include "tools/skin/SoundImages.h"

namespace qv::skintool {
namespace {

constexpr int kPad = 24;
constexpr int kGlyphButton = 24;

// A pad: a raised tile a shade lighter than its section; the accent border
// under the pointer, the accent fill while pressed.
void PaintPad(Canvas& c) {
    const Rgb fills[] = {kPanelHover, Hex(0x3C404B), kAccentPushed, kPanelHover};
    const Rgb borders[] = {kLine, kAccent, kAccentPushed, kLine};
    for (int state = 0; state < 4; ++state) {
        c.Frame(state * kPad, 0, state == 3 ? kDisabledAlpha : 1.0,
                [&] { c.Panel(0, 0, kPad, kPad, 5, fills[state], borders[state]); });
    }
}

// A small round button with a glyph: the glyph in the secondary text colour,
// white on a panel tint under the pointer, on the accent while pressed.
template <typename Glyph>
void GlyphButton(Canvas& c, Glyph glyph) {
    const int s = kGlyphButton;
    const Rgb* fills[] = {nullptr, &kPanelHover, &kAccentPushed};
    for (int state = 0; state < 4; ++state) {
        c.Frame(state * s, 0, state == 3 ? kDisabledAlpha : 1.0, [&] {
            if (state < 3 && fills[state]) {
                cairo_arc(c.Cr(), s / 2.0, s / 2.0, s / 2.0, 0, 6.2832);
                c.SetColor(*fills[state]);
                cairo_fill(c.Cr());
            }
            glyph(state == 0 || state == 3 ? kTextSecondary : kText);
        });
    }
}

void PaintStop(Canvas& c) {
    GlyphButton(c, [&](Rgb color) {
        c.RoundedRect(8, 8, 8, 8, 1.5);
        c.SetColor(color);
        cairo_fill(c.Cr());
    });
}

// A speaker with two sound waves.
void PaintVolume(Canvas& c) {
    GlyphButton(c, [&](Rgb color) {
        cairo_t* cr = c.Cr();
        cairo_move_to(cr, 5.5, 10);
        cairo_line_to(cr, 8.5, 10);
        cairo_line_to(cr, 12.5, 6.5);
        cairo_line_to(cr, 12.5, 17.5);
        cairo_line_to(cr, 8.5, 14);
        cairo_line_to(cr, 5.5, 14);
        cairo_close_path(cr);
        c.SetColor(color);
        cairo_fill(cr);
        cairo_set_line_width(cr, 1.4);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_arc(cr, 12.5, 12, 3.5, -0.9, 0.9);
        cairo_stroke(cr);
        cairo_arc(cr, 12.5, 12, 6.5, -0.9, 0.9);
        cairo_stroke(cr);
    });
}

const SkinImage kImages[] = {
    {"sound_pad.png", 4 * kPad, kPad, PaintPad},
    {"btn_sound_stop.png", 4 * kGlyphButton, kGlyphButton, PaintStop},
    {"btn_volume.png", 4 * kGlyphButton, kGlyphButton, PaintVolume},
};

}  // namespace

std::span<const SkinImage> SoundImages() { return kImages; }

}  // namespace qv::skintool
