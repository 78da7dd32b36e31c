#pragma once
// A window of the tree: a control or a container drawn inside a host window.
// Rectangles are in host-client coordinates; "pos" is relative to the parent.
#include <cstdint>
#include <functional>
#include <optional>
#include <pugixml.hpp>

#include "platform/os/Types.h"
#include "platform/ui/AttrTable.h"
#include "platform/ui/Color.h"
#include "platform/ui/EventSet.h"
#include "platform/ui/FontStyle.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/ISwndContainer.h"
#include "platform/ui/SObject.h"
#include "platform/ui/STrText.h"
#include "platform/ui/SwndLayout.h"
#include "platform/ui/WinDefs.h"

namespace qv::ui {

class ISkinObj;
class SRenderTarget;

// State bits; the checked state adds 4 to a skin's frame index.
constexpr DWORD WndState_Normal = 0;
constexpr DWORD WndState_Hover = 1u << 0;
constexpr DWORD WndState_PushDown = 1u << 1;
constexpr DWORD WndState_Check = 1u << 2;
constexpr DWORD WndState_Invisible = 1u << 3;
constexpr DWORD WndState_Disable = 1u << 4;
constexpr DWORD WndState_Focus = 1u << 5;

// Frame of a state skin: normal 0, hover 1, pushed 2, disabled 3, and +4
// for the checked half of an 8-frame skin.
int SkinFrameForState(DWORD state, int skinStates);

// For GetWindow.
enum { GSW_FIRSTCHILD = 0, GSW_LASTCHILD, GSW_PREVSIBLING, GSW_NEXTSIBLING, GSW_PARENT };

// Text alignment flags of DrawText; the same values are used by "align".
constexpr UINT DT_LEFT = 0x0;
constexpr UINT DT_CENTER = 0x1;
constexpr UINT DT_RIGHT = 0x2;
constexpr UINT DT_VCENTER = 0x4;
constexpr UINT DT_BOTTOM = 0x8;
constexpr UINT DT_WORDBREAK = 0x10;
constexpr UINT DT_SINGLELINE = 0x20;
constexpr UINT DT_NOPREFIX = 0x800;
constexpr UINT DT_CALCRECT = 0x400;
constexpr UINT DT_END_ELLIPSIS = 0x8000;

class SWindow : public SObject {
    QV_CLASS_NAME(SWindow, SObject, u"window", kObjectWindow)
    QV_ATTRIBUTES(SObject)

public:
    SWindow();
    ~SWindow() override;
    SWindow(const SWindow&) = delete;
    SWindow& operator=(const SWindow&) = delete;

    // --- tree
    SWindow* GetParent() const { return m_parent; }
    SWindow* GetWindow(int code) const;
    SWindow* GetRoot();
    int GetChildrenCount() const { return m_childCount; }
    // Inserts after `after` (null: at the end). Takes ownership.
    void InsertChild(SWindow* child, SWindow* after = nullptr);
    // Detaches without destroying; the caller owns the child again.
    bool RemoveChild(SWindow* child);
    bool IsDescendant(const SWindow* ancestor) const;
    // Depth-first search; depth -1 is unlimited, 1 direct children only.
    SWindow* FindChildByID(int id, int depth = -1);
    SWindow* FindChildByName(std::u16string_view name, int depth = -1);
    template <class T>
    T* FindChildByID2(int id, int depth = -1) { return dynamic_cast<T*>(FindChildByID(id, depth)); }
    template <class T>
    T* FindChildByName2(std::u16string_view name, int depth = -1) { return dynamic_cast<T*>(FindChildByName(name, depth)); }

    // The host this tree lives in (set on the root, inherited by children).
    ISwndContainer* GetContainer() const;
    void SetContainer(ISwndContainer* container) { m_container = container; }
    // Events this window does not handle go to the owner when set, else to the host.
    void SetOwner(SWindow* owner) { m_owner = owner; }
    SWindow* GetOwner() const { return m_owner; }

    // Destroys the window and its children. Inside an event or message being
    // delivered on this thread the memory is freed once that delivery ends,
    // so a handler may destroy the window that called it.
    virtual BOOL DestroyWindow();
    void DestroyAllChildren();
    bool IsDestroying() const { return m_destroying; }

    // --- identity and data
    int GetID() const override { return m_id; }
    void SetID(int id) { m_id = id; }
    SStringW GetName() const override { return m_name; }
    void SetName(const SStringW& name) { m_name = name; }
    ULONG_PTR GetUserData() const { return m_userData; }
    ULONG_PTR SetUserData(ULONG_PTR data);

    // --- state
    DWORD GetState() const { return m_state; }
    // Returns the old state. Fires the state-change event when it changes.
    DWORD ModifyState(DWORD add, DWORD remove, bool update = true);
    bool IsVisible(bool checkParent = false) const;
    void SetVisible(bool visible, bool update = true);
    bool IsDisabled(bool checkParent = false) const;
    void EnableWindow(bool enable, bool update = true);
    bool IsChecked() const { return (m_state & WndState_Check) != 0; }
    void SetCheck(bool check) { ModifyState(check ? WndState_Check : 0u, check ? 0u : WndState_Check, true); }
    bool IsFocusable() const { return m_focusable; }

    // --- text
    virtual SStringW GetWindowText(bool raw = false) const;
    virtual void SetWindowText(const SStringW& text);
    SStringW GetToolTipText() const { return m_toolTip.GetText(); }
    void SetToolTipText(const SStringW& text) { m_toolTip.SetText(text); }

    // --- focus, capture, hover, redraw
    void SetFocus();
    void KillFocus();
    bool IsFocused() const;
    void SetCapture();
    void ReleaseCapture();
    void Invalidate();
    void InvalidateRect(const CRect& rc);

    // --- geometry
    CRect GetWindowRect() const { return m_rect; }
    // The window less its padding (and what a subclass keeps for itself,
    // such as scroll bars).
    virtual CRect GetClientRect() const;
    void Move(const CRect& rc);
    const SwndPosition& GetPosition() const { return m_pos; }
    // Content size for "-1" sizes: text or skin plus padding.
    virtual CSize GetDesiredSize();
    // Places every child by its position or the grid layout, recursively.
    virtual void UpdateChildrenPosition();
    void RequestRelayout();
    void BringWindowToTop();
    // The deepest visible, enabled window under the point (this when no child).
    SWindow* SwndFromPoint(CPoint pt);
    // Whether a press on the window is the window's own. A window that takes
    // no clicks (a label, an image) lets a press pass to the nearest ancestor
    // that gathers its children's presses (a caption, which drags), when only
    // windows taking no clicks lie between; see PressTarget.
    virtual bool TakesClicks() const { return true; }
    virtual bool GathersChildPresses() const { return false; }
    // The window a left-button press on `hit` goes to.
    static SWindow* PressTarget(SWindow* hit);

    // --- attributes and layout XML
    HRESULT AfterAttribute(const SStringW& name, const SStringW& value, bool loading, HRESULT hr) override;
    // Applies the style classes named by "class", then the node's attributes,
    // then creates the children.
    BOOL InitFromXml(pugi::xml_node node) override;
    // Creates a child for each element by its tag. <include src="LAYOUT:name"/>
    // creates the elements of a named layout in its place. A tag without a
    // registered class is logged with its name and skipped.
    virtual BOOL CreateChildren(pugi::xml_node node);
    // Parses an XML fragment and creates its elements as children.
    BOOL CreateChildrenFromXml(const SStringW& xml);
    // Creates the elements of a named layout ("LAYOUT:XML_INC_x"; the
    // children of its top element) as children, then lays them out.
    BOOL CreateChildrenFromResource(const SStringW& resName);
    const SStringW& GetStyleClass() const { return m_class; }

    // --- events
    EventSet& GetEventSet() { return m_events; }
    std::uint64_t SubscribeEvent(int id, EventSlot slot, const void* owner = nullptr) {
        return m_events.SubscribeEvent(id, std::move(slot), owner);
    }
    // Offers the event to this window's subscribers, then to the owner or host.
    virtual bool FireEvent(EventArgs& e);
    bool FireCommand();

    // --- timers (delivered to OnTimer)
    bool SetTimer(UINT id, UINT elapseMs);
    void KillTimer(UINT id);

    // --- style. The text colours and the font's parts that a window does not
    // set come from its parent, and at the top from the skin's UI font.
    COLORREF GetTextColor() const;
    void SetTextColor(COLORREF color);
    COLORREF GetDisabledTextColor() const;
    // The font drawn with: every part resolved.
    SFont GetFont() const;
    SStringW GetFontFace() const { return GetFont().face; }
    int GetFontSize() const { return GetFont().size; }
    bool GetFontBold() const { return GetFont().bold; }
    // The window's own font parts (open ones inherit).
    const FontStyle& GetOwnFont() const { return m_font; }
    void SetOwnFont(const FontStyle& font);
    UINT GetTextAlign() const { return m_textAlign; }
    ISkinObj* GetSkin() const { return m_skin; }
    int GetScale() const { return 100; }
    // The pointer's shape over this window ("arrow", "hand", "ibeam",
    // "sizeall", "sizewe", "sizens", "sizenwse", "sizenesw"; attribute
    // "cursor"). A window without one shows its parent's; false for an
    // unknown name.
    bool SetCursor(const SStringW& name);
    void SetCursor(CursorId cursor);
    std::optional<CursorId> GetCursor() const { return m_cursor; }

    // --- painting and input (the host calls these)
    void Paint(SRenderTarget& rt, const CRect& dirty);
    virtual void OnPaint(SRenderTarget& rt);
    virtual void OnTimer(UINT id) { (void)id; }
    virtual void OnLButtonDown(CPoint pt, UINT flags);
    virtual void OnLButtonUp(CPoint pt, UINT flags);
    virtual void OnLButtonDblClk(CPoint pt, UINT flags) { OnLButtonDown(pt, flags); }
    virtual void OnRButtonDown(CPoint pt, UINT flags);
    virtual void OnMouseMove(CPoint pt, UINT flags) { (void)pt; (void)flags; }
    virtual void OnMouseHover(CPoint pt);
    virtual void OnMouseLeave();
    // A window that does not use the wheel passes it to its parent, so a
    // scroll view scrolls over its children.
    virtual void OnMouseWheel(int delta, CPoint pt);
    // Returns true when the key was used.
    virtual bool OnKeyDown(UINT vk, UINT repeat, UINT flags) { (void)vk; (void)repeat; (void)flags; return false; }
    // flags: the modifiers held (MK_SHIFT, MK_CONTROL, MK_ALT).
    virtual bool OnKeyUp(UINT vk, UINT repeat, UINT flags) { (void)vk; (void)repeat; (void)flags; return false; }
    virtual bool OnChar(char16_t ch) { (void)ch; return false; }
    // The input method's text being composed; empty when composition ends.
    virtual void SetCompositionText(const SStringW& text) { (void)text; }
    virtual void OnSetFocus() {}
    virtual void OnKillFocus() {}
    virtual void OnCaptureLost() {}
    virtual void OnLanguageChanged();

protected:
    virtual void OnStateChanged(DWORD oldState, DWORD newState) { (void)oldState; (void)newState; }
    virtual void OnSize(CSize size) { (void)size; }
    virtual void OnShowWindow(bool show) { (void)show; }
    virtual void OnDestroy() {}
    // Draws the caption into the text rectangle with the style's alignment.
    virtual void DrawText(SRenderTarget& rt, const SStringW& text, CRect rc);
    virtual CRect GetTextRect() const { return GetClientRect(); }
    // The rectangle children are laid out in (positions and grid cells).
    virtual CRect GetChildrenLayoutRect() const { return GetClientRect(); }
    // The grid's parameters when the children are laid out in a grid, else null.
    const GridLayoutParams* GetGridLayout() const { return m_layout == LayoutKind::Grid ? &m_grid : nullptr; }
    // A child's height as the layouts take it: its own, else its content's.
    static int LayoutHeightOf(SWindow* child);
    // Children are drawn and hit only inside this rectangle.
    virtual CRect GetChildrenClipRect() const { return m_rect; }
    // With "dotted" a dotted frame inside the window; nothing else by default.
    virtual void DrawFocus(SRenderTarget& rt);

    EventSet m_events;
    STrText m_text;
    STrText m_toolTip;
    CRect m_padding;

private:
    friend class SwndDeferredDelete;
    void DetachFromTree();
    void LayoutChild(SWindow* child, const CRect& client, CRect& prev, int& gridIndex, int& gridRowTop, int& gridRowHeight);
    void ApplyStyleClass(const SStringW& classes);
    void DestroyChildrenNow();

    // Attribute setters of the table.
    HRESULT SetClassAttr(const SStringW& value, bool loading);
    HRESULT SetPosAttr(const SStringW& value, bool loading);
    HRESULT SetSizeAttr(const SStringW& value, bool loading);
    HRESULT SetWidthAttr(const SStringW& value, bool loading);
    HRESULT SetHeightAttr(const SStringW& value, bool loading);
    HRESULT SetVisibleAttr(const SStringW& value, bool loading);
    HRESULT SetEnableAttr(const SStringW& value, bool loading);
    HRESULT SetDisableAttr(const SStringW& value, bool loading);
    HRESULT SetCheckAttr(const SStringW& value, bool loading);
    HRESULT SetTextAttr(const SStringW& value, bool loading);
    HRESULT SetTipAttr(const SStringW& value, bool loading);
    HRESULT SetDataAttr(const SStringW& value, bool loading);
    HRESULT SetFontAttr(const SStringW& value, bool loading);
    HRESULT SetColorTextAttr(const SStringW& value, bool loading);
    HRESULT SetColorTextDisableAttr(const SStringW& value, bool loading);
    HRESULT SetAlignAttr(const SStringW& value, bool loading);
    HRESULT SetVAlignAttr(const SStringW& value, bool loading);
    HRESULT SetMultiLinesAttr(const SStringW& value, bool loading);
    HRESULT SetPaddingAttr(const SStringW& value, bool loading);
    HRESULT SetAlphaAttr(const SStringW& value, bool loading);
    HRESULT SetLayoutAttr(const SStringW& value, bool loading);
    HRESULT SetCursorAttr(const SStringW& value, bool loading);
    template <int GridLayoutParams::*Field>
    HRESULT SetGridAttr(const SStringW& value, bool loading);
    template <Gravity GridLayoutParams::*Field>
    HRESULT SetGridGravityAttr(const SStringW& value, bool loading);
    HRESULT SetBoxGravityAttr(const SStringW& value, bool loading);

    SWindow* m_parent = nullptr;
    SWindow* m_firstChild = nullptr;
    SWindow* m_lastChild = nullptr;
    SWindow* m_prevSibling = nullptr;
    SWindow* m_nextSibling = nullptr;
    int m_childCount = 0;
    ISwndContainer* m_container = nullptr;
    SWindow* m_owner = nullptr;

    int m_id = 0;
    SStringW m_name;
    SStringW m_class;
    ULONG_PTR m_userData = 0;
    DWORD m_state = WndState_Normal;
    bool m_visible = true;
    bool m_focusable = false;
    bool m_destroying = false;
    // "layout": anchored by "pos" (the default), the grid, or a vertical box
    // that stacks its children top down at their own heights.
    enum class LayoutKind { Anchored, Grid, VBox };
    LayoutKind m_layout = LayoutKind::Anchored;
    GridLayoutParams m_grid;
    Gravity m_boxGravity = Gravity::Fill;  // "gravity": across a vertical box
    bool m_dottedFocus = false;            // "dotted": the focus drawn as a dotted frame

    CRect m_rect;
    SwndPosition m_pos;

    COLORREF m_colorBkgnd = CR_INVALID;
    // Text colours; unset ones come from the parent.
    std::optional<COLORREF> m_colorText;
    std::optional<COLORREF> m_colorTextDisabled;
    FontStyle m_font;
    UINT m_textAlign = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    ISkinObj* m_skin = nullptr;
    int m_alpha = 255;
    int m_maxWidth = 0;  // content-sized text wraps beyond this width
    std::optional<CursorId> m_cursor;
};

}  // namespace qv::ui
