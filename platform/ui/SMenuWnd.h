#pragma once
// The windows of a menu being tracked: one borderless, top-most,
// no-activate popup host per open level, holding one SMenuItemWnd per item
// or separator. SMenuTracker owns them for one TrackPopupMenu.
#include <memory>
#include <pugixml.hpp>
#include <vector>

#include "platform/ui/SHostWnd.h"

namespace qv::ui {

class SMenuTracker;

class SMenuItemWnd : public SWindow {
    QV_CLASS_NAME(SMenuItemWnd, SWindow, u"menuitem", kObjectWindow)
    QV_ATTRIBUTES(SWindow)

public:
    SMenuItemWnd(pugi::xml_node node, int scale);

    bool IsSeparator() const { return m_separator; }
    bool HasSubMenu() const { return m_node.child("item") != nullptr; }
    pugi::xml_node GetNode() const { return m_node; }
    // Width the text and margins need.
    int GetContentWidth() const;

    BOOL CreateChildren(pugi::xml_node node) override;
    void OnPaint(SRenderTarget& rt) override;
    void OnLButtonUp(CPoint pt, UINT flags) override;
    void OnMouseHover(CPoint pt) override;

protected:
    void DrawText(SRenderTarget& rt, const SStringW& text, CRect rc) override;
    CRect GetTextRect() const override;

private:
    SMenuTracker* Tracker() const;

    pugi::xml_node m_node;
    int m_scale;
    bool m_separator;
    COLORREF m_colorTextHover = CR_INVALID;
};

class SMenuWnd : public SHostWnd {
    QV_CLASS_NAME(SMenuWnd, SHostWnd, u"menuwnd", kObjectWindow)

public:
    SMenuWnd(SMenuTracker* tracker, int level) : m_tracker(tracker), m_level(level) {}

    // Builds the items of `menu` (the root or a sub-menu item), sizes the
    // window to them and shows it at the screen point, kept on the work area.
    // A sub-menu gives its item's screen rectangle: where the menu has no
    // room right of it, it opens on the item's left.
    bool Open(pugi::xml_node menu, pugi::xml_node root, CPoint at, int scale, const CRect* item = nullptr);
    SMenuTracker* GetTracker() const { return m_tracker; }
    int GetLevel() const { return m_level; }
    // The item window of a command id on this level.
    SMenuItemWnd* FindItem(UINT id);
    // The item the keyboard acts on (the last one hovered or stepped to).
    SMenuItemWnd* GetHotItem() const { return m_hot; }
    void SetHotItem(SMenuItemWnd* item);
    // Steps the hot item by +1 or -1, skipping separators, disabled and hidden
    // items and wrapping at the ends; false when no item can be hot.
    bool StepHotItem(int dir);

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    SMenuTracker* m_tracker;
    int m_level;
    SMenuItemWnd* m_hot = nullptr;
};

class SMenuTracker {
public:
    SMenuTracker(pugi::xml_node root, int scale) : m_root(root), m_scale(scale) {}
    ~SMenuTracker();

    // Opens the top level; false when it cannot be created.
    bool Open(CPoint at);
    // Runs the loop until a choice or a cancel; returns the id, 0 for none.
    UINT Run();
    void Choose(UINT id);
    void Cancel();
    bool IsEnded() const { return m_ended; }

    // Opens the sub-menu of an item beside it (closing deeper levels), or
    // closes the levels below the item's own when it has none.
    void HoverItem(SMenuItemWnd* item, int level);
    // Up/Down, Right, Left, Return and Escape on the deepest open level;
    // false for other keys.
    bool OnKey(UINT vk);
    bool IsMenuWindow(HWND hwnd) const;
    const std::vector<std::unique_ptr<SMenuWnd>>& GetWindows() const { return m_windows; }

private:
    void CloseLevelsFrom(size_t level);
    void HideAll();
    // Hides the levels from `level` on and keeps them until the loop ends,
    // as a key may close the very window that is handling it.
    void RetireLevelsFrom(size_t level);

    pugi::xml_node m_root;
    int m_scale;
    std::vector<std::unique_ptr<SMenuWnd>> m_windows;
    std::vector<std::unique_ptr<SMenuWnd>> m_retired;
    bool m_ended = false;
    UINT m_choice = 0;
};

}  // namespace qv::ui
