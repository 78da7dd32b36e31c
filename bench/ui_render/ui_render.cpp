// Lays out and draws a window of 300 cells offscreen: labelled cells and,
// every fifth one, a knob-like cell (a disc with a radial gradient, a value
// arc and a dot). Prints the creation of the tree from its layout, the
// layout pass, a full frame, and the repaint of one control, and draws the
// same 300 cells with bare Cairo and Pango in the same run for the ratio of
// the framework's full frame to it.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "ControlsBench.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"

namespace {

using namespace qv::ui;
using Clock = std::chrono::steady_clock;

constexpr int kCells = 300;
constexpr int kColumns = 20;
constexpr int kWidth = 1200;
constexpr int kHeight = 640;
constexpr COLORREF kPanel = RGBA(0x2A, 0x2C, 0x33, 0xFF);
constexpr COLORREF kText = RGBA(0xE6, 0xE8, 0xEE, 0xFF);
constexpr COLORREF kAccent = RGBA(0x3D, 0xA9, 0xFC, 0xFF);
constexpr COLORREF kDiscCentre = RGBA(0x4A, 0x4E, 0x59, 0xFF);
constexpr COLORREF kDiscRim = RGBA(0x1E, 0x1F, 0x24, 0xFF);

bool IsKnob(int i) { return i % 5 == 4; }
std::string CellText(int i) { return "参数 " + std::to_string(i); }

double MsSince(Clock::time_point start, int iterations) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / iterations;
}

// The disc's rectangle inside a cell: a square centred in it.
CRect DiscRect(const CRect& cell) {
    int d = std::min(cell.Width(), cell.Height()) - 4;
    CPoint c = cell.CenterPoint();
    return CRect(c.x - d / 2, c.y - d / 2, c.x - d / 2 + d, c.y - d / 2 + d);
}

// A knob as the program's controls draw one: gradient disc, value arc, dot.
class BenchKnob : public SWindow {
    QV_CLASS_NAME(BenchKnob, SWindow, u"benchknob", kObjectWindow)

protected:
    void OnPaint(SRenderTarget& rt) override {
        rt.FillSolidRect(GetWindowRect(), kPanel);
        CRect disc = DiscRect(GetWindowRect());
        rt.SetAntiAlias(true);
        rt.FillRadialGradient(disc, kDiscCentre, kDiscRim);
        SPen old = rt.SelectPen(SPen{kAccent, 2, PenStyle::Solid});
        rt.DrawArc(disc, 135, 200, false);
        rt.SelectPen(old);
        SBrush oldBrush = rt.SelectBrush(SBrush{kText});
        CPoint c = disc.CenterPoint();
        rt.FillEllipse(CRect(c.x + 5, c.y - 8, c.x + 9, c.y - 4));
        rt.SelectBrush(oldBrush);
    }
};

std::u16string BuildLayout() {
    std::string xml = "<SOUI size=\"1200,640\"><root colorBkgnd=\"#1E1F24\">"
                      "<window name=\"grid\" pos=\"10,10,-10,-10\" layout=\"gridLayout\" columnCount=\"20\" "
                      "xInterval=\"4\" yInterval=\"4\">";
    for (int i = 0; i < kCells; ++i) {
        if (IsKnob(i)) {
            xml += "<benchknob name=\"c" + std::to_string(i) + "\" height=\"36\"/>";
        } else {
            xml += "<text name=\"c" + std::to_string(i) + "\" height=\"36\" colorBkgnd=\"#2A2C33\" colorText=\"#E6E8EE\" "
                   "align=\"center\" text=\"" + CellText(i) + "\"/>";
        }
    }
    xml += "</window></root></SOUI>";
    return SStringW::FromUtf8(xml).str();
}

void SetSource(cairo_t* cr, COLORREF c) {
    cairo_set_source_rgba(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0, GetAValue(c) / 255.0);
}

// The same cells drawn straight with Cairo and Pango: one layout and font
// reused, no window tree, no clipping per control.
class BareRenderer {
public:
    explicit BareRenderer(const std::vector<CRect>& cells) : m_cells(cells) {
        m_surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
        m_cr = cairo_create(m_surface);
        m_layout = pango_cairo_create_layout(m_cr);
        PangoFontDescription* font = pango_font_description_from_string("WenQuanYi Micro Hei,Noto Sans CJK SC,DejaVu Sans,sans-serif");
        pango_font_description_set_absolute_size(font, 12 * PANGO_SCALE);
        pango_layout_set_font_description(m_layout, font);
        pango_font_description_free(font);
        for (int i = 0; i < kCells; ++i) m_texts.push_back(CellText(i));
    }
    ~BareRenderer() {
        g_object_unref(m_layout);
        cairo_destroy(m_cr);
        cairo_surface_destroy(m_surface);
    }

    void Frame() {
        SetSource(m_cr, RGBA(0x1E, 0x1F, 0x24, 0xFF));
        cairo_paint(m_cr);
        for (int i = 0; i < kCells; ++i) {
            const CRect& rc = m_cells[static_cast<size_t>(i)];
            cairo_rectangle(m_cr, rc.left, rc.top, rc.Width(), rc.Height());
            SetSource(m_cr, kPanel);
            cairo_fill(m_cr);
            if (IsKnob(i)) Knob(rc);
            else Text(rc, m_texts[static_cast<size_t>(i)]);
        }
        cairo_surface_flush(m_surface);
    }

private:
    void Text(const CRect& rc, const std::string& text) {
        pango_layout_set_text(m_layout, text.c_str(), static_cast<int>(text.size()));
        int w = 0, h = 0;
        pango_layout_get_pixel_size(m_layout, &w, &h);
        cairo_move_to(m_cr, std::floor(rc.left + (rc.Width() - w) / 2.0), std::floor(rc.top + (rc.Height() - h) / 2.0));
        SetSource(m_cr, kText);
        pango_cairo_show_layout(m_cr, m_layout);
    }
    void Knob(const CRect& cell) {
        CRect disc = DiscRect(cell);
        double cx = disc.left + disc.Width() / 2.0, cy = disc.top + disc.Height() / 2.0, r = disc.Width() / 2.0;
        cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
        cairo_pattern_add_color_stop_rgb(p, 0, 0x4A / 255.0, 0x4E / 255.0, 0x59 / 255.0);
        cairo_pattern_add_color_stop_rgb(p, 1, 0x1E / 255.0, 0x1F / 255.0, 0x24 / 255.0);
        cairo_arc(m_cr, cx, cy, r, 0, 2 * M_PI);
        cairo_set_source(m_cr, p);
        cairo_fill(m_cr);
        cairo_pattern_destroy(p);
        cairo_new_sub_path(m_cr);
        cairo_arc(m_cr, cx, cy, r, 135 * M_PI / 180, 335 * M_PI / 180);
        SetSource(m_cr, kAccent);
        cairo_set_line_width(m_cr, 2);
        cairo_stroke(m_cr);
        cairo_new_sub_path(m_cr);
        cairo_arc(m_cr, cx + 7, cy - 6, 2, 0, 2 * M_PI);
        SetSource(m_cr, kText);
        cairo_fill(m_cr);
    }

    std::vector<CRect> m_cells;
    std::vector<std::string> m_texts;
    cairo_surface_t* m_surface = nullptr;
    cairo_t* m_cr = nullptr;
    PangoLayout* m_layout = nullptr;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    auto app = std::make_unique<SApplication>(nullptr);
    app->GetWindowFactory().RegisterClass<BenchKnob>();
    const std::u16string layout = BuildLayout();
    SStringW grid = SStringW(layout);
    // Only the cells: what creation from a layout costs without laying out.
    const std::string cellsXml = SStringW(layout).ToUtf8();
    const size_t first = cellsXml.find("<text"), last = cellsXml.rfind("</window>");
    const SStringW cells = SStringW::FromUtf8(cellsXml.substr(first, last - first));

    constexpr int kCreates = 20;
    auto start = Clock::now();
    for (int i = 0; i < kCreates; ++i) {
        SWindow root;
        root.CreateChildrenFromXml(cells);
    }
    double createMs = MsSince(start, kCreates);

    SHostWnd host;
    if (!host.CreateFromXml(grid)) {
        std::fprintf(stderr, "layout failed\n");
        return 1;
    }
    host.UpdateWindow();  // warm the font caches

    constexpr int kLayouts = 50;
    start = Clock::now();
    for (int i = 0; i < kLayouts; ++i) host.UpdateLayout();
    double layoutMs = MsSince(start, kLayouts);

    std::vector<SWindow*> cellWindows;
    std::vector<CRect> cellRects;
    for (int i = 0; i < kCells; ++i) {
        SWindow* w = host.FindChildByName(SStringW::FromUtf8("c" + std::to_string(i)));
        cellWindows.push_back(w);
        cellRects.push_back(w->GetWindowRect());
    }
    BareRenderer bare(cellRects);
    bare.Frame();

    // Framework and bare frames alternate, so both see the same machine load.
    constexpr int kRounds = 15;
    constexpr int kFramesPerRound = 8;
    std::vector<double> frameMs, bareMs;
    for (int round = 0; round < kRounds; ++round) {
        start = Clock::now();
        for (int i = 0; i < kFramesPerRound; ++i) {
            host.InvalidateHostRect(host.GetWindowRect());
            host.UpdateWindow();
        }
        frameMs.push_back(MsSince(start, kFramesPerRound));
        start = Clock::now();
        for (int i = 0; i < kFramesPerRound; ++i) bare.Frame();
        bareMs.push_back(MsSince(start, kFramesPerRound));
    }
    double frame = Median(frameMs), bareFrame = Median(bareMs);

    auto singles = [&](bool knobs) {
        constexpr int kSingles = 1000;
        std::vector<SWindow*> picked;
        for (int i = 0; i < kCells; ++i) {
            if (IsKnob(i) == knobs) picked.push_back(cellWindows[static_cast<size_t>(i)]);
        }
        auto begin = Clock::now();
        for (int i = 0; i < kSingles; ++i) {
            picked[static_cast<size_t>(i * 7) % picked.size()]->Invalidate();
            host.UpdateWindow();
        }
        return MsSince(begin, kSingles);
    };
    double singleText = singles(false);
    double singleKnob = singles(true);

    std::printf("ui_render: %d cells (%d knob-like), %dx%d\n", kCells, kCells / 5, kWidth, kHeight);
    std::printf("  creation from layout    %8.3f ms (tree only, no layout)\n", createMs);
    std::printf("  layout pass             %8.3f ms\n", layoutMs);
    std::printf("  full frame              %8.3f ms (median of %d rounds; target < 8 ms)\n", frame, kRounds);
    std::printf("  bare Cairo/Pango frame  %8.3f ms (same cells, same run)\n", bareFrame);
    std::printf("  ratio framework / bare  %8.2f (goal <= 1.3)\n", bareFrame > 0 ? frame / bareFrame : 0.0);
    std::printf("  one text cell repainted %8.3f ms\n", singleText);
    std::printf("  one knob cell repainted %8.3f ms\n", singleKnob);
    host.DestroyWindow();
    BenchPluginControls(frame);
    app.reset();
    qv::os::DestroyThreadQueue();
    SRenderTarget::ReleaseThreadFontCache();
    return 0;
}
