#include "platform/ui/SRenderTarget.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <memory>
#include <utility>

#include "platform/ui/SWindow.h"

namespace qv::ui {
namespace {

constexpr const char* kUiFontFamily = "WenQuanYi Micro Hei,Noto Sans CJK SC,DejaVu Sans,sans-serif";

cairo_matrix_t ToCairo(const SMatrix& m) {
    cairo_matrix_t c;
    cairo_matrix_init(&c, m.a, m.b, m.c, m.d, m.tx, m.ty);
    return c;
}

double Rad(float deg) { return deg * M_PI / 180.0; }

PangoFontDescription* MakeFontDescription(const SFont& font) {
    PangoFontDescription* desc = pango_font_description_new();
    std::string family = font.face.IsEmpty() ? kUiFontFamily : font.face.ToUtf8() + "," + kUiFontFamily;
    pango_font_description_set_family(desc, family.c_str());
    pango_font_description_set_absolute_size(desc, (font.size > 0 ? font.size : 12) * PANGO_SCALE);
    pango_font_description_set_weight(desc, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    return desc;
}

}  // namespace

SRenderTarget::SRenderTarget(int width, int height)
    : m_bitmap(SBitmap::Create(width > 0 ? width : 1, height > 0 ? height : 1)) {
    m_cr = cairo_create(m_bitmap->Surface());
}

SRenderTarget::~SRenderTarget() {
    if (m_layout) g_object_unref(m_layout);
    cairo_destroy(m_cr);
}

PangoLayout* SRenderTarget::PrepareLayout(const SStringW& text, int wrapWidth) {
    if (!m_layout) m_layout = pango_cairo_create_layout(m_cr);
    else pango_cairo_update_layout(m_cr, m_layout);  // the transformation may have changed
    const bool sameFont = m_layoutReady && m_layoutFont.face == m_font.face && m_layoutFont.size == m_font.size &&
                          m_layoutFont.bold == m_font.bold && m_layoutAntiAlias == m_antiAlias;
    if (!sameFont) {
        PangoFontDescription* desc = MakeFontDescription(m_font);
        pango_layout_set_font_description(m_layout, desc);
        pango_font_description_free(desc);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, m_antiAlias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        pango_cairo_context_set_font_options(pango_layout_get_context(m_layout), options);
        cairo_font_options_destroy(options);
        pango_layout_context_changed(m_layout);
        m_layoutFont = m_font;
        m_layoutAntiAlias = m_antiAlias;
        m_layoutReady = true;
    }
    std::string utf8 = text.ToUtf8();
    pango_layout_set_text(m_layout, utf8.c_str(), static_cast<int>(utf8.size()));
    pango_layout_set_width(m_layout, wrapWidth > 0 ? wrapWidth * PANGO_SCALE : -1);
    pango_layout_set_wrap(m_layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_ellipsize(m_layout, PANGO_ELLIPSIZE_NONE);
    pango_layout_set_single_paragraph_mode(m_layout, FALSE);
    pango_layout_set_alignment(m_layout, PANGO_ALIGN_LEFT);
    return m_layout;
}

int SRenderTarget::Width() const { return m_bitmap->Width(); }
int SRenderTarget::Height() const { return m_bitmap->Height(); }

void SRenderTarget::SetAntiAlias(bool on) {
    m_antiAlias = on;
    cairo_set_antialias(m_cr, on ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

bool SRenderTarget::SetAttribute(const SStringW& name, const SStringW& value) {
    if (name.EqualsNoCase(u"antiAlias")) {
        SetAntiAlias(!(value == u"0" || value == u"false"));
        return true;
    }
    return false;
}

SPen SRenderTarget::SelectPen(const SPen& pen) { return std::exchange(m_pen, pen); }
SBrush SRenderTarget::SelectBrush(const SBrush& brush) { return std::exchange(m_brush, brush); }
SFont SRenderTarget::SelectFont(const SFont& font) { return std::exchange(m_font, font); }
COLORREF SRenderTarget::SetTextColor(COLORREF color) { return std::exchange(m_textColor, color); }

void SRenderTarget::SetTransform(const SMatrix& m) {
    m_matrix = m;
    cairo_matrix_t c = ToCairo(m);
    cairo_set_matrix(m_cr, &c);
}

void SRenderTarget::PushClipRect(const CRect& rc) {
    m_clips.push_back({rc, m_matrix});
    cairo_rectangle(m_cr, rc.left, rc.top, rc.Width(), rc.Height());
    cairo_clip(m_cr);
}

void SRenderTarget::PopClip() {
    if (m_clips.empty()) return;
    m_clips.pop_back();
    ReapplyClips();
}

void SRenderTarget::ReapplyClips() {
    cairo_reset_clip(m_cr);
    for (const Clip& clip : m_clips) {
        cairo_matrix_t c = ToCairo(clip.matrix);
        cairo_set_matrix(m_cr, &c);
        cairo_rectangle(m_cr, clip.rc.left, clip.rc.top, clip.rc.Width(), clip.rc.Height());
        cairo_clip(m_cr);
    }
    cairo_matrix_t c = ToCairo(m_matrix);
    cairo_set_matrix(m_cr, &c);
}

void SRenderTarget::SetSource(COLORREF color) {
    cairo_set_source_rgba(m_cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0,
                          GetAValue(color) / 255.0);
}

void SRenderTarget::ApplyPen() {
    SetSource(m_pen.color);
    double w = m_pen.width > 0 ? m_pen.width : 1;
    cairo_set_line_width(m_cr, w);
    switch (m_pen.style) {
    case PenStyle::Solid: cairo_set_dash(m_cr, nullptr, 0, 0); break;
    case PenStyle::Dot: { double d[] = {w, w}; cairo_set_dash(m_cr, d, 2, 0); break; }
    case PenStyle::Dash: { double d[] = {3 * w, w}; cairo_set_dash(m_cr, d, 2, 0); break; }
    }
}

void SRenderTarget::Clear(COLORREF color) {
    cairo_save(m_cr);
    cairo_identity_matrix(m_cr);
    cairo_set_operator(m_cr, CAIRO_OPERATOR_SOURCE);
    SetSource(color);
    cairo_paint(m_cr);
    cairo_restore(m_cr);
}

void SRenderTarget::FillSolidRect(const CRect& rc, COLORREF color) {
    cairo_rectangle(m_cr, rc.left, rc.top, rc.Width(), rc.Height());
    SetSource(color);
    cairo_fill(m_cr);
}

void SRenderTarget::FillRectangle(const CRect& rc) { FillSolidRect(rc, m_brush.color); }

void SRenderTarget::DrawRectangle(const CRect& rc) {
    // Inside the rectangle's pixels, like a GDI outline.
    double half = (m_pen.width > 0 ? m_pen.width : 1) / 2.0;
    cairo_rectangle(m_cr, rc.left + half, rc.top + half, rc.Width() - 2 * half, rc.Height() - 2 * half);
    ApplyPen();
    cairo_stroke(m_cr);
}

void SRenderTarget::DrawLine(PointF a, PointF b) {
    PointF pts[] = {a, b};
    DrawLines(pts, 2);
}

void SRenderTarget::DrawLines(const PointF* pts, int count) {
    if (!pts || count < 2) return;
    cairo_move_to(m_cr, pts[0].x, pts[0].y);
    for (int i = 1; i < count; ++i) cairo_line_to(m_cr, pts[i].x, pts[i].y);
    ApplyPen();
    cairo_stroke(m_cr);
}

void SRenderTarget::FillPolygon(const PointF* pts, int count) {
    if (!pts || count < 3) return;
    FillPolygons({std::vector<PointF>(pts, pts + count)});
}

void SRenderTarget::FillPolygons(const std::vector<std::vector<PointF>>& rings) {
    for (const auto& ring : rings) {
        if (ring.size() < 3) continue;
        cairo_move_to(m_cr, ring[0].x, ring[0].y);
        for (size_t i = 1; i < ring.size(); ++i) cairo_line_to(m_cr, ring[i].x, ring[i].y);
        cairo_close_path(m_cr);
    }
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_EVEN_ODD);
    SetSource(m_brush.color);
    cairo_fill(m_cr);
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
}

void SRenderTarget::PathEllipse(const CRect& rc) {
    if (rc.Width() <= 0 || rc.Height() <= 0) return;
    cairo_save(m_cr);
    cairo_translate(m_cr, rc.left + rc.Width() / 2.0, rc.top + rc.Height() / 2.0);
    cairo_scale(m_cr, rc.Width() / 2.0, rc.Height() / 2.0);
    cairo_new_sub_path(m_cr);
    cairo_arc(m_cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(m_cr);
}

void SRenderTarget::PathPie(const CRect& rc, float startDeg, float sweepDeg, bool toCentre) {
    if (rc.Width() <= 0 || rc.Height() <= 0) return;
    cairo_save(m_cr);
    cairo_translate(m_cr, rc.left + rc.Width() / 2.0, rc.top + rc.Height() / 2.0);
    cairo_scale(m_cr, rc.Width() / 2.0, rc.Height() / 2.0);
    cairo_new_sub_path(m_cr);
    if (toCentre) cairo_move_to(m_cr, 0, 0);
    double a0 = Rad(startDeg), a1 = Rad(startDeg + sweepDeg);
    if (sweepDeg >= 0) cairo_arc(m_cr, 0, 0, 1, a0, a1);
    else cairo_arc_negative(m_cr, 0, 0, 1, a0, a1);
    if (toCentre) cairo_close_path(m_cr);
    cairo_restore(m_cr);
}

void SRenderTarget::DrawEllipse(const CRect& rc) {
    PathEllipse(rc);
    ApplyPen();
    cairo_stroke(m_cr);
}

void SRenderTarget::FillEllipse(const CRect& rc) {
    PathEllipse(rc);
    SetSource(m_brush.color);
    cairo_fill(m_cr);
}

void SRenderTarget::DrawArc(const CRect& rc, float startDeg, float sweepDeg, bool useCenter) {
    PathPie(rc, startDeg, sweepDeg, useCenter);
    ApplyPen();
    cairo_stroke(m_cr);
}

void SRenderTarget::FillPie(const CRect& rc, float startDeg, float sweepDeg) {
    PathPie(rc, startDeg, sweepDeg, true);
    SetSource(m_brush.color);
    cairo_fill(m_cr);
}

void SRenderTarget::FillLinearGradient(const CRect& rc, PointF from, PointF to, COLORREF c1, COLORREF c2) {
    cairo_pattern_t* p = cairo_pattern_create_linear(from.x, from.y, to.x, to.y);
    cairo_pattern_add_color_stop_rgba(p, 0, GetRValue(c1) / 255.0, GetGValue(c1) / 255.0, GetBValue(c1) / 255.0, GetAValue(c1) / 255.0);
    cairo_pattern_add_color_stop_rgba(p, 1, GetRValue(c2) / 255.0, GetGValue(c2) / 255.0, GetBValue(c2) / 255.0, GetAValue(c2) / 255.0);
    cairo_rectangle(m_cr, rc.left, rc.top, rc.Width(), rc.Height());
    cairo_set_source(m_cr, p);
    cairo_fill(m_cr);
    cairo_pattern_destroy(p);
}

void SRenderTarget::FillRadialGradient(const CRect& rc, COLORREF centre, COLORREF rim) {
    if (rc.Width() <= 0 || rc.Height() <= 0) return;
    // A unit circle pattern scaled to the ellipse.
    cairo_pattern_t* p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
    cairo_pattern_add_color_stop_rgba(p, 0, GetRValue(centre) / 255.0, GetGValue(centre) / 255.0, GetBValue(centre) / 255.0, GetAValue(centre) / 255.0);
    cairo_pattern_add_color_stop_rgba(p, 1, GetRValue(rim) / 255.0, GetGValue(rim) / 255.0, GetBValue(rim) / 255.0, GetAValue(rim) / 255.0);
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, rc.left + rc.Width() / 2.0, rc.top + rc.Height() / 2.0);
    cairo_matrix_scale(&m, rc.Width() / 2.0, rc.Height() / 2.0);
    cairo_matrix_invert(&m);
    cairo_pattern_set_matrix(p, &m);
    PathEllipse(rc);
    cairo_set_source(m_cr, p);
    cairo_fill(m_cr);
    cairo_pattern_destroy(p);
}

int SRenderTarget::DrawText(const SStringW& text, CRect& rc, UINT flags) {
    bool wrap = (flags & DT_WORDBREAK) && !(flags & DT_SINGLELINE);
    PangoLayout* layout = PrepareLayout(text, wrap ? rc.Width() : 0);
    if (flags & DT_SINGLELINE) pango_layout_set_single_paragraph_mode(layout, TRUE);
    if ((flags & DT_END_ELLIPSIS) && !wrap) {
        pango_layout_set_width(layout, rc.Width() * PANGO_SCALE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    }
    // A single line is placed below from its measured width, so Pango keeps
    // it at the left of its box (an ellipsized line has a box of the
    // rectangle's width); wrapped lines are aligned by Pango.
    PangoAlignment align = (flags & DT_CENTER) ? PANGO_ALIGN_CENTER : (flags & DT_RIGHT) ? PANGO_ALIGN_RIGHT : PANGO_ALIGN_LEFT;
    pango_layout_set_alignment(layout, wrap ? align : PANGO_ALIGN_LEFT);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    if ((flags & DT_END_ELLIPSIS) && !wrap) {
        // The layout is as wide as the box; the line is as wide as what shows.
        PangoRectangle logical{};
        pango_layout_line_get_pixel_extents(pango_layout_get_line_readonly(layout, 0), nullptr, &logical);
        w = logical.width;
    }
    if (flags & DT_CALCRECT) {
        rc.right = rc.left + w;
        rc.bottom = rc.top + h;
        return h;
    }
    double x = rc.left;
    if (!wrap) {
        if (flags & DT_CENTER) x = rc.left + (rc.Width() - w) / 2.0;
        else if (flags & DT_RIGHT) x = rc.right - w;
    }
    double y = rc.top;
    if (flags & DT_VCENTER) y = rc.top + (rc.Height() - h) / 2.0;
    else if (flags & DT_BOTTOM) y = rc.bottom - h;
    cairo_move_to(m_cr, std::floor(x), std::floor(y));
    SetSource(m_textColor);
    pango_cairo_show_layout(m_cr, layout);
    return h;
}

void SRenderTarget::TextOut(int x, int y, const SStringW& text) {
    PangoLayout* layout = PrepareLayout(text, 0);
    cairo_move_to(m_cr, x, y);
    SetSource(m_textColor);
    pango_cairo_show_layout(m_cr, layout);
}

CSize SRenderTarget::MeasureText(const SStringW& text, int wrapWidth) {
    PangoLayout* layout = PrepareLayout(text, wrapWidth);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    return {w, h};
}

CSize SRenderTarget::MeasureTextWith(const SStringW& text, const SFont& font, int wrapWidth) {
    SRenderTarget scratch(1, 1);
    scratch.SelectFont(font);
    return scratch.MeasureText(text, wrapWidth);
}

void SRenderTarget::ReleaseThreadFontCache() {
    pango_cairo_font_map_set_default(nullptr);
}

void SRenderTarget::DrawBitmapEx(const CRect& dst, const SBitmap& bmp, const CRect& src, BYTE alpha) {
    if (dst.IsRectEmpty() || src.IsRectEmpty()) return;
    cairo_save(m_cr);
    cairo_rectangle(m_cr, dst.left, dst.top, dst.Width(), dst.Height());
    cairo_clip(m_cr);
    cairo_translate(m_cr, dst.left, dst.top);
    cairo_scale(m_cr, static_cast<double>(dst.Width()) / src.Width(), static_cast<double>(dst.Height()) / src.Height());
    // Only src's pixels: a stretched frame of a strip must not take colour
    // from its neighbours, and its edges repeat its own pixels rather than
    // the transparent outside.
    cairo_surface_t* part = cairo_surface_create_for_rectangle(bmp.Surface(), src.left, src.top, src.Width(), src.Height());
    cairo_set_source_surface(m_cr, part, 0, 0);
    cairo_surface_destroy(part);
    cairo_pattern_set_extend(cairo_get_source(m_cr), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(m_cr), m_antiAlias ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
    cairo_paint_with_alpha(m_cr, alpha / 255.0);
    cairo_restore(m_cr);
}

void SRenderTarget::DrawBitmap(CPoint at, const SBitmap& bmp, BYTE alpha) {
    CRect src(0, 0, bmp.Width(), bmp.Height());
    DrawBitmapEx(CRect(at, bmp.Size()), bmp, src, alpha);
}

void SRenderTarget::DrawBitmap9Patch(const CRect& dst, const SBitmap& bmp, const CRect& src, const CRect& m, BYTE alpha) {
    // Margins larger than the destination shrink to fit.
    int l = std::min(m.left, dst.Width() / 2), r = std::min(m.right, dst.Width() - l);
    int t = std::min(m.top, dst.Height() / 2), b = std::min(m.bottom, dst.Height() - t);
    const int xs[] = {src.left, src.left + m.left, src.right - m.right, src.right};
    const int ys[] = {src.top, src.top + m.top, src.bottom - m.bottom, src.bottom};
    const int xd[] = {dst.left, dst.left + l, dst.right - r, dst.right};
    const int yd[] = {dst.top, dst.top + t, dst.bottom - b, dst.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            CRect s(xs[col], ys[row], xs[col + 1], ys[row + 1]);
            CRect d(xd[col], yd[row], xd[col + 1], yd[row + 1]);
            DrawBitmapEx(d, bmp, s, alpha);
        }
    }
}

}  // namespace qv::ui
