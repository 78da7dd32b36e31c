#pragma once
// A scroll view: its children are laid out as in any window (also by the
// grid layout) over a view that may be larger than the window, and shown
// moved by the view origin, which the scroll bars follow. "viewSize" = "w,h"
// fixes the view's size; -1 (the default) makes a side as large as the
// children need, at least the visible area. A grid with "rowCount" rows lays
// its rows out at their tallest child's height (its own, else its content's)
// instead of sharing the visible height: many rows scroll, few keep their
// height. Every change of the origin fires event 10002.
#include <optional>

#include "platform/ui/controls/SPanel.h"

namespace qv::ui {

class SScrollView : public SPanel {
    QV_CLASS_NAME(SScrollView, SPanel, u"scrollview", kObjectWindow)
    QV_ATTRIBUTES(SPanel)

public:
    SScrollView();

    CPoint GetViewOrigin() const { return {GetScrollPos(false), GetScrollPos(true)}; }
    // Bounded to the view; the children move at once.
    void SetViewOrigin(CPoint origin);
    // The size of the view as last laid out.
    CSize GetViewSize() const { return GetContentSize(); }
    void SetViewSize(CSize size);

    void UpdateChildrenPosition() override;

protected:
    // The view, moved by the origin: children and grid cells are sized
    // against the view (a side without a fixed size: the visible area's) and
    // placed where the view stands.
    CRect GetChildrenLayoutRect() const override;
    void OnScrollChanged(bool vertical, int oldPos) override;

private:
    // The height of a grid's rows when "rowCount" is given; nullopt else.
    std::optional<int> GridViewHeight() const;
    // The view's size for the children as they are laid out now.
    CSize MeasureView() const;

    CSize m_fixedSize{-1, -1};  // from "viewSize"
    bool m_settingOrigin = false;
    CPoint m_originBefore;      // of a SetViewOrigin in progress
};

}  // namespace qv::ui
