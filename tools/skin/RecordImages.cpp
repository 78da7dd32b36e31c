#include "tools/skin/RecordImages.h"

#include <cmath>

namespace qv::skintool {
namespace {

// A frame: the glyph's square at the left (kept whole by the skin's left
// margin), then the stretched middle and the right edge.
constexpr int kFrameW = 48;
constexpr int kFrameH = 32;
constexpr double kGlyphX = 16;
constexpr double kGlyphY = kFrameH / 2.0;
constexpr int kMeterLength = 96;
constexpr int kMeterThickness = 8;

enum class Glyph { kDot, kTriangle, kSquare };

void DrawGlyph(Canvas& c, Glyph glyph, Rgb color) {
    cairo_t* cr = c.Cr();
    switch (glyph) {
    case Glyph::kDot:
        cairo_arc(cr, kGlyphX, kGlyphY, 5.5, 0, 2 * M_PI);
        break;
    case Glyph::kTriangle:
        cairo_move_to(cr, kGlyphX - 4, kGlyphY - 6);
        cairo_line_to(cr, kGlyphX + 6, kGlyphY);
        cairo_line_to(cr, kGlyphX - 4, kGlyphY + 6);
        cairo_close_path(cr);
        break;
    case Glyph::kSquare:
        c.RoundedRect(kGlyphX - 5, kGlyphY - 5, 10, 10, 2);
        break;
    }
    c.SetColor(color);
    cairo_fill(cr);
}

// One face of a two-state button.
struct Face {
    Rgb fill;
    Rgb border;
    Glyph glyph;
    Rgb glyphColor;
};

// Normal, hover, pushed, disabled; then the same while running (checked):
// filled with the button's colour, the glyph a square.
void PaintRunButton(Canvas& c, Glyph idle, Rgb color, Rgb pushed) {
    const Face faces[] = {
        {kPanel, kLine, idle, color},          {kPanelHover, color, idle, color},
        {pushed, pushed, idle, kText},         {kPanel, kLine, idle, color},
        {color, color, Glyph::kSquare, kText}, {color, kText, Glyph::kSquare, kText},
        {pushed, pushed, Glyph::kSquare, kText}, {color, color, Glyph::kSquare, kText},
    };
    for (int i = 0; i < 8; ++i) {
        const Face& f = faces[i];
        const double alpha = (i % 4 == 3) ? kDisabledAlpha : 1.0;
        c.Frame(i * kFrameW, 0, alpha, [&] {
            c.Panel(0, 0, kFrameW, kFrameH, 4, f.fill, f.border);
            DrawGlyph(c, f.glyph, f.glyphColor);
        });
    }
}

void PaintRecordButton(Canvas& c) { PaintRunButton(c, Glyph::kDot, kError, kErrorPushed); }
void PaintPlayButton(Canvas& c) { PaintRunButton(c, Glyph::kTriangle, kAccent, kAccentPushed); }

// Green to amber to red from the left.
void PaintLevelLitHorizontal(Canvas& c) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, c.Width(), 0);
    const struct {
        double at;
        Rgb color;
    } stops[] = {{0, kMeterGreen}, {0.6, kMeterGreen}, {0.8, kWarning}, {0.92, kError}, {1, kError}};
    for (const auto& s : stops) cairo_pattern_add_color_stop_rgb(p, s.at, s.color.r, s.color.g, s.color.b);
    cairo_rectangle(c.Cr(), 0, 0, c.Width(), c.Height());
    cairo_set_source(c.Cr(), p);
    cairo_fill(c.Cr());
    cairo_pattern_destroy(p);
}

// Gaps between the meter's segments.
void PaintLevelSegmentsHorizontal(Canvas& c) {
    for (int x = 3; x < c.Width(); x += 4) cairo_rectangle(c.Cr(), x, 0, 1, c.Height());
    c.SetColor(kPanel);
    cairo_fill(c.Cr());
}

const SkinImage kImages[] = {
    {"btn_record.png", 8 * kFrameW, kFrameH, PaintRecordButton},
    {"btn_record_play.png", 8 * kFrameW, kFrameH, PaintPlayButton},
    {"level_lit_h.png", kMeterLength, kMeterThickness, PaintLevelLitHorizontal},
    {"level_segments_h.png", kMeterLength, kMeterThickness, PaintLevelSegmentsHorizontal},
};

}  // namespace

std::span<const SkinImage> RecordSkinImages() { return kImages; }

}  // namespace qv::skintool
