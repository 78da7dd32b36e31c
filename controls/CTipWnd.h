#pragma once
// The timed tip: one balloon-like window near a control or at the cursor
// for a given time ("保存成功！" after saving, an error after a failed
// start...). Only one exists; a new tip replaces the one shown. Built from
// the skin's tooltip layout, whose text "txt_tip" it fills; it is placed by
// an anchor corner whenever its text or size changes, then moved as little as
// needed to stay inside the window of its control (the display for a tip
// without one).
//
// UI thread only. The tip deletes itself when its time is up or it is hidden.
#include "platform/ui/SHostWnd.h"

namespace qv::controls {

class CTipWnd : public qv::ui::SHostWnd {
public:
    // Which corner of the tip sits on the anchor; or the middle of its
    // bottom edge, for a tip centred above a control.
    enum AnchorMode { kTopLeft = 0, kBottomLeft = 1, kTopRight = 2, kBottomRight = 3, kBottomCentre = 4 };
    static constexpr UINT_PTR kTimerEnd = 100;

    // The tip's bottom-left corner at the screen point (x, y) for ms
    // milliseconds. 0 when the window cannot be made.
    static BOOL ShowTip(int x, int y, const qv::ui::SStringW& text, UINT ms);
    // Centred above the top edge of parent's descendant with the id, or at
    // the cursor when there is no such window; nothing for an empty text.
    static BOOL ShowTipAtCtrl(int id, qv::ui::SWindow* parent, const qv::ui::SStringW& text, UINT ms);
    // The same by name, for 2000 ms.
    static BOOL ShowTipAtNamedCtrl(const qv::ui::SStringW& name, qv::ui::SWindow* parent, const qv::ui::SStringW& text);
    static void HideTip();
    // The tip shown now, or null.
    static CTipWnd* Current();

    qv::ui::CPoint GetAnchor() const { return m_anchor; }
    int GetAnchorMode() const { return m_anchorMode; }

    BEGIN_MSG_MAP_EX(CTipWnd)
        MSG_WM_TIMER(OnTimer)
        MSG_WM_SIZE(OnSizeMessage)
        CHAIN_MSG_MAP(qv::ui::SHostWnd)
    END_MSG_MAP()

protected:
    void OnFinalMessage(HWND hwnd) override;

private:
    CTipWnd();
    static BOOL ShowAtWindow(qv::ui::SWindow* target, const qv::ui::SStringW& text, UINT ms);
    static BOOL ShowAt(qv::ui::CPoint anchor, int mode, const qv::ui::CRect& bounds, const qv::ui::SStringW& text,
                       UINT ms);
    // The host window's WM_TIMER; the panels' own timers keep the base's OnTimer.
    using qv::ui::SWindow::OnTimer;
    void OnTimer(UINT_PTR id);
    void OnSizeMessage(UINT type, qv::ui::CSize size);
    // Moves the window so its anchor corner sits on the anchor, within the bounds.
    void PlaceAtAnchor(qv::ui::CSize size);

    qv::ui::CPoint m_anchor;
    int m_anchorMode = kBottomLeft;
    qv::ui::CRect m_bounds;  // screen pixels the tip stays inside
};

}  // namespace qv::controls
