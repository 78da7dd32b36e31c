#pragma once
// One tab of the tab bar (layout tag "chromeTab"), or the bar's new-tab
// button (position -1). A tab can be dragged along the bar to another
// place; the bar moves it into its slot with a short animation.
// "allowClose" (1) gives it a close button when the bar has a close-button
// style.
#include "controls/SAnimator.h"
#include "platform/ui/SWindow.h"

namespace qv::controls {

class SChromeTabCtrl;

class SChromeTab : public qv::ui::SWindow, public SAnimator {
    QV_CLASS_NAME(SChromeTab, qv::ui::SWindow, u"chromeTab", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SWindow)

public:
    SChromeTab() = default;
    explicit SChromeTab(SChromeTabCtrl* strip) : m_strip(strip) {}

    // Its index in the bar's visual order; -1 for the new-tab button.
    int GetTabPos() const { return m_pos; }
    // The order in which the bar's tabs were created, kept dense.
    int GetTabIndex() const { return m_index; }
    bool AllowsClose() const { return m_allowClose != 0; }

    void OnLButtonDown(qv::ui::CPoint pt, UINT flags) override;
    void OnMouseMove(qv::ui::CPoint pt, UINT flags) override;
    void OnLButtonUp(qv::ui::CPoint pt, UINT flags) override;
    void OnLButtonDblClk(qv::ui::CPoint pt, UINT flags) override;

protected:
    // Moves to the step's share of the way; a cut-short move stays where it is.
    void OnAnimationStep(int percent) override;

private:
    friend class SChromeTabCtrl;

    int m_allowClose = 1;
    int m_pos = -1;
    int m_index = -1;
    qv::ui::CPoint m_last;  // the pointer at the last button-down or drag step
    bool m_moved = false;
    SChromeTabCtrl* m_strip = nullptr;
};

}  // namespace qv::controls
