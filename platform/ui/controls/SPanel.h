#pragma once
// A window whose content may be larger than itself, with a vertical and a
// horizontal scroll bar. A subclass says how large its content is
// (SetContentSize) and reads where it stands (GetScrollPos); a bar shows
// where the content does not fit and takes its width from the client area.
// The bars are drawn through a scroll-bar skin ("sbSkin") or, without one,
// in the skin guide's colours; "sbWidth" sets their thickness and
// "sbArrowSize" the length of their arrow buttons (the default look has
// none). Arrows step by a line, the rail by a page (both repeat while held),
// the thumb drags, and the wheel moves three lines.
#include "platform/ui/SWindow.h"

namespace qv::ui {

class SSkinScrollbar;

class SPanel : public SWindow {
    QV_CLASS_NAME(SPanel, SWindow, u"panel", kObjectWindow)
    QV_ATTRIBUTES(SWindow)

public:
    // The extent of what the panel shows, in pixels.
    void SetContentSize(CSize size);
    CSize GetContentSize() const { return {m_bars[0].content, m_bars[1].content}; }
    int GetScrollPos(bool vertical) const { return Bar(vertical).pos; }
    // Bounded to 0..GetScrollMax; false when the position stays.
    bool SetScrollPos(bool vertical, int pos);
    // The largest position: the content that does not fit (0 when it fits).
    int GetScrollMax(bool vertical) const;
    bool HasScrollBar(bool vertical) const { return Bar(vertical).visible; }
    int GetScrollBarWidth() const;
    // A bar's rectangle and its parts' (SBP_*), in host-client coordinates;
    // empty when the bar is hidden.
    CRect GetScrollBarRect(bool vertical) const;
    CRect GetScrollPartRect(bool vertical, int part) const;
    SSkinScrollbar* GetScrollBarSkin() const { return m_sbSkin; }

    // Without the bars.
    CRect GetClientRect() const override;

    void OnLButtonDown(CPoint pt, UINT flags) override;
    void OnLButtonUp(CPoint pt, UINT flags) override;
    void OnMouseMove(CPoint pt, UINT flags) override;
    void OnMouseLeave() override;
    void OnMouseWheel(int delta, CPoint pt) override;
    void OnCaptureLost() override;
    void OnTimer(UINT id) override;

protected:
    // A bar's position changed, by the user or by code.
    virtual void OnScrollChanged(bool /*vertical*/, int /*oldPos*/) {}
    // Pixels of one arrow step; the wheel moves three.
    virtual int GetScrollLineSize(bool /*vertical*/) const { return 20; }
    // Mouse input on the bars: true when the panel used it (a subclass's
    // handlers return then). A press on a bar keeps its messages until the
    // release.
    bool HandleScrollBarMouse(UINT msg, CPoint pt);
    void OnPaint(SRenderTarget& rt) override;
    CRect GetChildrenClipRect() const override { return GetClientRect(); }
    void OnSize(CSize size) override;

private:
    struct ScrollBar {
        int content = 0;
        int page = 0;
        int pos = 0;
        bool visible = false;
        int hoverPart = -1;
    };
    ScrollBar& Bar(bool vertical) { return m_bars[vertical ? 1 : 0]; }
    const ScrollBar& Bar(bool vertical) const { return m_bars[vertical ? 1 : 0]; }
    HRESULT SetSbSkinAttr(const SStringW& value, bool loading);
    // Which bars show and how much of the content is in sight.
    void UpdateBars();
    int ArrowLength(bool vertical) const;
    int HitPart(bool vertical, CPoint pt) const;
    void StepPressedPart();
    int PartState(bool vertical, int part) const;
    void DrawBar(SRenderTarget& rt, bool vertical);

    ScrollBar m_bars[2];  // horizontal, vertical
    SSkinScrollbar* m_sbSkin = nullptr;
    int m_sbWidth = 0;       // 0: the skin's ideal width, else the default
    int m_sbArrowSize = -1;  // -1: the bar's width with a skin that has arrows, else 0
    // The part held down: its bar, the part, and for a thumb drag where it began.
    bool m_pressedVertical = false;
    int m_pressedPart = -1;
    CPoint m_pressPoint;
    CPoint m_lastPoint;
    int m_dragStartPos = 0;
};

}  // namespace qv::ui
