#include "platform/ui/SMenuWnd.h"

#include <algorithm>
#include <string>

#include "platform/os/MessageQueue.h"
#include "platform/ui/AttrParse.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"

namespace qv::ui {
namespace {

// Item metrics at scale 100.
constexpr int kDefaultItemHeight = 24;
constexpr int kDefaultSepHeight = 1;
constexpr int kSepMargin = 3;      // above and below a separator
constexpr int kCheckColumn = 24;   // left of the text: the check mark
constexpr int kArrowColumn = 20;   // right of the text: the sub-menu arrow
constexpr int kBorder = 2;
constexpr int kMinWidth = 96;

int Scaled(int v, int scale) { return v * scale / 100; }

int RootInt(pugi::xml_node root, const char* name, int fallback) {
    return ParseInt(XmlText(root.attribute(name).value())).value_or(fallback);
}

}  // namespace

// ---------------------------------------------------------------- item

SMenuItemWnd::SMenuItemWnd(pugi::xml_node node, int scale)
    : m_node(node), m_scale(scale), m_separator(std::string_view(node.name()) == "sep") {}

std::span<const AttrRow> SMenuItemWnd::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&SMenuItemWnd::m_colorTextHover>(u"colorTextHover"),
    };
    return kRows;
}

// Sub-menu items open in a window of their own.
BOOL SMenuItemWnd::CreateChildren(pugi::xml_node node) {
    (void)node;
    return TRUE;
}

int SMenuItemWnd::GetContentWidth() const {
    if (m_separator) return 0;
    CSize text = SRenderTarget::MeasureTextWith(GetWindowText(), GetFont());
    return Scaled(kCheckColumn + kArrowColumn, m_scale) + text.cx;
}

CRect SMenuItemWnd::GetTextRect() const {
    CRect rc = GetWindowRect();
    rc.left += Scaled(kCheckColumn, m_scale);
    rc.right -= Scaled(kArrowColumn, m_scale);
    return rc;
}

void SMenuItemWnd::OnPaint(SRenderTarget& rt) {
    CRect rc = GetWindowRect();
    if (m_separator) {
        if (ISkinObj* skin = GetSkin()) skin->Draw(rt, rc, 0);
        else rt.FillSolidRect(rc, RGBA(128, 128, 128, 255));
        return;
    }
    SWindow::OnPaint(rt);
    COLORREF mark = IsDisabled(true) ? RGBA(128, 128, 128, 255) : GetTextColor();
    int mid = rc.top + rc.Height() / 2;
    if (IsChecked()) {
        int x = rc.left + Scaled(kCheckColumn, m_scale) / 2;
        int u = std::max(2, Scaled(4, m_scale));
        PointF tick[] = {{float(x - u), float(mid)}, {float(x - u / 3), float(mid + u)}, {float(x + u), float(mid - u)}};
        SPen old = rt.SelectPen(SPen{mark, static_cast<float>(std::max(1, Scaled(2, m_scale)))});
        rt.DrawLines(tick, 3);
        rt.SelectPen(old);
    }
    if (HasSubMenu()) {
        int x = rc.right - Scaled(kArrowColumn, m_scale) / 2;
        int u = std::max(2, Scaled(4, m_scale));
        PointF arrow[] = {{float(x - u / 2), float(mid - u)}, {float(x + u / 2), float(mid)}, {float(x - u / 2), float(mid + u)}};
        SBrush old = rt.SelectBrush(SBrush{mark});
        rt.FillPolygon(arrow, 3);
        rt.SelectBrush(old);
    }
}

void SMenuItemWnd::DrawText(SRenderTarget& rt, const SStringW& text, CRect rc) {
    bool hover = (GetState() & WndState_Hover) && !IsDisabled(true);
    if (!hover || m_colorTextHover == CR_INVALID) {
        SWindow::DrawText(rt, text, rc);
        return;
    }
    SFont old = rt.SelectFont(GetFont());
    COLORREF oldColor = rt.SetTextColor(m_colorTextHover);
    rt.DrawText(text, rc, GetTextAlign());
    rt.SetTextColor(oldColor);
    rt.SelectFont(old);
}

SMenuTracker* SMenuItemWnd::Tracker() const {
    auto* wnd = dynamic_cast<SMenuWnd*>(GetContainer());
    return wnd ? wnd->GetTracker() : nullptr;
}

void SMenuItemWnd::OnMouseHover(CPoint pt) {
    SWindow::OnMouseHover(pt);
    auto* wnd = dynamic_cast<SMenuWnd*>(GetContainer());
    if (!wnd || m_separator) return;
    if (!IsDisabled(true)) wnd->SetHotItem(this);
    wnd->GetTracker()->HoverItem(this, wnd->GetLevel());
}

void SMenuItemWnd::OnLButtonUp(CPoint pt, UINT flags) {
    SWindow::OnLButtonUp(pt, flags);
    if (m_separator || IsDisabled(true) || !GetWindowRect().PtInRect(pt)) return;
    SMenuTracker* tracker = Tracker();
    if (!tracker) return;
    if (HasSubMenu()) {
        auto* wnd = dynamic_cast<SMenuWnd*>(GetContainer());
        tracker->HoverItem(this, wnd->GetLevel());
        return;
    }
    tracker->Choose(static_cast<UINT>(GetID()));
}

// ---------------------------------------------------------------- window

bool SMenuWnd::Open(pugi::xml_node menu, pugi::xml_node root, CPoint at, int scale, const CRect* item) {
    ModifyHostStyle(HostStyle_Popup | HostStyle_TopMost | HostStyle_ToolWindow | HostStyle_NoActivate, 0);
    if (!CreateFromXml(u"<menuwnd size=\"1,1\"/>")) return false;
    if (const char* skin = root.attribute("skin").value(); *skin) SetAttribute(u"skin", XmlText(skin), true);

    const int itemHeight = Scaled(RootInt(root, "itemHeight", kDefaultItemHeight), scale);
    const int sepHeight = Scaled(RootInt(root, "sepHeight", kDefaultSepHeight), scale);
    const int border = Scaled(kBorder, scale);
    // The root's attributes that style every item, under the item's names.
    static constexpr struct {
        const char* rootAttr;
        const char16_t* itemAttr;
    } kShared[] = {{"itemSkin", u"skin"},
                   {"font", u"font"},
                   {"colorText", u"colorText"},
                   {"colorTextDisable", u"colorTextDisable"},
                   {"colorTextHover", u"colorTextHover"}};
    int y = border;
    int width = Scaled(kMinWidth, scale);
    for (pugi::xml_node node : menu.children()) {
        std::string_view tag = node.name();
        if (tag != "item" && tag != "sep") continue;
        auto* item = new SMenuItemWnd(node, scale);
        InsertChild(item);
        bool sep = tag == "sep";
        for (const auto& s : kShared) {
            const char* rootAttr = sep && s.itemAttr == std::u16string_view(u"skin") ? "sepSkin" : s.rootAttr;
            if (const char* v = root.attribute(rootAttr).value(); *v) item->SetAttribute(s.itemAttr, XmlText(v), true);
        }
        item->InitFromXml(node);
        int h = sep ? sepHeight : itemHeight;
        if (sep) y += Scaled(kSepMargin, scale);
        item->SetAttribute(u"pos", SStringW::FromUtf8(std::to_string(border) + "," + std::to_string(y) + ",-" +
                                                     std::to_string(border) + ",@" + std::to_string(h)),
                           true);
        y += h + (sep ? Scaled(kSepMargin, scale) : 0);
        width = std::max(width, item->GetContentWidth() + 2 * border);
    }
    CSize size(width, y + border);
    CRect area = GetDisplayBackend().GetDisplayNear(CRect(at, size)).work;
    // A sub-menu without room right of its item opens left of it.
    if (item && at.x + size.cx > area.right && item->left - size.cx >= area.left) at.x = item->left - size.cx;
    int x = std::clamp(at.x, area.left, std::max(area.left, area.right - size.cx));
    int top = std::clamp(at.y, area.top, std::max(area.top, area.bottom - size.cy));
    SetWindowPos(CRect(x, top, x + size.cx, top + size.cy));
    UpdateLayout();
    ShowWindow(SW_SHOWNOACTIVATE);
    return true;
}

SMenuItemWnd* SMenuWnd::FindItem(UINT id) {
    for (SWindow* c = GetWindow(GSW_FIRSTCHILD); c; c = c->GetWindow(GSW_NEXTSIBLING)) {
        auto* item = dynamic_cast<SMenuItemWnd*>(c);
        if (item && !item->IsSeparator() && static_cast<UINT>(item->GetID()) == id) return item;
    }
    return nullptr;
}

void SMenuWnd::SetHotItem(SMenuItemWnd* item) {
    if (item == m_hot) return;
    if (m_hot) m_hot->ModifyState(0, WndState_Hover);
    m_hot = item;
    if (m_hot) m_hot->ModifyState(WndState_Hover, 0);
}

bool SMenuWnd::StepHotItem(int dir) {
    std::vector<SMenuItemWnd*> items;
    for (SWindow* c = GetWindow(GSW_FIRSTCHILD); c; c = c->GetWindow(GSW_NEXTSIBLING))
        if (auto* item = dynamic_cast<SMenuItemWnd*>(c)) items.push_back(item);
    const int n = static_cast<int>(items.size());
    if (n == 0) return false;
    auto at = std::find(items.begin(), items.end(), m_hot);
    // With no hot item, Down starts at the first and Up at the last.
    int i = at == items.end() ? (dir > 0 ? n - 1 : 0) : static_cast<int>(at - items.begin());
    for (int step = 0; step < n; ++step) {
        i = ((i + dir) % n + n) % n;
        SMenuItemWnd* item = items[static_cast<size_t>(i)];
        if (!item->IsSeparator() && !item->IsDisabled(true) && item->IsVisible()) {
            SetHotItem(item);
            return true;
        }
    }
    return false;
}

BOOL SMenuWnd::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    if (msg == WM_KEYDOWN && m_tracker->OnKey(static_cast<UINT>(wParam))) return TRUE;
    // A click in another window than the menu's own ends the menu.
    if (msg == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) {
        if (!m_tracker->IsMenuWindow(reinterpret_cast<HWND>(lParam))) m_tracker->Cancel();
        return TRUE;
    }
    if (msg == WM_CLOSE) {
        m_tracker->Cancel();
        return TRUE;
    }
    return SHostWnd::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

// ---------------------------------------------------------------- tracker

SMenuTracker::~SMenuTracker() {
    CloseLevelsFrom(0);
    for (auto& w : m_retired) w->DestroyWindow();
}

bool SMenuTracker::Open(CPoint at) {
    auto wnd = std::make_unique<SMenuWnd>(this, 0);
    if (!wnd->Open(m_root, m_root, at, m_scale)) return false;
    m_windows.push_back(std::move(wnd));
    return true;
}

UINT SMenuTracker::Run() {
    qv::os::LoopOptions options;
    options.done = [this] { return m_ended; };
    // The menus are never activated, so the keys of the loop go to the
    // window that has the focus; the menu takes them as it takes the mouse.
    options.preTranslate = [this](qv::os::MSG& msg) {
        return msg.message == WM_KEYDOWN && !IsMenuWindow(msg.hwnd) && OnKey(static_cast<UINT>(msg.wParam));
    };
    qv::os::RunMessageLoop(options);
    CloseLevelsFrom(0);
    for (auto& w : m_retired) w->DestroyWindow();
    m_retired.clear();
    return m_ended ? m_choice : 0;
}

void SMenuTracker::Choose(UINT id) {
    if (m_ended) return;
    m_ended = true;
    m_choice = id;
    HideAll();
}

void SMenuTracker::Cancel() {
    if (m_ended) return;
    m_ended = true;
    m_choice = 0;
    HideAll();
}

// At once, so the click that ended the menu finds it closed; the windows go
// when the loop has returned.
void SMenuTracker::HideAll() {
    for (auto& w : m_windows) w->ShowWindow(SW_HIDE);
}

void SMenuTracker::HoverItem(SMenuItemWnd* item, int level) {
    const size_t below = static_cast<size_t>(level) + 1;
    if (below < m_windows.size()) {
        // Already open for this item: keep it.
        if (item->HasSubMenu() && m_windows[below]->GetUserData() == reinterpret_cast<ULONG_PTR>(item)) return;
        CloseLevelsFrom(below);
    }
    if (!item->HasSubMenu() || item->IsDisabled(true) || m_ended) return;
    auto* host = dynamic_cast<SHostWnd*>(item->GetContainer());
    if (!host) return;
    CRect rc = item->GetWindowRect();
    CPoint corner;
    host->ClientToScreen(corner);
    rc.Offset(corner.x, corner.y);
    auto wnd = std::make_unique<SMenuWnd>(this, level + 1);
    if (!wnd->Open(item->GetNode(), m_root, CPoint(rc.right, rc.top), m_scale, &rc)) return;
    wnd->SetUserData(reinterpret_cast<ULONG_PTR>(item));
    m_windows.push_back(std::move(wnd));
}

bool SMenuTracker::OnKey(UINT vk) {
    if (m_windows.empty() || m_ended) return false;
    SMenuWnd* deepest = m_windows.back().get();
    const size_t level = m_windows.size() - 1;
    SMenuItemWnd* hot = deepest->GetHotItem();
    switch (vk) {
    case VK_UP:
    case VK_DOWN:
        deepest->StepHotItem(vk == VK_DOWN ? 1 : -1);
        return true;
    case VK_RIGHT:
    case VK_RETURN:
        if (hot && hot->HasSubMenu()) {
            HoverItem(hot, static_cast<int>(level));
            if (m_windows.size() > level + 1) m_windows.back()->StepHotItem(1);
        } else if (hot && vk == VK_RETURN) {
            Choose(static_cast<UINT>(hot->GetID()));
        }
        return true;
    case VK_LEFT:
        if (level > 0) RetireLevelsFrom(level);
        return true;
    case VK_ESCAPE:
        if (level > 0) RetireLevelsFrom(level);
        else Cancel();
        return true;
    default:
        return false;
    }
}

void SMenuTracker::RetireLevelsFrom(size_t level) {
    while (m_windows.size() > level) {
        m_windows.back()->ShowWindow(SW_HIDE);
        m_retired.push_back(std::move(m_windows.back()));
        m_windows.pop_back();
    }
}

bool SMenuTracker::IsMenuWindow(HWND hwnd) const {
    return hwnd && std::any_of(m_windows.begin(), m_windows.end(), [hwnd](const auto& w) { return w->GetHwnd() == hwnd; });
}

void SMenuTracker::CloseLevelsFrom(size_t level) {
    while (m_windows.size() > level) {
        m_windows.back()->DestroyWindow();
        m_windows.pop_back();
    }
}

}  // namespace qv::ui
