#include "platform/ui/SWindow.h"

#include <strings.h>

#include <algorithm>
#include <tuple>

#include "platform/os/Log.h"
#include "platform/ui/AttrParse.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/SWindowFactory.h"
#include "platform/ui/SwndDispatch.h"

namespace qv::ui {

int SkinFrameForState(DWORD state, int skinStates) {
    int frame = 0;
    if (state & WndState_Disable) frame = 3;
    else if (state & WndState_PushDown) frame = 2;
    else if (state & WndState_Hover) frame = 1;
    if ((state & WndState_Check) && skinStates >= 8) frame += 4;
    if (skinStates <= 0) return 0;
    if (frame >= skinStates) frame = (skinStates >= 4 && (state & WndState_Check)) ? frame % 4 : 0;
    return frame;
}

SWindow::SWindow() {
    m_events.AddEvent(EVT_CMD, EventCmd::EventName);
    m_events.AddEvent(EVT_CTXMENU, EventCtxMenu::EventName);
    m_events.AddEvent(EVT_STATECHANGED, EventSwndStateChanged::EventName);
}

SWindow::~SWindow() {
    DestroyChildrenNow();
}

void SWindow::DestroyChildrenNow() {
    SWindow* child = m_firstChild;
    while (child) {
        SWindow* next = child->m_nextSibling;
        child->m_parent = nullptr;
        delete child;
        child = next;
    }
    m_firstChild = m_lastChild = nullptr;
    m_childCount = 0;
}

// ---------------------------------------------------------------- tree

SWindow* SWindow::GetWindow(int code) const {
    switch (code) {
    case GSW_FIRSTCHILD: return m_firstChild;
    case GSW_LASTCHILD: return m_lastChild;
    case GSW_PREVSIBLING: return m_prevSibling;
    case GSW_NEXTSIBLING: return m_nextSibling;
    case GSW_PARENT: return m_parent;
    default: return nullptr;
    }
}

SWindow* SWindow::GetRoot() {
    SWindow* w = this;
    while (w->m_parent) w = w->m_parent;
    return w;
}

void SWindow::InsertChild(SWindow* child, SWindow* after) {
    if (!child || child == this) return;
    if (child->m_parent) child->m_parent->RemoveChild(child);
    child->m_parent = this;
    if (after && after->m_parent == this) {
        child->m_prevSibling = after;
        child->m_nextSibling = after->m_nextSibling;
        if (after->m_nextSibling) after->m_nextSibling->m_prevSibling = child;
        else m_lastChild = child;
        after->m_nextSibling = child;
    } else {
        child->m_prevSibling = m_lastChild;
        child->m_nextSibling = nullptr;
        if (m_lastChild) m_lastChild->m_nextSibling = child;
        else m_firstChild = child;
        m_lastChild = child;
    }
    ++m_childCount;
}

bool SWindow::RemoveChild(SWindow* child) {
    if (!child || child->m_parent != this) return false;
    if (child->m_prevSibling) child->m_prevSibling->m_nextSibling = child->m_nextSibling;
    else m_firstChild = child->m_nextSibling;
    if (child->m_nextSibling) child->m_nextSibling->m_prevSibling = child->m_prevSibling;
    else m_lastChild = child->m_prevSibling;
    child->m_parent = nullptr;
    child->m_prevSibling = child->m_nextSibling = nullptr;
    --m_childCount;
    return true;
}

bool SWindow::IsDescendant(const SWindow* ancestor) const {
    for (const SWindow* w = m_parent; w; w = w->m_parent) {
        if (w == ancestor) return true;
    }
    return false;
}

SWindow* SWindow::FindChildByID(int id, int depth) {
    if (depth == 0) return nullptr;
    for (SWindow* c = m_firstChild; c; c = c->m_nextSibling) {
        if (c->m_id == id && !c->m_destroying) return c;
    }
    for (SWindow* c = m_firstChild; c; c = c->m_nextSibling) {
        if (SWindow* found = c->FindChildByID(id, depth - 1)) return found;
    }
    return nullptr;
}

SWindow* SWindow::FindChildByName(std::u16string_view name, int depth) {
    if (depth == 0 || name.empty()) return nullptr;
    for (SWindow* c = m_firstChild; c; c = c->m_nextSibling) {
        if (c->m_name == SStringW(name) && !c->m_destroying) return c;
    }
    for (SWindow* c = m_firstChild; c; c = c->m_nextSibling) {
        if (SWindow* found = c->FindChildByName(name, depth - 1)) return found;
    }
    return nullptr;
}

ISwndContainer* SWindow::GetContainer() const {
    for (const SWindow* w = this; w; w = w->m_parent) {
        if (w->m_container) return w->m_container;
    }
    return nullptr;
}

void SWindow::DetachFromTree() {
    if (ISwndContainer* c = GetContainer()) {
        c->InvalidateHostRect(m_rect);
        c->OnSwndDestroyed(this);
    }
    if (m_parent) m_parent->RemoveChild(this);
}

BOOL SWindow::DestroyWindow() {
    if (m_destroying) return FALSE;
    m_destroying = true;
    // Children learn first, so their hosts forget them while the tree is whole.
    for (SWindow* c = m_firstChild; c; c = c->m_nextSibling) {
        c->m_destroying = true;
        if (ISwndContainer* container = GetContainer()) container->OnSwndDestroyed(c);
    }
    OnDestroy();
    DetachFromTree();
    m_events.SetMuted(true);
    DispatchScope::DeleteLater(this);
    return TRUE;
}

void SWindow::DestroyAllChildren() {
    while (m_firstChild) m_firstChild->DestroyWindow();
    RequestRelayout();
}

ULONG_PTR SWindow::SetUserData(ULONG_PTR data) {
    ULONG_PTR old = m_userData;
    m_userData = data;
    return old;
}

// ---------------------------------------------------------------- state

DWORD SWindow::ModifyState(DWORD add, DWORD remove, bool update) {
    DWORD old = m_state;
    m_state = (m_state & ~remove) | add;
    if (m_state == old) return old;
    OnStateChanged(old, m_state);
    EventSwndStateChanged e(this);
    e.dwOldState = old;
    e.dwNewState = m_state;
    e.bubbleUp = false;
    FireEvent(e);
    if (update) Invalidate();
    return old;
}

bool SWindow::IsVisible(bool checkParent) const {
    if (!checkParent) return m_visible;
    for (const SWindow* w = this; w; w = w->m_parent) {
        if (!w->m_visible) return false;
    }
    return true;
}

void SWindow::SetVisible(bool visible, bool update) {
    if (m_visible == visible) return;
    if (!visible) Invalidate();
    m_visible = visible;
    ModifyState(visible ? 0u : WndState_Invisible, visible ? WndState_Invisible : 0u, false);
    if (!visible) {
        if (ISwndContainer* c = GetContainer()) {
            if (SWindow* f = c->GetSwndFocus(); f && (f == this || f->IsDescendant(this))) c->OnSetSwndFocus(nullptr);
        }
    }
    OnShowWindow(visible);
    if (m_parent) m_parent->RequestRelayout();
    if (update && visible) Invalidate();
}

bool SWindow::IsDisabled(bool checkParent) const {
    if (!checkParent) return (m_state & WndState_Disable) != 0;
    for (const SWindow* w = this; w; w = w->m_parent) {
        if (w->m_state & WndState_Disable) return true;
    }
    return false;
}

void SWindow::EnableWindow(bool enable, bool update) {
    ModifyState(enable ? 0u : WndState_Disable, enable ? WndState_Disable : 0u, update);
}

// ---------------------------------------------------------------- text

SStringW SWindow::GetWindowText(bool raw) const { return raw ? m_text.GetSource() : m_text.GetText(); }

void SWindow::SetWindowText(const SStringW& text) {
    m_text.SetText(text);
    if (m_pos.width == kSizeWrapContent || m_pos.height == kSizeWrapContent) RequestRelayout();
    Invalidate();
}

void SWindow::OnLanguageChanged() {
    m_text.Translate();
    m_toolTip.Translate();
    for (SWindow* c = m_firstChild; c; c = c->m_nextSibling) c->OnLanguageChanged();
    Invalidate();
}

// ---------------------------------------------------------------- style

COLORREF SWindow::GetTextColor() const {
    for (const SWindow* w = this; w; w = w->m_parent) {
        if (w->m_colorText) return *w->m_colorText;
    }
    return RGBA(0, 0, 0, 255);
}

void SWindow::SetTextColor(COLORREF color) {
    m_colorText = color;
    Invalidate();
}

COLORREF SWindow::GetDisabledTextColor() const {
    for (const SWindow* w = this; w; w = w->m_parent) {
        if (w->m_colorTextDisabled) return *w->m_colorTextDisabled;
    }
    return RGBA(128, 128, 128, 255);
}

SFont SWindow::GetFont() const {
    FontStyle font = m_font;
    for (const SWindow* w = m_parent; w; w = w->m_parent) font.InheritFrom(w->m_font);
    if (SApplication* app = SApplication::getSingletonPtr()) font.InheritFrom(app->GetDefaultFont());
    return font.Resolve();
}

void SWindow::SetOwnFont(const FontStyle& font) {
    m_font = font;
    Invalidate();
}

// ---------------------------------------------------------------- focus, capture, redraw

void SWindow::SetFocus() {
    if (ISwndContainer* c = GetContainer()) c->OnSetSwndFocus(this);
}

void SWindow::KillFocus() {
    if (ISwndContainer* c = GetContainer(); c && c->GetSwndFocus() == this) c->OnSetSwndFocus(nullptr);
}

bool SWindow::IsFocused() const {
    ISwndContainer* c = GetContainer();
    return c && c->GetSwndFocus() == this;
}

void SWindow::SetCapture() {
    if (ISwndContainer* c = GetContainer()) c->OnSetSwndCapture(this);
}

void SWindow::ReleaseCapture() {
    if (ISwndContainer* c = GetContainer()) c->OnReleaseSwndCapture(this);
}

void SWindow::Invalidate() { InvalidateRect(m_rect); }

void SWindow::InvalidateRect(const CRect& rc) {
    if (m_destroying || !IsVisible(true) || rc.IsRectEmpty()) return;
    if (ISwndContainer* c = GetContainer()) c->InvalidateHostRect(rc);
}

// ---------------------------------------------------------------- geometry

CRect SWindow::GetClientRect() const {
    CRect rc = m_rect;
    rc.Deflate(m_padding.left, m_padding.top, m_padding.right, m_padding.bottom);
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    return rc;
}

void SWindow::Move(const CRect& rc) {
    if (rc == m_rect) {
        UpdateChildrenPosition();
        return;
    }
    Invalidate();
    m_rect = rc;
    OnSize(rc.Size());
    UpdateChildrenPosition();
    Invalidate();
}

CSize SWindow::GetDesiredSize() {
    CSize size;
    SStringW text = DisplayText(GetWindowText());
    if (!text.IsEmpty()) {
        SFont font = GetFont();
        size = SRenderTarget::MeasureTextWith(text, font);
        int maxText = m_maxWidth - m_padding.left - m_padding.right;
        if (m_maxWidth > 0 && size.cx > maxText && maxText > 0) {
            size = SRenderTarget::MeasureTextWith(text, font, maxText);
            m_textAlign = (m_textAlign & ~DT_SINGLELINE) | DT_WORDBREAK;
        }
    }
    // Children placed from the top-left corner count too; a vertical box is
    // as tall as its children together.
    CRect children;
    if (m_layout == LayoutKind::VBox) {
        for (SWindow* c = m_firstChild; c; c = c->m_nextSibling) {
            if (!c->m_visible || c->m_destroying) continue;
            const int width = c->m_pos.width >= 0 ? c->m_pos.width : c->GetDesiredSize().cx;
            children.right = std::max(children.right, width);
            children.bottom += LayoutHeightOf(c);
        }
    }
    for (SWindow* c = m_firstChild; m_layout != LayoutKind::VBox && c; c = c->m_nextSibling) {
        if (!c->m_visible || c->m_destroying || c->m_pos.count == 0) continue;
        bool fromOrigin = true;
        for (int i = 0; i < c->m_pos.count; ++i) {
            PosItem::Ref ref = c->m_pos.items[i].ref;
            fromOrigin = fromOrigin && (ref == PosItem::Ref::Start || ref == PosItem::Ref::Size);
        }
        if (!fromOrigin) continue;
        CSize desired = c->m_pos.count == 2 ? c->GetDesiredSize() : CSize();
        children.Union(children, ComputePosRect(c->m_pos, CRect(), CRect(), desired));
    }
    size.cx = std::max(size.cx, children.right);
    size.cy = std::max(size.cy, children.bottom);
    if (m_skin) {
        CSize s = m_skin->GetSkinSize();
        size.cx = std::max(size.cx, s.cx);
        size.cy = std::max(size.cy, s.cy);
    }
    size.cx += m_padding.left + m_padding.right;
    size.cy += m_padding.top + m_padding.bottom;
    return size;
}

int SWindow::LayoutHeightOf(SWindow* child) {
    return child->m_pos.height >= 0 ? child->m_pos.height : child->GetDesiredSize().cy;
}

void SWindow::LayoutChild(SWindow* child, const CRect& client, CRect& prev, int& gridIndex, int& gridRowTop,
                          int& gridRowHeight) {
    if (m_layout == LayoutKind::VBox) {
        // gridRowTop runs down the box.
        const int h = LayoutHeightOf(child);
        CRect rc(client.left, gridRowTop, client.right, gridRowTop + h);
        if (child->m_pos.width >= 0)
            std::tie(rc.left, rc.right) = PlaceWithGravity(m_boxGravity, client.left, client.Width(), child->m_pos.width);
        gridRowTop += h;
        child->Move(rc);
        prev = rc;
        return;
    }
    if (m_layout == LayoutKind::Grid) {
        int columns = std::max(1, m_grid.columns);
        CSize desired = child->GetDesiredSize();
        if (gridIndex % columns == 0 && gridIndex > 0) {
            gridRowTop += gridRowHeight + m_grid.yInterval;
            gridRowHeight = 0;
        }
        int h = child->m_pos.height >= 0 ? child->m_pos.height : desired.cy;
        gridRowHeight = std::max(gridRowHeight, h);
        CRect cell = GridCellRect(m_grid, client, gridIndex, h);
        if (m_grid.rows <= 0) cell.Offset(0, gridRowTop - (client.top + (gridIndex / columns) * (h + m_grid.yInterval)));
        if (child->m_pos.width >= 0)
            std::tie(cell.left, cell.right) = PlaceWithGravity(m_grid.xGravity == Gravity::Fill ? Gravity::Start : m_grid.xGravity,
                                                               cell.left, cell.Width(), child->m_pos.width);
        if (m_grid.rows <= 0) cell.bottom = cell.top + h;
        else if (child->m_pos.height >= 0 && m_grid.yGravity != Gravity::Fill)
            std::tie(cell.top, cell.bottom) = PlaceWithGravity(m_grid.yGravity, cell.top, cell.Height(), h);
        ++gridIndex;
        child->Move(cell);
        return;
    }
    CSize desired;
    if (child->m_pos.width == kSizeWrapContent || child->m_pos.height == kSizeWrapContent ||
        (child->m_pos.count == 2 && (child->m_pos.width == kSizeUnset || child->m_pos.height == kSizeUnset))) {
        desired = child->GetDesiredSize();
    }
    CRect rc = ComputePosRect(child->m_pos, client, prev, desired);
    child->Move(rc);
    prev = rc;
}

void SWindow::UpdateChildrenPosition() {
    CRect client = GetChildrenLayoutRect();
    CRect prev;
    int gridIndex = 0, gridRowTop = client.top, gridRowHeight = 0;
    for (SWindow* c = m_firstChild; c; c = c->m_nextSibling) {
        if (!c->m_visible || c->m_destroying) continue;
        LayoutChild(c, client, prev, gridIndex, gridRowTop, gridRowHeight);
    }
}

void SWindow::RequestRelayout() {
    if (ISwndContainer* c = GetContainer()) c->RequestRelayout();
}

void SWindow::BringWindowToTop() {
    if (!m_parent || m_parent->m_lastChild == this) return;
    SWindow* parent = m_parent;
    parent->RemoveChild(this);
    parent->InsertChild(this);
    Invalidate();
}

SWindow* SWindow::SwndFromPoint(CPoint pt) {
    if (!m_rect.PtInRect(pt)) return nullptr;
    if (!m_firstChild || !GetChildrenClipRect().PtInRect(pt)) return this;
    // Later children draw on top, so they are hit first.
    for (SWindow* c = m_lastChild; c; c = c->m_prevSibling) {
        if (!c->m_visible || c->m_destroying) continue;
        if (SWindow* hit = c->SwndFromPoint(pt)) return hit;
    }
    return this;
}

SWindow* SWindow::PressTarget(SWindow* hit) {
    for (SWindow* w = hit; w && !w->TakesClicks(); w = w->m_parent) {
        if (w->m_parent && w->m_parent->GathersChildPresses()) return w->m_parent;
    }
    return hit;
}

// ---------------------------------------------------------------- attributes

std::span<const AttrRow> SWindow::AttrRows() {
    using E = AttrEffect;
    static constexpr AttrRow kRows[] = {
        AttrMember<&SWindow::m_id>(u"id", E::NoRepaint),
        AttrMember<&SWindow::m_name>(u"name", E::NoRepaint),
        AttrCall<&SWindow::SetClassAttr>(u"class"),
        AttrCall<&SWindow::SetPosAttr>(u"pos", E::Relayout),
        AttrCall<&SWindow::SetSizeAttr>(u"size", E::Relayout),
        AttrCall<&SWindow::SetWidthAttr>(u"width", E::Relayout),
        AttrCall<&SWindow::SetHeightAttr>(u"height", E::Relayout),
        AttrCall<&SWindow::SetVisibleAttr>(u"visible", E::NoRepaint),
        AttrCall<&SWindow::SetVisibleAttr>(u"show", E::NoRepaint),
        AttrCall<&SWindow::SetEnableAttr>(u"enable", E::NoRepaint),
        AttrCall<&SWindow::SetDisableAttr>(u"disable", E::NoRepaint),
        AttrCall<&SWindow::SetCheckAttr>(u"checked"),
        AttrCall<&SWindow::SetCheckAttr>(u"check"),
        AttrCall<&SWindow::SetTextAttr>(u"text"),
        AttrCall<&SWindow::SetTipAttr>(u"tip", E::NoRepaint),
        AttrCall<&SWindow::SetTipAttr>(u"toolTip", E::NoRepaint),
        AttrCall<&SWindow::SetDataAttr>(u"data", E::NoRepaint),
        AttrMember<&SWindow::m_focusable>(u"focusable", E::NoRepaint),
        AttrMember<&SWindow::m_colorBkgnd>(u"colorBkgnd"),
        AttrCall<&SWindow::SetColorTextAttr>(u"colorText"),
        AttrCall<&SWindow::SetColorTextDisableAttr>(u"colorTextDisable"),
        AttrCall<&SWindow::SetFontAttr>(u"font"),
        AttrCall<&SWindow::SetAlignAttr>(u"align"),
        AttrCall<&SWindow::SetVAlignAttr>(u"valign"),
        AttrCall<&SWindow::SetMultiLinesAttr>(u"multiLines"),
        AttrCall<&SWindow::SetPaddingAttr>(u"padding", E::Relayout),
        AttrCall<&SWindow::SetPaddingAttr>(u"inset", E::Relayout),
        AttrMember<&SWindow::m_skin>(u"skin"),
        AttrMember<&SWindow::m_maxWidth, 0>(u"maxWidth", E::Relayout),
        AttrCall<&SWindow::SetAlphaAttr>(u"alpha"),
        AttrCall<&SWindow::SetLayoutAttr>(u"layout", E::Relayout),
        AttrCall<&SWindow::SetCursorAttr>(u"cursor", E::NoRepaint),
        AttrCall<&SWindow::SetGridAttr<&GridLayoutParams::columns>>(u"columnCount", E::Relayout),
        AttrCall<&SWindow::SetGridAttr<&GridLayoutParams::rows>>(u"rowCount", E::Relayout),
        AttrCall<&SWindow::SetGridAttr<&GridLayoutParams::xInterval>>(u"xInterval", E::Relayout),
        AttrCall<&SWindow::SetGridAttr<&GridLayoutParams::yInterval>>(u"yInterval", E::Relayout),
        AttrCall<&SWindow::SetGridGravityAttr<&GridLayoutParams::xGravity>>(u"xGravity", E::Relayout),
        AttrCall<&SWindow::SetGridGravityAttr<&GridLayoutParams::yGravity>>(u"yGravity", E::Relayout),
        AttrCall<&SWindow::SetBoxGravityAttr>(u"gravity", E::Relayout),
        AttrMember<&SWindow::m_dottedFocus>(u"dotted", E::NoRepaint),
    };
    return kRows;
}

HRESULT SWindow::SetClassAttr(const SStringW& value, bool) {
    m_class = value;
    ApplyStyleClass(value);
    return S_OK;
}

HRESULT SWindow::SetPosAttr(const SStringW& value, bool) {
    auto pos = ParsePos(value);
    if (!pos) return E_FAIL;
    int w = m_pos.width, h = m_pos.height;
    m_pos = *pos;
    m_pos.width = w;
    m_pos.height = h;
    return S_OK;
}

HRESULT SWindow::SetSizeAttr(const SStringW& value, bool) {
    auto size = ParseSize(value);
    if (!size) return E_FAIL;
    m_pos.width = size->cx;
    m_pos.height = size->cy;
    return S_OK;
}

HRESULT SWindow::SetWidthAttr(const SStringW& value, bool) {
    auto v = ParseLayoutSize(value);
    if (!v) return E_FAIL;
    m_pos.width = *v;
    return S_OK;
}

HRESULT SWindow::SetHeightAttr(const SStringW& value, bool) {
    auto v = ParseLayoutSize(value);
    if (!v) return E_FAIL;
    m_pos.height = *v;
    return S_OK;
}

HRESULT SWindow::SetVisibleAttr(const SStringW& value, bool loading) {
    auto v = ParseBool(value);
    if (!v) return E_FAIL;
    if (loading) m_visible = *v;
    else SetVisible(*v);
    return S_OK;
}

HRESULT SWindow::SetEnableAttr(const SStringW& value, bool loading) {
    auto v = ParseBool(value);
    if (!v) return E_FAIL;
    EnableWindow(*v, !loading);
    return S_OK;
}

HRESULT SWindow::SetDisableAttr(const SStringW& value, bool loading) {
    auto v = ParseBool(value);
    if (!v) return E_FAIL;
    EnableWindow(!*v, !loading);
    return S_OK;
}

HRESULT SWindow::SetCheckAttr(const SStringW& value, bool) {
    auto v = ParseBool(value);
    if (!v) return E_FAIL;
    ModifyState(*v ? WndState_Check : 0u, *v ? 0u : WndState_Check, false);
    return S_OK;
}

HRESULT SWindow::SetTextAttr(const SStringW& value, bool loading) {
    m_text.SetText(value);
    if (!loading && (m_pos.width == kSizeWrapContent || m_pos.height == kSizeWrapContent)) RequestRelayout();
    return S_OK;
}

HRESULT SWindow::SetTipAttr(const SStringW& value, bool) {
    m_toolTip.SetText(value);
    return S_OK;
}

HRESULT SWindow::SetDataAttr(const SStringW& value, bool) {
    auto v = ParseInt(value);
    if (!v) return E_FAIL;
    m_userData = static_cast<ULONG_PTR>(static_cast<unsigned int>(*v));
    return S_OK;
}

HRESULT SWindow::SetFontAttr(const SStringW& value, bool) {
    return ParseFontStyle(value, m_font) ? S_OK : E_FAIL;
}

HRESULT SWindow::SetColorTextAttr(const SStringW& value, bool) {
    auto c = ParseColor(value);
    if (!c) return E_FAIL;
    m_colorText = *c;
    return S_OK;
}

HRESULT SWindow::SetColorTextDisableAttr(const SStringW& value, bool) {
    auto c = ParseColor(value);
    if (!c) return E_FAIL;
    m_colorTextDisabled = *c;
    return S_OK;
}

HRESULT SWindow::SetAlignAttr(const SStringW& value, bool) {
    UINT h = value.EqualsNoCase(u"center") ? DT_CENTER : value.EqualsNoCase(u"right") ? DT_RIGHT
             : value.EqualsNoCase(u"left") ? DT_LEFT : 0xFFFFu;
    if (h == 0xFFFF) return E_FAIL;
    m_textAlign = (m_textAlign & ~(DT_CENTER | DT_RIGHT)) | h;
    return S_OK;
}

HRESULT SWindow::SetVAlignAttr(const SStringW& value, bool) {
    UINT v = value.EqualsNoCase(u"middle") || value.EqualsNoCase(u"center") ? DT_VCENTER
             : value.EqualsNoCase(u"bottom") ? DT_BOTTOM : value.EqualsNoCase(u"top") ? 0u : 0xFFFFu;
    if (v == 0xFFFF) return E_FAIL;
    m_textAlign = (m_textAlign & ~(DT_VCENTER | DT_BOTTOM)) | v;
    return S_OK;
}

HRESULT SWindow::SetMultiLinesAttr(const SStringW& value, bool) {
    auto v = ParseBool(value);
    if (!v) return E_FAIL;
    if (*v) m_textAlign = (m_textAlign & ~DT_SINGLELINE) | DT_WORDBREAK;
    else m_textAlign = (m_textAlign & ~DT_WORDBREAK) | DT_SINGLELINE;
    return S_OK;
}

HRESULT SWindow::SetPaddingAttr(const SStringW& value, bool) {
    auto rc = ParseRect(value);
    if (!rc) {
        auto v = ParseInt(value);
        if (!v) return E_FAIL;
        rc = CRect(*v, *v, *v, *v);
    }
    m_padding = *rc;
    return S_OK;
}

HRESULT SWindow::SetAlphaAttr(const SStringW& value, bool) {
    auto v = ParseInt(value);
    if (!v) return E_FAIL;
    m_alpha = std::clamp(*v, 0, 255);
    return S_OK;
}

HRESULT SWindow::SetLayoutAttr(const SStringW& value, bool) {
    if (value.EqualsNoCase(u"gridlayout") || value.EqualsNoCase(u"grid")) m_layout = LayoutKind::Grid;
    else if (value.EqualsNoCase(u"vbox")) m_layout = LayoutKind::VBox;
    else if (value.EqualsNoCase(u"soui") || value.IsEmpty()) m_layout = LayoutKind::Anchored;
    else return E_FAIL;
    return S_OK;
}

HRESULT SWindow::SetCursorAttr(const SStringW& value, bool) { return SetCursor(value) ? S_OK : E_FAIL; }

bool SWindow::SetCursor(const SStringW& name) {
    static constexpr struct {
        const char16_t* name;
        CursorId id;
    } kCursors[] = {{u"arrow", CursorId::Arrow},       {u"hand", CursorId::Hand},
                    {u"ibeam", CursorId::IBeam},       {u"sizeall", CursorId::SizeAll},
                    {u"sizewe", CursorId::SizeWE},     {u"sizens", CursorId::SizeNS},
                    {u"sizenwse", CursorId::SizeNWSE}, {u"sizenesw", CursorId::SizeNESW}};
    for (const auto& c : kCursors) {
        if (name.EqualsNoCase(c.name)) {
            SetCursor(c.id);
            return true;
        }
    }
    return false;
}

void SWindow::SetCursor(CursorId cursor) { m_cursor = cursor; }

template <int GridLayoutParams::*Field>
HRESULT SWindow::SetGridAttr(const SStringW& value, bool) {
    auto v = ParseInt(value);
    if (!v || *v < 0) return E_FAIL;
    m_grid.*Field = *v;
    return S_OK;
}

template <Gravity GridLayoutParams::*Field>
HRESULT SWindow::SetGridGravityAttr(const SStringW& value, bool) {
    auto gravity = ParseGravity(value.str());
    if (!gravity) return E_FAIL;
    m_grid.*Field = *gravity;
    return S_OK;
}

HRESULT SWindow::SetBoxGravityAttr(const SStringW& value, bool) {
    auto gravity = ParseGravity(value.str());
    if (!gravity) return E_FAIL;
    m_boxGravity = *gravity;
    return S_OK;
}

void SWindow::DrawFocus(SRenderTarget& rt) {
    if (!m_dottedFocus) return;
    CRect rc = m_rect;
    rc.Deflate(2, 2, 2, 2);
    const SPen old = rt.SelectPen(SPen{GetTextColor(), 1, PenStyle::Dot});
    rt.DrawRectangle(rc);
    rt.SelectPen(old);
}

HRESULT SWindow::AfterAttribute(const SStringW& name, const SStringW& value, bool loading, HRESULT hr) {
    (void)name;
    (void)value;
    if (hr == S_OK && !loading) Invalidate();
    return hr;
}

void SWindow::ApplyStyleClass(const SStringW& classes) {
    SApplication* app = SApplication::getSingletonPtr();
    if (!app) return;
    std::u16string_view rest = classes;
    while (!rest.empty()) {
        size_t blank = rest.find(u' ');
        std::u16string_view one = rest.substr(0, blank);
        rest = blank == std::u16string_view::npos ? std::u16string_view() : rest.substr(blank + 1);
        if (one.empty()) continue;
        pugi::xml_node style = app->GetStyle(SStringW(one));
        if (!style) continue;
        for (pugi::xml_attribute attr : style.attributes()) {
            SStringW n = XmlText(attr.name());
            if (AttrNameEquals(n, u"name") || AttrNameEquals(n, u"class")) continue;
            SetAttribute(n, XmlText(attr.value()), true);
        }
    }
}

BOOL SWindow::InitFromXml(pugi::xml_node node) {
    if (!node) return FALSE;
    // The style class first, so the node's own attributes win.
    if (pugi::xml_attribute cls = XmlAttrNoCase(node, "class")) SetAttribute(u"class", XmlText(cls.value()), true);
    for (pugi::xml_attribute attr : node.attributes()) {
        SStringW name = XmlText(attr.name());
        if (AttrNameEquals(name, u"class")) continue;
        if (FAILED(SetAttribute(name, XmlText(attr.value()), true))) {
            QV_TRACE("attribute %s of <%s> not taken", attr.name(), node.name());
        }
    }
    // A control without an id takes it from the named-id table.
    if (m_id == 0 && !m_name.IsEmpty()) {
        if (SApplication* app = SApplication::getSingletonPtr()) m_id = app->GetNamedId(m_name);
    }
    const char* inner = node.text().get();
    if (inner && *inner && m_text.GetSource().IsEmpty()) {
        SStringW text = XmlText(inner);
        text.Trim();
        if (!text.IsEmpty()) m_text.SetText(text);
    }
    return CreateChildren(node);
}

namespace {

// Includes nest at most this deep, so a layout that includes itself ends.
constexpr int kMaxIncludeDepth = 8;
thread_local int t_includeDepth = 0;

}  // namespace

// What cannot be created is logged and left out; the rest of the layout
// still builds.
BOOL SWindow::CreateChildren(pugi::xml_node node) {
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element) continue;
        if (::strcasecmp(child.name(), "include") == 0) {
            SStringW src = XmlText(XmlAttrNoCase(child, "src").value());
            if (src.IsEmpty()) QV_LOGE("<include> without src");
            else CreateChildrenFromResource(src);
            continue;
        }
        SWindow* wnd = CreateWindowByName(XmlText(child.name()));
        if (!wnd) {
            QV_LOGE("no window class for <%s>", child.name());
            continue;
        }
        InsertChild(wnd);
        wnd->InitFromXml(child);
    }
    return TRUE;
}

BOOL SWindow::CreateChildrenFromResource(const SStringW& resName) {
    if (t_includeDepth >= kMaxIncludeDepth) {
        QV_LOGE("layout %s included %d deep", resName.ToUtf8().c_str(), t_includeDepth);
        return FALSE;
    }
    SApplication* app = SApplication::getSingletonPtr();
    pugi::xml_document doc;
    if (!app || !app->LoadXmlResource(doc, resName, u"LAYOUT")) {
        QV_LOGE("layout %s not found", resName.ToUtf8().c_str());
        return FALSE;
    }
    ++t_includeDepth;
    CreateChildren(doc.document_element());
    --t_includeDepth;
    RequestRelayout();
    return TRUE;
}

BOOL SWindow::CreateChildrenFromXml(const SStringW& xml) {
    pugi::xml_document doc;
    std::string utf8 = "<root>" + xml.ToUtf8() + "</root>";
    if (!doc.load_buffer(utf8.data(), utf8.size())) {
        QV_LOGE("bad XML fragment");
        return FALSE;
    }
    BOOL ok = CreateChildren(doc.first_child());
    RequestRelayout();
    return ok;
}

// ---------------------------------------------------------------- events and timers

bool SWindow::FireEvent(EventArgs& e) {
    if (m_destroying) return false;
    DispatchScope scope;
    m_events.FireEvent(e);
    if (e.handled || !e.bubbleUp) return e.handled != 0;
    if (m_owner && !m_owner->m_destroying) return m_owner->FireEvent(e);
    if (ISwndContainer* c = GetContainer()) return c->OnFireEvent(e);
    return false;
}

bool SWindow::FireCommand() {
    EventCmd e(this);
    return FireEvent(e);
}

bool SWindow::SetTimer(UINT id, UINT elapseMs) {
    ISwndContainer* c = GetContainer();
    return c && c->SetSwndTimer(this, id, elapseMs);
}

void SWindow::KillTimer(UINT id) {
    if (ISwndContainer* c = GetContainer()) c->KillSwndTimer(this, id);
}

// ---------------------------------------------------------------- painting and input

void SWindow::Paint(SRenderTarget& rt, const CRect& dirty) {
    if (!m_visible || m_destroying) return;
    CRect overlap;
    if (!overlap.Intersect(m_rect, dirty)) return;
    rt.PushClipRect(m_rect);
    OnPaint(rt);
    if (m_firstChild) {
        CRect clip = GetChildrenClipRect();
        CRect childDirty;
        if (childDirty.Intersect(overlap, clip)) {
            bool clipped = clip != m_rect;
            if (clipped) rt.PushClipRect(clip);
            for (SWindow* c = m_firstChild; c; c = c->m_nextSibling) c->Paint(rt, childDirty);
            if (clipped) rt.PopClip();
        }
    }
    if (IsFocused()) DrawFocus(rt);
    rt.PopClip();
}

void SWindow::OnPaint(SRenderTarget& rt) {
    if (GetAValue(m_colorBkgnd) != 0 && m_colorBkgnd != CR_INVALID) rt.FillSolidRect(m_rect, m_colorBkgnd);
    if (m_skin) m_skin->Draw(rt, m_rect, SkinFrameForState(m_state, m_skin->GetStates()), static_cast<BYTE>(m_alpha));
    SStringW text = DisplayText(GetWindowText());
    if (!text.IsEmpty()) DrawText(rt, text, GetTextRect());
}

void SWindow::DrawText(SRenderTarget& rt, const SStringW& text, CRect rc) {
    SFont old = rt.SelectFont(GetFont());
    COLORREF oldColor = rt.SetTextColor(IsDisabled(true) ? GetDisabledTextColor() : GetTextColor());
    rt.DrawText(text, rc, m_textAlign);
    rt.SetTextColor(oldColor);
    rt.SelectFont(old);
}

void SWindow::OnLButtonDown(CPoint pt, UINT flags) {
    (void)pt;
    (void)flags;
    if (m_focusable) SetFocus();
    SetCapture();
    ModifyState(WndState_PushDown, 0, true);
}

void SWindow::OnLButtonUp(CPoint pt, UINT flags) {
    (void)flags;
    ReleaseCapture();
    if (!(m_state & WndState_PushDown)) return;
    ModifyState(0, WndState_PushDown, true);
    if (m_rect.PtInRect(pt)) FireCommand();
}

void SWindow::OnRButtonDown(CPoint pt, UINT flags) {
    (void)flags;
    EventCtxMenu e(this);
    e.pt = pt;
    FireEvent(e);
}

void SWindow::OnMouseHover(CPoint pt) {
    (void)pt;
    ModifyState(WndState_Hover, 0, true);
}

void SWindow::OnMouseLeave() { ModifyState(0, WndState_Hover, true); }

void SWindow::OnMouseWheel(int delta, CPoint pt) {
    if (m_parent && !m_parent->m_destroying) m_parent->OnMouseWheel(delta, pt);
}

}  // namespace qv::ui
