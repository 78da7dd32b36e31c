#pragma once
// A tab bar (layout tag "chromeTabCtrl"): tabs side by side (or one above
// the other with tabAlign="vertical"), each "tabDesiredSize" long while they
// fit and shorter when they do not, a new-tab button after the last one,
// close buttons, reordering by dragging ("enableDrag"), and moves animated
// over 200 ms on the layer's clock.
//
// Layout children: <tabStyle> (attributes of every tab), <tabs> with a
// <chromeTab> per initial tab, <newBtnStyle> (the new-tab button),
// <closeBtnStyle> (the close buttons, image buttons). Events: New, Close and
// SelChanged (ChromeTabEvents.h) on the bar's event set. No tab is selected
// at first; a new tab is not selected.
#include <vector>

#include <pugixml.hpp>

#include "platform/ui/SWindow.h"

namespace qv::controls {

class SChromeTab;

class SChromeTabCtrl : public qv::ui::SWindow, private qv::ui::ITimelineHandler {
    QV_CLASS_NAME(SChromeTabCtrl, qv::ui::SWindow, u"chromeTabCtrl", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SWindow)

public:
    static constexpr std::uint32_t kMoveMs = 200;

    SChromeTabCtrl();

    BOOL CreateChildren(pugi::xml_node node) override;
    // Animates every tab into its slot and the new-tab button after them.
    void UpdateChildrenPosition() override;

    // -1 clears the selection. Ignored out of range and for the selected
    // position; otherwise fires SelChanged.
    void SetCurSel(int pos);
    int GetCurSel() const;
    // A tab at the end, placed right after the last one, then fires New.
    SChromeTab* InsertTab();
    // 1 when removed (and the tabs behind renumbered); no event.
    BOOL RemoveTab(SChromeTab* tab);
    BOOL RemoveTab(int pos);
    SChromeTab* GetTab(int pos) const;
    int GetTabCount() const { return static_cast<int>(m_tabs.size()); }
    // Creation index of the tab at a position, and back; -1 when none.
    int GetTabIndex(int pos) const;
    int GetTabPos(int index) const;
    SChromeTab* GetNewTabButton() const { return m_newBtn; }
    bool IsVertical() const { return m_vertical; }
    bool IsDragEnabled() const { return m_enableDrag != 0; }

    // From a tab being dragged with the pointer at pt: the tab it passed
    // the middle of moves into its place and they swap positions.
    void ReorderAround(SChromeTab* dragged, qv::ui::CPoint pt);

protected:
    void OnDestroy() override;

private:
    void OnNextFrame() override;
    HRESULT SetTabAlignAttr(const qv::ui::SStringW& value, bool loading);
    SChromeTab* AddTab();
    void AddCloseButton(SChromeTab* tab);
    void AnimateTab(SChromeTab* tab, const qv::ui::CRect& to);
    qv::ui::CSize NewButtonSize() const;
    bool OnTabCommand(qv::ui::EventArgs* e);
    bool OnNewTabCommand(qv::ui::EventArgs* e);
    bool OnCloseCommand(qv::ui::EventArgs* e);

    int m_tabDesiredSize = 200;
    int m_enableDrag = 1;
    bool m_vertical = false;
    std::vector<SChromeTab*> m_tabs;  // by position
    SChromeTab* m_newBtn = nullptr;
    SChromeTab* m_sel = nullptr;
    bool m_onTimeline = false;
    pugi::xml_document m_templates;  // <tabStyle> and <closeBtnStyle>
};

}  // namespace qv::controls
