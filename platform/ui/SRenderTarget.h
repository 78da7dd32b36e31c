#pragma once
// Drawing over Cairo, text through Pango. A target draws into its own
// offscreen ARGB32 image; pixels can be read back.
#include <cstdint>
#include <vector>

#include "platform/os/Types.h"
#include "platform/ui/Color.h"
#include "platform/ui/FontStyle.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/SBitmap.h"
#include "platform/ui/SMatrix.h"
#include "platform/ui/SStringW.h"

typedef struct _cairo cairo_t;
typedef struct _PangoLayout PangoLayout;

namespace qv::ui {

struct PointF {
    float x = 0;
    float y = 0;
};

enum class PenStyle { Solid, Dot, Dash };

struct SPen {
    COLORREF color = RGBA(0, 0, 0, 255);
    float width = 1;
    PenStyle style = PenStyle::Solid;
};

struct SBrush {
    COLORREF color = RGBA(0, 0, 0, 255);
};

class SRenderTarget {
public:
    SRenderTarget(int width, int height);
    ~SRenderTarget();
    SRenderTarget(const SRenderTarget&) = delete;
    SRenderTarget& operator=(const SRenderTarget&) = delete;

    int Width() const;
    int Height() const;
    // The image drawn so far (shares the pixels).
    BitmapPtr GetBitmap() const { return m_bitmap; }
    COLORREF GetPixel(int x, int y) const { return m_bitmap->GetPixel(x, y); }
    cairo_t* Context() const { return m_cr; }

    // --- state; each Select returns the previous object
    void SetAntiAlias(bool on);
    bool GetAntiAlias() const { return m_antiAlias; }
    // "antiAlias" = "0"/"1"; false for unknown names.
    bool SetAttribute(const SStringW& name, const SStringW& value);
    SPen SelectPen(const SPen& pen);
    SBrush SelectBrush(const SBrush& brush);
    SFont SelectFont(const SFont& font);
    COLORREF SetTextColor(COLORREF color);
    const SPen& GetPen() const { return m_pen; }

    void SetTransform(const SMatrix& m);
    SMatrix GetTransform() const { return m_matrix; }
    void PushClipRect(const CRect& rc);
    void PopClip();

    // --- shapes; outlines use the pen, fills the brush
    void Clear(COLORREF color);
    void FillSolidRect(const CRect& rc, COLORREF color);
    void FillRectangle(const CRect& rc);
    void DrawRectangle(const CRect& rc);
    void DrawLine(PointF a, PointF b);
    void DrawLines(const PointF* pts, int count);
    // Even-odd rule: a polygon drawn around another leaves a hole.
    void FillPolygon(const PointF* pts, int count);
    void FillPolygons(const std::vector<std::vector<PointF>>& rings);
    void DrawEllipse(const CRect& rc);
    void FillEllipse(const CRect& rc);
    // Angles in degrees from the positive x axis, clockwise on screen.
    void DrawArc(const CRect& rc, float startDeg, float sweepDeg, bool useCenter);
    void FillPie(const CRect& rc, float startDeg, float sweepDeg);
    // Linear gradient from `from` (colour c1) to `to` (colour c2) over rc.
    void FillLinearGradient(const CRect& rc, PointF from, PointF to, COLORREF c1, COLORREF c2);
    // Centre colour to rim colour over the ellipse inscribed in rc.
    void FillRadialGradient(const CRect& rc, COLORREF centre, COLORREF rim);

    // --- text with DT_* flags; DT_CALCRECT measures into rc without drawing
    int DrawText(const SStringW& text, CRect& rc, UINT flags);
    void TextOut(int x, int y, const SStringW& text);
    // wrapWidth > 0 breaks lines at that width.
    CSize MeasureText(const SStringW& text, int wrapWidth = 0);
    // Measures on a scratch target of the calling thread.
    static CSize MeasureTextWith(const SStringW& text, const SFont& font, int wrapWidth = 0);
    // Frees the calling thread's font map (a thread's font map is freed
    // anyway when the thread ends). The libraries' process-wide caches stay.
    static void ReleaseThreadFontCache();

    // --- bitmaps
    // Draws src of bmp into dst, stretched when the sizes differ.
    void DrawBitmapEx(const CRect& dst, const SBitmap& bmp, const CRect& src, BYTE alpha = 255);
    void DrawBitmap(CPoint at, const SBitmap& bmp, BYTE alpha = 255);
    // Corners drawn unscaled, edges stretched along their length, the middle
    // both ways. margins holds the left, top, right and bottom widths.
    void DrawBitmap9Patch(const CRect& dst, const SBitmap& bmp, const CRect& src, const CRect& margins, BYTE alpha = 255);

private:
    void ApplyPen();
    void SetSource(COLORREF color);
    void PathEllipse(const CRect& rc);
    void PathPie(const CRect& rc, float startDeg, float sweepDeg, bool toCentre);
    void ReapplyClips();
    // The target's one text layout, set up for the text, the selected font
    // and a wrap width (0: none); reused so each text costs no new layout.
    PangoLayout* PrepareLayout(const SStringW& text, int wrapWidth);

    struct Clip {
        CRect rc;
        SMatrix matrix;
    };
    BitmapPtr m_bitmap;
    cairo_t* m_cr = nullptr;
    bool m_antiAlias = true;
    SPen m_pen;
    SBrush m_brush;
    SFont m_font;
    COLORREF m_textColor = RGBA(0, 0, 0, 255);
    SMatrix m_matrix;
    std::vector<Clip> m_clips;
    PangoLayout* m_layout = nullptr;
    SFont m_layoutFont;
    bool m_layoutAntiAlias = true;
    bool m_layoutReady = false;
};

}  // namespace qv::ui
