#include "tools/skin/ControlImages.h"

#include <cmath>

namespace qv::skintool {
namespace {

constexpr int kKnob = 64;
constexpr int kThumb = 16;
constexpr int kSwitchW = 36;
constexpr int kSwitchH = 20;
constexpr int kChoice = 24;
constexpr int kScrollW = 8;
constexpr int kScrollRow = 24;
constexpr int kBusy = 20;

void Circle(Canvas& c, double x, double y, double r, Rgb color, double alpha = 1.0) {
    cairo_new_sub_path(c.Cr());
    cairo_arc(c.Cr(), x, y, r, 0, 2 * M_PI);
    c.SetColor(color, alpha);
    cairo_fill(c.Cr());
}

// The knob's face: a dark disc, and around it a faint track through which
// the value sector painted under the image shows.
void PaintKnob(Canvas& c) {
    const double m = kKnob / 2.0;
    cairo_new_sub_path(c.Cr());
    cairo_arc(c.Cr(), m, m, 31, 0, 2 * M_PI);
    cairo_new_sub_path(c.Cr());
    cairo_arc_negative(c.Cr(), m, m, 25, 2 * M_PI, 0);
    c.SetColor(kLine, 0.35);
    cairo_fill(c.Cr());
    Circle(c, m, m, 22, kLine);
    Circle(c, m, m, 21, kPanel);
}

// The pointer hangs down from the centre; it is drawn rotated.
void PaintKnobPointer(Canvas& c) {
    cairo_rectangle(c.Cr(), 0, 0, c.Width(), c.Height());
    c.SetColor(kText);
    cairo_fill(c.Cr());
}

void PaintKnobDot(Canvas& c) {
    Circle(c, 4, 4, 4, kAccent);
    Circle(c, 4, 4, 2, kText);
}

void ThumbFace(Canvas& c, Rgb fill, const Rgb* ring) {
    const double m = kThumb / 2.0;
    if (ring) Circle(c, m, m, 7.5, *ring);
    Circle(c, m, m, ring ? 5.5 : 7, fill);
}

// Normal, hover, pushed, disabled.
void PaintSliderThumb(Canvas& c) {
    const int s = kThumb;
    c.Frame(0, 0, 1.0, [&] { ThumbFace(c, kText, nullptr); });
    c.Frame(s, 0, 1.0, [&] { ThumbFace(c, kText, &kAccent); });
    c.Frame(2 * s, 0, 1.0, [&] { ThumbFace(c, kAccent, &kAccentPushed); });
    c.Frame(3 * s, 0, kDisabledAlpha, [&] { ThumbFace(c, kText, nullptr); });
}

void PaintBar(Canvas& c, Rgb color) {
    c.RoundedRect(0, 0, c.Width(), c.Height(), std::min(c.Width(), c.Height()) / 2.0);
    c.SetColor(color);
    cairo_fill(c.Cr());
}

void PaintRail(Canvas& c) { PaintBar(c, kLine); }
void PaintSpan(Canvas& c) { PaintBar(c, kAccent); }

// Green to amber to red along the meter: from (x0, y0) to (x1, y1).
void LevelRun(Canvas& c, double x0, double y0, double x1, double y1) {
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
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

// Upwards for vertical meters, rightwards for horizontal ones.
void PaintLevelLit(Canvas& c) { LevelRun(c, 0, c.Height(), 0, 0); }
void PaintLevelLitHorizontal(Canvas& c) { LevelRun(c, 0, 0, c.Width(), 0); }

void PaintLevelMask(Canvas& c) {
    cairo_rectangle(c.Cr(), 0, 0, c.Width(), c.Height());
    c.SetColor(kPanel);
    cairo_fill(c.Cr());
}

// Gaps between the meter's segments.
void PaintLevelSegments(Canvas& c) {
    for (int y = 3; y < c.Height(); y += 4) cairo_rectangle(c.Cr(), 0, y, c.Width(), 1);
    c.SetColor(kWindow);
    cairo_fill(c.Cr());
}

void PaintProgressBack(Canvas& c) { c.Panel(0, 0, c.Width(), c.Height(), 3, kPanel, kLine); }

// The switch: a pill with its knob left (off) or right (on), in the four
// states of each.
void SwitchFace(Canvas& c, bool on, Rgb track, Rgb knob) {
    c.RoundedRect(0, 0, kSwitchW, kSwitchH, kSwitchH / 2.0);
    c.SetColor(track);
    cairo_fill(c.Cr());
    Circle(c, on ? kSwitchW - kSwitchH / 2.0 : kSwitchH / 2.0, kSwitchH / 2.0, kSwitchH / 2.0 - 3, knob);
}

void PaintSwitch(Canvas& c) {
    const int w = kSwitchW;
    c.Frame(0, 0, 1.0, [&] { SwitchFace(c, false, kLine, kTextSecondary); });
    c.Frame(w, 0, 1.0, [&] { SwitchFace(c, false, kPanelHover, kText); });
    c.Frame(2 * w, 0, 1.0, [&] { SwitchFace(c, false, kAccentPushed, kText); });
    c.Frame(3 * w, 0, kDisabledAlpha, [&] { SwitchFace(c, false, kLine, kTextSecondary); });
    c.Frame(4 * w, 0, 1.0, [&] { SwitchFace(c, true, kAccent, kText); });
    c.Frame(5 * w, 0, 1.0, [&] { SwitchFace(c, true, kAccent, kWindow); });
    c.Frame(6 * w, 0, 1.0, [&] { SwitchFace(c, true, kAccentPushed, kText); });
    c.Frame(7 * w, 0, kDisabledAlpha, [&] { SwitchFace(c, true, kAccent, kText); });
}

// A segment of a choice: a panel, filled with the accent when checked.
void PaintChoice(Canvas& c) {
    const int s = kChoice;
    c.Panel(0, 0, s, s, 4, kPanel, kLine);
    c.Panel(s, 0, s, s, 4, kPanelHover, kAccent);
    c.Panel(2 * s, 0, s, s, 4, kAccentPushed, kAccentPushed);
    c.Frame(3 * s, 0, kDisabledAlpha, [&] { c.Panel(0, 0, s, s, 4, kPanel, kLine); });
    c.Panel(4 * s, 0, s, s, 4, kAccent, kAccent);
    c.Panel(5 * s, 0, s, s, 4, kAccent, kText);
    c.Panel(6 * s, 0, s, s, 4, kAccentPushed, kAccentPushed);
    c.Frame(7 * s, 0, kDisabledAlpha, [&] { c.Panel(0, 0, s, s, 4, kAccent, kAccent); });
}

// One column per state (normal, hover, pushed); the thumb above the rail.
void ScrollBar(Canvas& c, const Rgb (&thumbs)[3], double railAlpha) {
    for (int state = 0; state < 3; ++state) {
        const double x = state * kScrollW;
        c.RoundedRect(x + 1, 1, kScrollW - 2, kScrollRow - 2, (kScrollW - 2) / 2.0);
        c.SetColor(thumbs[state]);
        cairo_fill(c.Cr());
        c.RoundedRect(x + 2, kScrollRow, kScrollW - 4, kScrollRow, (kScrollW - 4) / 2.0);
        c.SetColor(kLine, railAlpha);
        cairo_fill(c.Cr());
    }
}

void PaintScrollBar(Canvas& c) { ScrollBar(c, {kLine, kTextSecondary, kAccent}, 0.35); }
void PaintScrollBarGrey(Canvas& c) { ScrollBar(c, {kLine, kTextSecondary, kText}, 0.0); }

void PaintEqPanel(Canvas& c) { c.Panel(0, 0, c.Width(), c.Height(), 6, kWindow, kLine); }

// The busy spinner: eight dots, the bright one a step further each frame.
void PaintBusy(Canvas& c, int frame) {
    cairo_set_antialias(c.Cr(), CAIRO_ANTIALIAS_NONE);
    const double m = kBusy / 2.0;
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4 - M_PI / 2;
        const int age = (frame - i + 8) % 8;
        Circle(c, m + 7 * std::cos(a), m + 7 * std::sin(a), 2.2, age == 0 ? kAccent : age < 3 ? kTextSecondary : kLine);
    }
}

const SkinImage kImages[] = {
    {"knob_bg.png", kKnob, kKnob, PaintKnob},
    {"knob_pointer.png", 4, 16, PaintKnobPointer},
    {"knob_dot.png", 8, 8, PaintKnobDot},
    {"slider_thumb.png", 4 * kThumb, kThumb, PaintSliderThumb},
    {"slider_rail.png", 6, 24, PaintRail},
    {"slider_span.png", 6, 24, PaintSpan},
    {"slider_hrail.png", 24, 6, PaintRail},
    {"slider_hspan.png", 24, 6, PaintSpan},
    {"level_lit.png", 8, 96, PaintLevelLit},
    {"level_lit_h.png", 96, 8, PaintLevelLitHorizontal},
    {"level_mask.png", 8, 8, PaintLevelMask},
    {"level_segments.png", 8, 96, PaintLevelSegments},
    {"progress_bg.png", 12, 12, PaintProgressBack},
    {"progress_pos.png", 12, 12, PaintSpan},
    {"chk_switch.png", 8 * kSwitchW, kSwitchH, PaintSwitch},
    {"btn_choice.png", 8 * kChoice, kChoice, PaintChoice},
    {"vscrollbar.png", 3 * kScrollW, 2 * kScrollRow, PaintScrollBar},
    {"vscrollbar_grey.png", 3 * kScrollW, 2 * kScrollRow, PaintScrollBarGrey},
    {"eq_bg.png", 24, 24, PaintEqPanel},
};

const SkinAnimation kAnimations[] = {
    {"ani_busy.gif", kBusy, kBusy, 8, 8, PaintBusy},
};

}  // namespace

std::span<const SkinImage> ControlSkinImages() { return kImages; }
std::span<const SkinAnimation> SkinAnimations() { return kAnimations; }

}  // namespace qv::skintool
