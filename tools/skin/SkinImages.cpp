#include "tools/skin/SkinImages.h"

#include <vector>

#include "tools/skin/ControlImages.h"
#include "tools/skin/MainWindowImages.h"
#include "tools/skin/RecordImages.h"
#include "tools/skin/SoundImages.h"

namespace qv::skintool {
namespace {

constexpr int kButtonFrame = 24;
constexpr int kCloseFrame = 24;
constexpr int kMenuItemFrame = 12;

// Level bars centred on the middle of the canvas: the logo's sound mark.
void LevelBars(Canvas& c, double x, double barWidth, double gap, std::span<const double> heights) {
    double mid = c.Height() / 2.0;
    for (double h : heights) {
        c.RoundedRect(x, mid - h / 2, barWidth, h, barWidth / 2);
        x += barWidth + gap;
    }
    c.SetColor(kWindow);
    cairo_fill(c.Cr());
}

void PaintLogo32(Canvas& c) {
    c.RoundedRect(1, 1, 30, 30, 7);
    c.SetColor(kAccent);
    cairo_fill(c.Cr());
    static const double kHeights[] = {8, 14, 20, 14, 8};
    LevelBars(c, 5, 2, 3, kHeights);
}

void PaintLogo16(Canvas& c) {
    c.RoundedRect(0, 0, 16, 16, 4);
    c.SetColor(kAccent);
    cairo_fill(c.Cr());
    static const double kHeights[] = {6, 10, 6};
    LevelBars(c, 3, 2, 2, kHeights);
}

void PaintWindowBackground(Canvas& c) { c.Panel(0, 0, c.Width(), c.Height(), 6, kWindow, kLine); }

void PaintTipBackground(Canvas& c) { c.Panel(0, 0, c.Width(), c.Height(), 4, kPanel, kLine); }

void PaintButton(Canvas& c) {
    const int s = kButtonFrame;
    c.Panel(0, 0, s, s, 4, kPanel, kLine);
    c.Panel(s, 0, s, s, 4, kPanelHover, kAccent);
    c.Panel(2 * s, 0, s, s, 4, kAccentPushed, kAccentPushed);
    c.Frame(3 * s, 0, kDisabledAlpha, [&] { c.Panel(0, 0, s, s, 4, kPanel, kLine); });
}

// The button that confirms a dialog: filled with the accent.
void PaintAccentButton(Canvas& c) {
    const int s = kButtonFrame;
    c.Panel(0, 0, s, s, 4, kAccent, kAccent);
    c.Panel(s, 0, s, s, 4, kAccentHover, kAccentHover);
    c.Panel(2 * s, 0, s, s, 4, kAccentPushed, kAccentPushed);
    c.Frame(3 * s, 0, kDisabledAlpha, [&] { c.Panel(0, 0, s, s, 4, kAccent, kAccent); });
}

void Cross(Canvas& c, Rgb color) {
    const double a = kCloseFrame / 2.0 - 4, b = kCloseFrame / 2.0 + 4;
    cairo_move_to(c.Cr(), a, a);
    cairo_line_to(c.Cr(), b, b);
    cairo_move_to(c.Cr(), b, a);
    cairo_line_to(c.Cr(), a, b);
    c.SetColor(color);
    cairo_set_line_width(c.Cr(), 1.5);
    cairo_set_line_cap(c.Cr(), CAIRO_LINE_CAP_ROUND);
    cairo_stroke(c.Cr());
}

void CloseFace(Canvas& c, const Rgb* fill, Rgb cross) {
    if (fill) {
        c.RoundedRect(0, 0, kCloseFrame, kCloseFrame, 4);
        c.SetColor(*fill);
        cairo_fill(c.Cr());
    }
    Cross(c, cross);
}

void PaintCloseButton(Canvas& c) {
    const int s = kCloseFrame;
    c.Frame(0, 0, 1.0, [&] { CloseFace(c, nullptr, kTextSecondary); });
    c.Frame(s, 0, 1.0, [&] { CloseFace(c, &kError, kText); });
    c.Frame(2 * s, 0, 1.0, [&] { CloseFace(c, &kErrorPushed, kText); });
    c.Frame(3 * s, 0, kDisabledAlpha, [&] { CloseFace(c, nullptr, kTextSecondary); });
}

// Menu item: nothing when normal, an accent tint under the hovered item.
void PaintMenuItem(Canvas& c) {
    const int s = kMenuItemFrame;
    c.RoundedRect(s, 0, s, s, 3);
    c.SetColor(kAccent, 0.3);
    cairo_fill(c.Cr());
}

const SkinImage kImages[] = {
    {"logo_32.png", 32, 32, PaintLogo32},
    {"logo_16.png", 16, 16, PaintLogo16},
    {"wnd_bg.png", 24, 24, PaintWindowBackground},
    {"tip_bg.png", 16, 16, PaintTipBackground},
    {"button.png", 4 * kButtonFrame, kButtonFrame, PaintButton},
    {"button_accent.png", 4 * kButtonFrame, kButtonFrame, PaintAccentButton},
    {"btn_close.png", 4 * kCloseFrame, kCloseFrame, PaintCloseButton},
    {"menu_item_bg.png", 2 * kMenuItemFrame, kMenuItemFrame, PaintMenuItem},
};

}  // namespace

std::span<const SkinImage> AllSkinImages() {
    static const std::vector<SkinImage> all = [] {
        std::vector<SkinImage> images(std::begin(kImages), std::end(kImages));
        for (const SkinImage& image : MainWindowImages()) images.push_back(image);
        for (const SkinImage& image : ControlSkinImages()) images.push_back(image);
        for (const SkinImage& image : RecordSkinImages()) images.push_back(image);
        for (const SkinImage& image : SoundImages()) images.push_back(image);
        return images;
    }();
    return all;
}

}  // namespace qv::skintool
