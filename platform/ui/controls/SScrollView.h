#pragma once
// A scroll view: its children are laid out as in any window (also by the
// grid layout) over a view that may be larger than the window, and shown
// moved by the view origin. "viewSize" = "w,h" fixes the view's size; -1
// (the default) makes a side as large as the children need, at least the
// window. The wheel scrolls; every change of the origin fires event 10002.
#include "platform/ui/SWindow.h"

namespace qv::ui {

class SScrollView : public SWindow {
    QV_CLASS_NAME(SScrollView, SWindow, u"scrollview", kObjectWindow)
    QV_ATTRIBUTES(SWindow)

public:
    SScrollView();

    CPoint GetViewOrigin() const { return m_origin; }
    // Bounded to the view; the children move at once.
    void SetViewOrigin(CPoint origin);
    // The size of the view as last laid out.
    CSize GetViewSize() const { return m_viewSize; }
    void SetViewSize(CSize size);

    void UpdateChildrenPosition() override;
    void OnMouseWheel(int delta, CPoint pt) override;

protected:
    void OnPaint(SRenderTarget& rt) override;
    // The view, moved by the origin: children and grid cells are sized
    // against the view (a side without a fixed size: the client's) and
    // placed where the view stands.
    CRect GetChildrenLayoutRect() const override;

private:
    CPoint BoundOrigin(CPoint origin) const;

    CSize m_fixedSize{-1, -1};  // from "viewSize"
    CSize m_viewSize;
    CPoint m_origin;
};

}  // namespace qv::ui
