#include "platform/ui/SHostWnd.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/AttrParse.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SToolTipWnd.h"
#include "platform/ui/SwndDispatch.h"

namespace qv::ui {
namespace {

// The active window of each UI thread.
thread_local HWND t_active = nullptr;

SHostWnd* FindHost(HWND hwnd) {
    SApplication* app = SApplication::getSingletonPtr();
    return app && hwnd ? app->FindHostWnd(hwnd) : nullptr;
}

}  // namespace

SHostWnd::SHostWnd(const SStringW& layoutName) : m_layoutName(layoutName) { SetContainer(this); }

SHostWnd::~SHostWnd() {
    if (!m_hwnd) return;
    if (m_createdAs && *m_createdAs != typeid(SHostWnd)) {
        int status = 0;
        std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(m_createdAs->name(), nullptr, nullptr, &status),
                                                    std::free);
        QV_LOGE("%s ended while still a window: its maps miss WM_DESTROY", name ? name.get() : m_createdAs->name());
    }
    DestroyWindow();
}

void DestroyWindowFirst::operator()(SHostWnd* wnd) const {
    if (!wnd) return;
    if (wnd->IsWindow()) wnd->DestroyWindow();
    delete wnd;
}

// ---------------------------------------------------------------- creation

HWND SHostWnd::Create(HWND parent, int x, int y, int cx, int cy) {
    pugi::xml_document doc;
    SApplication* app = SApplication::getSingletonPtr();
    if (!m_layoutName.IsEmpty() && (!app || !app->LoadXmlResource(doc, m_layoutName, u"LAYOUT"))) {
        QV_LOGE("layout %s not found", m_layoutName.ToUtf8().c_str());
        return nullptr;
    }
    HWND hwnd = CreateFromNode(doc.first_child(), parent);
    if (hwnd && (cx > 0 || cy > 0)) SetWindowPos(CRect(x, y, x + cx, y + cy));
    return hwnd;
}

HWND SHostWnd::CreateFromXml(const SStringW& xml, HWND parent) {
    pugi::xml_document doc;
    std::string utf8 = xml.ToUtf8();
    if (!doc.load_buffer(utf8.data(), utf8.size())) {
        QV_LOGE("bad layout XML");
        return nullptr;
    }
    return CreateFromNode(doc.first_child(), parent);
}

HWND SHostWnd::CreateFromNode(pugi::xml_node top, HWND parent) {
    if (m_hwnd) return m_hwnd;
    m_hwnd = qv::os::CreateTarget([this](HWND, UINT msg, WPARAM wp, LPARAM lp) { return WndProc(msg, wp, lp); });
    m_hWnd = m_hwnd;
    if (!m_hwnd) return nullptr;
    m_native = GetDisplayBackend().CreateNativeWindow();
    m_native->SetInputTarget(m_hwnd);
    if (!m_imeEnabled) m_native->EnableIme(false);
    m_createdAs = &typeid(*this);
    if (SApplication* app = SApplication::getSingletonPtr()) app->RegisterHostWnd(this);
    if (parent && parent != m_hwnd) SetOwnerWnd(parent);
    DispatchScope scope;
    if (top) {
        InitHostAttributes(top);
        pugi::xml_node root = top.child("root");
        InitFromXml(root ? root : top);
    }
    m_native->SetTitle(m_title);
    if (SApplication* app = SApplication::getSingletonPtr(); app && !app->GetWindowIcon().empty())
        m_native->SetIcon(app->GetWindowIcon());
    m_native->SetStyle(m_style);
    m_contentSized = m_size.cx <= 0 || m_size.cy <= 0;
    if (m_size.cx <= 0 || m_size.cy <= 0) {
        // Content-sized host: as large as its children need.
        CSize desired = GetDesiredSize();
        if (m_size.cx <= 0) m_size.cx = std::max(1, desired.cx);
        if (m_size.cy <= 0) m_size.cy = std::max(1, desired.cy);
    }
    m_native->SetRect(CRect(0, 0, m_size.cx, m_size.cy));
    ResizeClient(m_size);
    SendMessage(WM_CREATE, 0, 0);
    if (!m_hwnd) return nullptr;  // destroyed by its own WM_CREATE
    SendMessage(WM_INITDIALOG, 0, 0);
    return m_hwnd;
}

void SHostWnd::InitHostAttributes(pugi::xml_node top) {
    if (auto size = ParseSize(XmlText(XmlAttrNoCase(top, "size").value()))) m_size = *size;
    if (auto w = ParseInt(XmlText(XmlAttrNoCase(top, "width").value()))) m_size.cx = *w;
    if (auto h = ParseInt(XmlText(XmlAttrNoCase(top, "height").value()))) m_size.cy = *h;
    m_title = XmlText(XmlAttrNoCase(top, "title").value());
    if (const char* name = XmlAttrNoCase(top, "name").value(); *name) SetName(XmlText(name));
    static constexpr struct {
        const char* attr;
        DWORD style;
    } kStyles[] = {{"popup", HostStyle_Popup},
                   {"topmost", HostStyle_TopMost},
                   {"toolWindow", HostStyle_ToolWindow},
                   {"noActivate", HostStyle_NoActivate},
                   {"hidden", HostStyle_Hidden}};
    for (const auto& s : kStyles) {
        pugi::xml_attribute a = XmlAttrNoCase(top, s.attr);
        if (!a) continue;
        bool on = ParseInt(XmlText(a.value())).value_or(0) != 0;
        m_style = on ? (m_style | s.style) : (m_style & ~s.style);
    }
}

void SHostWnd::ModifyHostStyle(DWORD add, DWORD remove) {
    DWORD style = (m_style & ~remove) | add;
    if (style == m_style) return;
    m_style = style;
    if (m_native) m_native->SetStyle(m_style);
}

void SHostWnd::SizeToContent() {
    if (!m_native || !m_contentSized) return;
    DispatchScope scope;
    CSize desired = GetDesiredSize();
    CRect rc = m_native->GetRect();
    SetWindowPos(CRect(rc.left, rc.top, rc.left + std::max(1, desired.cx), rc.top + std::max(1, desired.cy)));
    UpdateLayout();
}

void SHostWnd::ResizeClient(CSize size) {
    m_size = size;
    if (!m_rt || m_rt->Width() != size.cx || m_rt->Height() != size.cy) {
        m_rt = std::make_unique<SRenderTarget>(size.cx, size.cy);
    }
    Move(CRect(0, 0, size.cx, size.cy));
    m_relayoutPending = false;
    m_invalid = CRect(0, 0, size.cx, size.cy);
}

BOOL SHostWnd::DestroyWindow() {
    if (!m_hwnd) return FALSE;
    DispatchScope scope;
    HWND hwnd = m_hwnd;
    if (t_active == hwnd) PassActivationOn();
    SendMessage(WM_DESTROY, 0, 0);
    qv::os::KillTimer(hwnd, kTimelineTimerId);
    qv::os::KillTimer(hwnd, kToolTipTimerId);
    if (m_toolTip) m_toolTip->DestroyWindow();
    m_toolTip.reset();
    for (auto& [nativeId, t] : m_swndTimers) qv::os::KillTimer(hwnd, nativeId);
    m_swndTimers.clear();
    m_timeline.clear();
    m_focus = m_capture = m_hover = nullptr;
    while (SWindow* child = GetWindow(GSW_FIRSTCHILD)) child->SWindow::DestroyWindow();
    qv::os::DestroyTarget(hwnd);
    m_hwnd = m_hWnd = nullptr;
    m_ownerWnd = nullptr;
    m_hooks.clear();
    m_native.reset();
    if (SApplication* app = SApplication::getSingletonPtr()) {
        app->UnregisterHostWnd(this);
        if (app->GetMainWnd() == this) app->SetMainWnd(nullptr);
    }
    OnFinalMessage(hwnd);
    return TRUE;
}

// ---------------------------------------------------------------- messages

LRESULT SHostWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!m_hwnd) return 0;
    return qv::os::SendMessage(m_hwnd, msg, wParam, lParam);
}

BOOL SHostWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!m_hwnd) return FALSE;
    return qv::os::PostMessage(m_hwnd, msg, wParam, lParam);
}

LRESULT SHostWnd::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    DispatchScope scope;
    // The framework's own timers and repaints never reach the message maps.
    if (msg == WM_TIMER && wParam >= kFrameworkTimerBase) {
        OnTimerMessage(wParam);
        return 0;
    }
    if (msg == UM_HOST_PAINT) {
        m_paintPosted = false;
        UpdateWindow();
        return 0;
    }
    // The render target follows the size whatever the maps answer.
    if (msg == WM_SIZE && wParam != SIZE_MINIMIZED) ResizeClient(CSize(LOWORD(lParam), HIWORD(lParam)));
    if (msg == WM_ACTIVATE) TrackActivation(wParam);
    return DispatchToHooks(m_hooks.size(), msg, wParam, lParam);
}

LRESULT SHostWnd::DispatchToHooks(size_t index, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (index == 0) return DispatchToMaps(msg, wParam, lParam);
    // A hook may remove itself (or others) while it runs.
    std::shared_ptr<MessageHook> hook = m_hooks[index - 1].hook;
    MessageHookNext next = [this, index](UINT m, WPARAM w, LPARAM l) {
        return DispatchToHooks(std::min(index - 1, m_hooks.size()), m, w, l);
    };
    return (*hook)(msg, wParam, lParam, next);
}

LRESULT SHostWnd::DispatchToMaps(UINT msg, WPARAM wParam, LPARAM lParam) {
    const bool input = (msg >= WM_KEYDOWN && msg <= WM_IME_COMPOSITION) || (msg >= WM_MOUSEMOVE && msg <= WM_MOUSEWHEEL);
    if (!m_hwnd || (input && !m_inputEnabled)) return 0;
    // A click activates the window it lands in, as a window manager does on
    // its own; without one nothing else would tell the window that was
    // active (a box that closes when it loses the activation).
    const bool press = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_LBUTTONDBLCLK;
    if (press && !m_shownNoActivate && !(m_style & HostStyle_NoActivate) && !IsActiveWindow()) {
        Activate();
        if (!m_hwnd) return 0;
    }
    LRESULT result = 0;
    ProcessWindowMessage(m_hwnd, msg, wParam, lParam, result);
    return result;
}

std::uint64_t SHostWnd::AddMessageHook(MessageHook hook) {
    if (!hook) return 0;
    std::uint64_t token = m_nextHook++;
    m_hooks.push_back({token, std::make_shared<MessageHook>(std::move(hook))});
    return token;
}

bool SHostWnd::RemoveMessageHook(std::uint64_t token) {
    return std::erase_if(m_hooks, [token](const HookEntry& h) { return h.token == token; }) != 0;
}

BOOL SHostWnd::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    (void)hwnd;
    result = 0;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        HideToolTip();
        // The click that closes a popup is used up by it, as under a capture.
        if (DeactivatePopupsElsewhere() || !m_hwnd) return TRUE;
        DispatchMouse(msg, wParam, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        return TRUE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_MOUSEWHEEL:
        DispatchMouse(msg, wParam, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        return TRUE;
    case WM_MOUSELEAVE:
        UpdateHover(nullptr, {});
        return TRUE;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        result = DispatchKey(msg, wParam) ? 1 : 0;
        return TRUE;
    case WM_KILLFOCUS:
    case WM_ACTIVATE:
        // Key-ups of modifiers released in another window never come.
        if (msg == WM_KILLFOCUS || LOWORD(wParam) == WA_INACTIVE) m_modifiers = 0;
        return FALSE;
    case WM_IME_STARTCOMPOSITION:
        return !m_imeEnabled;
    case WM_IME_COMPOSITION:
        if (!m_imeEnabled) return TRUE;
        DispatchComposition(lParam ? SStringW(std::u16string(reinterpret_cast<const char16_t*>(lParam))) : SStringW());
        return TRUE;
    case WM_IME_ENDCOMPOSITION:
        if (!m_imeEnabled) return TRUE;
        DispatchComposition({});
        return TRUE;
    case WM_SIZE:  // the render target followed in WndProc
        return TRUE;
    case WM_CLOSE:
        DestroyWindow();
        return TRUE;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE: ShowWindow(SW_SHOWMINIMIZED); return TRUE;
        case SC_MAXIMIZE: ShowWindow(SW_SHOWMAXIMIZED); return TRUE;
        case SC_RESTORE: ShowWindow(SW_RESTORE); return TRUE;
        case SC_CLOSE: SendMessage(WM_CLOSE); return TRUE;
        default: return FALSE;
        }
    default:
        return FALSE;
    }
}

// ---------------------------------------------------------------- input

void SHostWnd::UpdateHover(SWindow* target, CPoint pt) {
    if (target == m_hover) return;
    SWindow* old = m_hover;
    m_hover = target;
    HideToolTip();
    if (target && !target->GetToolTipText().IsEmpty() && m_hwnd) qv::os::SetTimer(m_hwnd, kToolTipTimerId, kToolTipDelayMs);
    if (old) old->OnMouseLeave();
    if (target) target->OnMouseHover(pt);
}

void SHostWnd::DispatchMouse(UINT msg, WPARAM wParam, CPoint pt) {
    SWindow* target = m_capture;
    if (!target) {
        target = SwndFromPoint(pt);
        if (target && target->IsDisabled(true)) target = nullptr;
        UpdateHover(target, pt);
        if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) target = PressTarget(target);
    }
    UpdateCursor(target);
    if (!target) return;
    UINT flags = static_cast<UINT>(wParam);
    switch (msg) {
    case WM_MOUSEMOVE: target->OnMouseMove(pt, flags); break;
    case WM_LBUTTONDOWN: target->OnLButtonDown(pt, flags); break;
    case WM_LBUTTONUP: target->OnLButtonUp(pt, flags); break;
    case WM_LBUTTONDBLCLK: target->OnLButtonDblClk(pt, flags); break;
    case WM_RBUTTONDOWN: target->OnRButtonDown(pt, flags); break;
    case WM_MOUSEWHEEL: target->OnMouseWheel(static_cast<short>(HIWORD(wParam)), pt); break;
    default: break;
    }
}

void SHostWnd::UpdateCursor(SWindow* target) {
    CursorId cursor = CursorId::Arrow;
    for (SWindow* w = target; w; w = w->GetParent()) {
        if (auto c = w->GetCursor()) {
            cursor = *c;
            break;
        }
    }
    if (cursor == m_cursorShown || !m_native) return;
    m_cursorShown = cursor;
    m_native->SetCursor(cursor);
}

void SHostWnd::HoldPointer(bool hold) {
    if (m_native) m_native->HoldPointer(hold);
}

void SHostWnd::EnableIme(bool enable) {
    if (enable == m_imeEnabled) return;
    m_imeEnabled = enable;
    // A composition under way ends for the focused control.
    if (!enable) DispatchComposition({});
    if (m_native) m_native->EnableIme(enable);
}

void SHostWnd::ShowToolTip() {
    if (m_hwnd) qv::os::KillTimer(m_hwnd, kToolTipTimerId);
    if (!m_hover || m_hover->GetToolTipText().IsEmpty()) return;
    if (!m_toolTip) {
        m_toolTip = std::make_unique<SToolTipWnd>();
        if (!m_toolTip->Create()) {
            m_toolTip.reset();
            return;
        }
    }
    m_toolTip->SetText(m_hover->GetToolTipText());
    m_toolTip->ShowBelow(*m_hover, *this);
}

void SHostWnd::HideToolTip() {
    if (m_hwnd) qv::os::KillTimer(m_hwnd, kToolTipTimerId);
    if (m_toolTip && m_toolTip->IsWindowVisible()) m_toolTip->Hide();
}

UINT SHostWnd::KeyFlags() const { return m_modifiers; }

void SHostWnd::TrackModifier(UINT msg, WPARAM vk) {
    UINT bit = 0;
    switch (vk) {
    case VK_SHIFT: case 0xA0: case 0xA1: bit = MK_SHIFT; break;
    case VK_CONTROL: case 0xA2: case 0xA3: bit = MK_CONTROL; break;
    case VK_MENU: case 0xA4: case 0xA5: bit = MK_ALT; break;
    default: return;
    }
    if (msg == WM_KEYDOWN) m_modifiers |= bit;
    else if (msg == WM_KEYUP) m_modifiers &= ~bit;
}

void SHostWnd::DispatchComposition(const SStringW& text) {
    if (m_focus && !m_focus->IsDisabled(true)) m_focus->SetCompositionText(text);
}

bool SHostWnd::DeactivatePopupsElsewhere() {
    SApplication* app = SApplication::getSingletonPtr();
    if (!app) return false;
    DWORD thread = qv::os::GetCurrentThreadId();
    std::vector<HWND> popups;
    for (SHostWnd* h : app->GetHostWnds()) {
        if (h == this || !h->m_hwnd || !h->IsWindowVisible()) continue;
        if (!h->m_shownNoActivate && !(h->m_style & HostStyle_NoActivate)) continue;
        if (qv::os::GetTargetThreadId(h->m_hwnd) != thread) continue;
        popups.push_back(h->m_hwnd);
    }
    // Each may close (and unregister) as it is told; look it up again.
    bool closed = false;
    for (HWND popup : popups) {
        if (!app->FindHostWnd(popup)) continue;
        qv::os::SendMessage(popup, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(m_hwnd));
        SHostWnd* still = app->FindHostWnd(popup);
        closed = closed || !still || !still->IsWindowVisible();
    }
    return closed;
}

bool SHostWnd::DispatchKey(UINT msg, WPARAM wParam) {
    TrackModifier(msg, wParam);
    // Tab moves the focus before any control sees the key.
    if (msg == WM_KEYDOWN && wParam == VK_TAB) {
        FocusNext(false);
        return true;
    }
    SWindow* target = m_focus;
    if (!target || target->IsDisabled(true)) return false;
    if (msg == WM_KEYDOWN) return target->OnKeyDown(static_cast<UINT>(wParam), 1, KeyFlags());
    if (msg == WM_KEYUP) return target->OnKeyUp(static_cast<UINT>(wParam), 1, KeyFlags());
    return target->OnChar(static_cast<char16_t>(wParam));
}

void SHostWnd::FocusNext(bool backwards) {
    std::vector<SWindow*> order;
    std::vector<SWindow*> stack{this};
    while (!stack.empty()) {
        SWindow* w = stack.back();
        stack.pop_back();
        if (w != this && w->IsFocusable() && w->IsVisible(true) && !w->IsDisabled(true)) order.push_back(w);
        std::vector<SWindow*> children;
        for (SWindow* c = w->GetWindow(GSW_FIRSTCHILD); c; c = c->GetWindow(GSW_NEXTSIBLING)) children.push_back(c);
        for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back(*it);
    }
    if (order.empty()) return;
    auto it = std::find(order.begin(), order.end(), m_focus);
    size_t index = 0;
    if (it != order.end()) {
        size_t cur = static_cast<size_t>(it - order.begin());
        index = backwards ? (cur + order.size() - 1) % order.size() : (cur + 1) % order.size();
    }
    OnSetSwndFocus(order[index]);
}

// ---------------------------------------------------------------- container

bool SHostWnd::OnFireEvent(EventArgs& e) { return _HandleEvent(&e) != FALSE || e.handled != 0; }

void SHostWnd::OnSetSwndFocus(SWindow* wnd) {
    if (wnd == m_focus) return;
    SWindow* old = m_focus;
    m_focus = wnd;
    if (old) {
        old->ModifyState(0, WndState_Focus, true);
        old->OnKillFocus();
    }
    if (wnd && m_focus == wnd) {
        wnd->ModifyState(WndState_Focus, 0, true);
        wnd->OnSetFocus();
    }
}

void SHostWnd::OnSetSwndCapture(SWindow* wnd) {
    SWindow* old = m_capture;
    m_capture = wnd;
    if (old && old != wnd) old->OnCaptureLost();
}

void SHostWnd::OnReleaseSwndCapture(SWindow* wnd) {
    if (m_capture == wnd) m_capture = nullptr;
}

void SHostWnd::InvalidateHostRect(const CRect& rc) {
    CRect clipped;
    if (!clipped.Intersect(rc, CRect(0, 0, m_size.cx, m_size.cy))) return;
    m_invalid.Union(m_invalid, clipped);
    if (m_hwnd && !m_paintPosted) m_paintPosted = PostMessage(UM_HOST_PAINT) != FALSE;
}

void SHostWnd::RequestRelayout() {
    m_relayoutPending = true;
    InvalidateHostRect(CRect(0, 0, m_size.cx, m_size.cy));
}

void SHostWnd::OnSwndDestroyed(SWindow* wnd) {
    auto gone = [wnd](SWindow* w) { return w && (w == wnd || w->IsDescendant(wnd)); };
    if (gone(m_focus)) m_focus = nullptr;
    if (gone(m_capture)) m_capture = nullptr;
    if (gone(m_hover)) m_hover = nullptr;
    for (auto it = m_swndTimers.begin(); it != m_swndTimers.end();) {
        if (gone(it->second.wnd)) {
            if (m_hwnd) qv::os::KillTimer(m_hwnd, it->first);
            it = m_swndTimers.erase(it);
        } else {
            ++it;
        }
    }
    std::erase_if(m_timeline, [&](ITimelineHandler* h) {
        auto* w = dynamic_cast<SWindow*>(h);
        return w && gone(w);
    });
}

bool SHostWnd::SetSwndTimer(SWindow* wnd, UINT id, UINT elapseMs) {
    if (!m_hwnd) return false;
    UINT_PTR nativeId = 0;
    for (auto& [n, t] : m_swndTimers) {
        if (t.wnd == wnd && t.id == id) nativeId = n;
    }
    if (!nativeId) nativeId = kFrameworkTimerBase + (m_nextSwndTimer++);
    if (!qv::os::SetTimer(m_hwnd, nativeId, elapseMs)) return false;
    m_swndTimers[nativeId] = {wnd, id};
    return true;
}

void SHostWnd::KillSwndTimer(SWindow* wnd, UINT id) {
    for (auto it = m_swndTimers.begin(); it != m_swndTimers.end(); ++it) {
        if (it->second.wnd == wnd && it->second.id == id) {
            if (m_hwnd) qv::os::KillTimer(m_hwnd, it->first);
            m_swndTimers.erase(it);
            return;
        }
    }
}

void SHostWnd::OnTimerMessage(UINT_PTR id) {
    if (id == kTimelineTimerId) {
        OnNextFrame();
        return;
    }
    if (id == kToolTipTimerId) {
        ShowToolTip();
        return;
    }
    auto it = m_swndTimers.find(id);
    if (it == m_swndTimers.end()) return;
    it->second.wnd->OnTimer(it->second.id);
}

bool SHostWnd::RegisterTimelineHandler(ITimelineHandler* handler) {
    if (!handler || std::find(m_timeline.begin(), m_timeline.end(), handler) != m_timeline.end()) return false;
    m_timeline.push_back(handler);
    if (m_timeline.size() == 1 && m_hwnd) qv::os::SetTimer(m_hwnd, kTimelineTimerId, kTimelineIntervalMs);
    return true;
}

bool SHostWnd::UnregisterTimelineHandler(ITimelineHandler* handler) {
    auto it = std::find(m_timeline.begin(), m_timeline.end(), handler);
    if (it == m_timeline.end()) return false;
    m_timeline.erase(it);
    if (m_timeline.empty() && m_hwnd) qv::os::KillTimer(m_hwnd, kTimelineTimerId);
    return true;
}

void SHostWnd::OnNextFrame() {
    DispatchScope scope;
    std::vector<ITimelineHandler*> snapshot = m_timeline;
    for (ITimelineHandler* h : snapshot) {
        // A handler may unregister others during the frame.
        if (std::find(m_timeline.begin(), m_timeline.end(), h) != m_timeline.end()) h->OnNextFrame();
    }
}

// ---------------------------------------------------------------- native window

UINT_PTR SHostWnd::SetTimer(UINT_PTR id, UINT elapseMs) {
    if (!m_hwnd || id >= kFrameworkTimerBase) return 0;
    return qv::os::SetTimer(m_hwnd, id, elapseMs);
}

BOOL SHostWnd::KillTimer(UINT_PTR id) {
    if (!m_hwnd) return FALSE;
    return qv::os::KillTimer(m_hwnd, id);
}

BOOL SHostWnd::ShowWindow(int showCmd) {
    if (!m_native) return FALSE;
    BOOL wasVisible = m_native->IsVisible();
    if (m_style & HostStyle_Hidden && showCmd != SW_HIDE) return wasVisible;
    if (showCmd != SW_HIDE) m_shownNoActivate = showCmd == SW_SHOWNOACTIVATE;
    m_native->Show(showCmd);
    if (showCmd != SW_HIDE) InvalidateHostRect(CRect(0, 0, m_size.cx, m_size.cy));
    if (showCmd == SW_HIDE || showCmd == SW_SHOWMINIMIZED || showCmd == SW_MINIMIZE) {
        if (t_active == m_hwnd) PassActivationOn();
    } else if (showCmd != SW_SHOWNOACTIVATE && !(m_style & HostStyle_NoActivate)) {
        Activate();
    }
    return wasVisible;
}

BOOL SHostWnd::IsWindowVisible() const { return m_native && m_native->IsVisible(); }
BOOL SHostWnd::IsIconic() const { return m_native && m_native->IsIconic(); }

void SHostWnd::CenterWindow(HWND parent) {
    if (!m_native) return;
    SHostWnd* owner = FindHost(parent ? parent : m_ownerWnd);
    if (owner == this) owner = nullptr;
    CRect rc = m_native->GetRect();
    IDisplayBackend& display = GetDisplayBackend();
    CRect over;
    CRect work;
    if (owner && owner->IsWindowVisible() && !owner->IsIconic()) {
        over = owner->GetScreenRect();
        work = display.GetDisplayNear(over).work;
    } else {
        work = display.GetDisplayNear(owner ? owner->GetScreenRect() : rc).work;
        over = work;
    }
    int x = over.left + (over.Width() - rc.Width()) / 2;
    int y = over.top + (over.Height() - rc.Height()) / 2;
    // Inside the work area; a window larger than it keeps its top-left corner there.
    x = std::max(work.left, std::min(x, work.right - rc.Width()));
    y = std::max(work.top, std::min(y, work.bottom - rc.Height()));
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL SHostWnd::SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (!m_native) return FALSE;
    const CRect before = m_native->GetRect();
    WINDOWPOS wp{m_hwnd, insertAfter, x, y, cx, cy, flags};
    if (flags & SWP_NOMOVE) {
        wp.x = before.left;
        wp.y = before.top;
    }
    if (flags & SWP_NOSIZE) {
        wp.cx = before.Width();
        wp.cy = before.Height();
    }
    if (!(flags & SWP_NOSENDCHANGING)) {
        SendMessage(WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
        if (!m_native) return FALSE;  // destroyed by a handler
    }
    const CRect after(wp.x, wp.y, wp.x + std::max(0, wp.cx), wp.y + std::max(0, wp.cy));
    if (!(wp.flags & SWP_NOZORDER)) {
        if (wp.hwndInsertAfter == HWND_TOPMOST) ModifyHostStyle(HostStyle_TopMost, 0);
        else if (wp.hwndInsertAfter == HWND_NOTOPMOST) ModifyHostStyle(0, HostStyle_TopMost);
        else if (wp.hwndInsertAfter == HWND_TOP) m_native->Raise(false);
    }
    const bool moved = after.TopLeft() != before.TopLeft();
    const bool sized = after.Size() != before.Size();
    if (moved || sized) m_native->SetRect(after);
    if (wp.flags & SWP_SHOWWINDOW) ShowWindow((wp.flags & SWP_NOACTIVATE) ? SW_SHOWNOACTIVATE : SW_SHOW);
    if (wp.flags & SWP_HIDEWINDOW) ShowWindow(SW_HIDE);
    if (!m_native || !(moved || sized)) return m_native != nullptr;
    WINDOWPOS done{m_hwnd, wp.hwndInsertAfter, after.left, after.top, after.Width(), after.Height(), wp.flags};
    SendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&done));
    if (moved) SendMessage(WM_MOVE, 0, MAKELPARAM(after.left, after.top));
    if (sized) SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(after.Width(), after.Height()));
    return TRUE;
}

BOOL SHostWnd::SetWindowPos(const CRect& screenRect) {
    return SetWindowPos(nullptr, screenRect.left, screenRect.top, screenRect.Width(), screenRect.Height(),
                        SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL SHostWnd::MoveWindow(int x, int y, int cx, int cy) {
    return SetWindowPos(nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SHostWnd::SetOwnerWnd(HWND owner) {
    SHostWnd* host = owner == m_hwnd ? nullptr : FindHost(owner);
    m_ownerWnd = host ? owner : nullptr;
    if (m_native) m_native->SetOwner(host ? host->GetNativeWindow() : nullptr);
}

BOOL SHostWnd::SetForegroundWindow() {
    if (!m_native) return FALSE;
    m_native->Raise(!(m_style & HostStyle_NoActivate));
    if (!(m_style & HostStyle_NoActivate)) Activate();
    return TRUE;
}

BOOL SHostWnd::BringWindowToTop() { return SetForegroundWindow(); }

bool SHostWnd::IsActiveWindow() const { return m_hwnd && t_active == m_hwnd; }

void SHostWnd::Activate() {
    if (!m_hwnd || t_active == m_hwnd) return;
    HWND old = t_active;
    t_active = m_hwnd;
    if (FindHost(old)) qv::os::SendMessage(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(m_hwnd));
    if (m_hwnd && t_active == m_hwnd) SendMessage(WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
}

void SHostWnd::PassActivationOn() {
    SHostWnd* owner = FindHost(m_ownerWnd);
    if (owner && owner->IsWindowVisible() && !owner->IsIconic()) {
        owner->Activate();
        return;
    }
    t_active = nullptr;
    SendMessage(WM_ACTIVATE, WA_INACTIVE, 0);
}

void SHostWnd::TrackActivation(WPARAM wParam) {
    if (LOWORD(wParam) != WA_INACTIVE) t_active = m_hwnd;
    else if (t_active == m_hwnd) t_active = nullptr;
}

HWND GetActiveWindow() { return FindHost(t_active) ? t_active : nullptr; }

BOOL SetForegroundWindow(HWND hwnd) {
    SHostWnd* host = FindHost(hwnd);
    return host ? host->SetForegroundWindow() : FALSE;
}

BOOL BringWindowToTop(HWND hwnd) {
    SHostWnd* host = FindHost(hwnd);
    return host ? host->BringWindowToTop() : FALSE;
}

CRect SHostWnd::GetScreenRect() const { return m_native ? m_native->GetRect() : CRect(); }

void SHostWnd::ClientToScreen(CPoint& pt) const {
    CRect rc = GetScreenRect();
    pt.x += rc.left;
    pt.y += rc.top;
}

void SHostWnd::ScreenToClient(CPoint& pt) const {
    CRect rc = GetScreenRect();
    pt.x -= rc.left;
    pt.y -= rc.top;
}

// ---------------------------------------------------------------- drawing

void SHostWnd::UpdateLayout() {
    m_relayoutPending = false;
    UpdateChildrenPosition();
}

void SHostWnd::UpdateWindow() {
    if (!m_rt) return;
    DispatchScope scope;
    if (m_relayoutPending) UpdateLayout();
    if (m_invalid.IsRectEmpty()) return;
    CRect dirty = m_invalid;
    m_invalid = CRect();
    m_rt->PushClipRect(dirty);
    m_rt->Clear(RGBA(0, 0, 0, 0));
    Paint(*m_rt, dirty);
    m_rt->PopClip();
    if (m_native) m_native->Present(*m_rt->GetBitmap(), dirty);
}

}  // namespace qv::ui
