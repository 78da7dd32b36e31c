#include "plugin/windows/WndSnapper.h"

#include <algorithm>
#include <cstdlib>

#include "platform/os/Log.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"

namespace qv::plugin {

using namespace qv::ui;

namespace {

// Edges closer than this count as touching.
constexpr int kNear = 10;

bool Near(int a, int b) { return std::abs(a - b) < kNear; }

SHostWnd* Host(HWND wnd) {
    SApplication* app = SApplication::getSingletonPtr();
    return app && wnd ? app->FindHostWnd(wnd) : nullptr;
}

CRect RectOf(HWND wnd) {
    SHostWnd* host = Host(wnd);
    return host ? host->GetScreenRect() : CRect();
}

}  // namespace

CWndSnapper::~CWndSnapper() {
    for (const Record& r : m_records) {
        if (SHostWnd* host = Host(r.wnd)) {
            host->RemoveMessageHook(r.hook);
            host->SetUserData(0);
        }
    }
}

CWndSnapper::Record* CWndSnapper::Find(HWND wnd) {
    auto it = std::find_if(m_records.begin(), m_records.end(), [wnd](const Record& r) { return r.wnd == wnd; });
    return it == m_records.end() ? nullptr : &*it;
}

const CWndSnapper::Record* CWndSnapper::Find(HWND wnd) const { return const_cast<CWndSnapper*>(this)->Find(wnd); }

std::optional<CWndSnapper::Snap> CWndSnapper::GetSnap(HWND wnd) const {
    const Record* r = Find(wnd);
    return r ? std::optional<Snap>(r->snap) : std::nullopt;
}

// ---------------------------------------------------------------- registration

bool CWndSnapper::Register(HWND wnd) {
    SHostWnd* host = Host(wnd);
    if (!host || host->GetUserData() != 0 || Find(wnd)) return false;
    host->SetUserData(reinterpret_cast<ULONG_PTR>(this));
    const std::uint64_t hook = host->AddMessageHook(
        [this, wnd](UINT msg, WPARAM wParam, LPARAM lParam, const SHostWnd::MessageHookNext& next) {
            OnMessage(wnd, msg, lParam);
            return next(msg, wParam, lParam);
        });
    m_records.push_back(Record{wnd, hook, {}, false, false});
    return true;
}

void CWndSnapper::Unregister(HWND wnd) {
    Record* r = Find(wnd);
    if (!r) return;
    if (SHostWnd* host = Host(wnd)) {
        host->RemoveMessageHook(r->hook);
        host->SetUserData(0);
    }
    m_records.erase(m_records.begin() + (r - m_records.data()));
    if (wnd == m_anchor) m_anchor = nullptr;
}

void CWndSnapper::SetAnchor(HWND wnd) {
    m_anchor = wnd;
    Register(wnd);
}

BOOL CWndSnapper::AddWindow(HWND wnd, int side, int align, int offset, HWND neighbour) {
    if (Find(wnd) || !Register(wnd)) return FALSE;
    if (side != kNone) PlaceWindow(*Find(wnd), Snap{side, align, offset, neighbour});
    Regroup();
    return TRUE;
}

BOOL CWndSnapper::RemoveWindow(HWND wnd) {
    if (!Find(wnd)) return FALSE;
    Unregister(wnd);
    Regroup();
    return TRUE;
}

// ---------------------------------------------------------------- geometry

CWndSnapper::Snap CWndSnapper::EdgeTest(const CRect& o, const CRect& m) {
    const bool vOverlap = (o.top >= m.top && o.top <= m.bottom) || (m.top >= o.top && m.top <= o.bottom);
    const bool hOverlap = (o.left >= m.left && o.left <= m.right) || (m.left >= o.left && m.left <= o.right);
    auto alongY = [&](int side) {
        if (Near(m.bottom, o.bottom)) return Snap{side, kEnd, 0, nullptr};
        if (Near(m.top, o.top)) return Snap{side, kStart, 0, nullptr};
        return Snap{side, kOffset, m.top - o.top, nullptr};
    };
    auto alongX = [&](int side) {
        if (Near(m.right, o.right)) return Snap{side, kEnd, 0, nullptr};
        if (Near(m.left, o.left)) return Snap{side, kStart, 0, nullptr};
        return Snap{side, kOffset, m.left - o.left, nullptr};
    };
    if (Near(o.left, m.right) && vOverlap) return alongY(kLeft);
    if (Near(o.right, m.left) && vOverlap) return alongY(kRight);
    if (Near(o.top, m.bottom) && hOverlap) return alongX(kAbove);
    if (Near(o.bottom, m.top) && hOverlap) return alongX(kBelow);
    return Snap{};
}

CPoint CWndSnapper::SnapPosition(const Snap& s, const CRect& r, CSize size) {
    auto alongY = [&] { return s.align == kStart ? r.top : s.align == kEnd ? r.bottom - size.cy : r.top + s.offset; };
    auto alongX = [&] { return s.align == kStart ? r.left : s.align == kEnd ? r.right - size.cx : r.left + s.offset; };
    switch (s.side) {
    case kLeft: return CPoint(r.left - size.cx, alongY());
    case kAbove: return CPoint(alongX(), r.top - size.cy);
    case kRight: return CPoint(r.right, alongY());
    case kBelow: return CPoint(alongX(), r.bottom);
    default: return CPoint();
    }
}

void CWndSnapper::PlaceWindow(Record& r, const Snap& snap) {
    SHostWnd* host = Host(r.wnd);
    if (!host || snap.side < kLeft || snap.side > kBelow) return;
    const CRect own = host->GetScreenRect();
    const CPoint at = SnapPosition(snap, RectOf(snap.neighbour), own.Size());
    const HWND wnd = r.wnd;
    r.placing = true;
    host->SetWindowPos(nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (Record* still = Find(wnd)) still->placing = false;
}

// ---------------------------------------------------------------- grouping

void CWndSnapper::Regroup() {
    for (Record& r : m_records) r.snap = Snap{};
    if (m_anchor) SnapAround(m_anchor);
}

// Each window joins once (its side is set then), so this ends.
void CWndSnapper::SnapAround(HWND wnd) {
    const CRect around = RectOf(wnd);
    std::vector<HWND> joined;
    for (size_t i = 0; i < m_records.size(); ++i) {
        const HWND w = m_records[i].wnd;
        if (w == wnd || w == m_anchor || m_records[i].snap.side != kNone) continue;
        Snap snap = EdgeTest(around, RectOf(w));
        if (snap.side == kNone) continue;
        snap.neighbour = wnd;
        PlaceWindow(m_records[i], snap);
        if (Record* r = Find(w)) r->snap = snap;
        QV_TRACE(" 0x%08X", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(w)));
        joined.push_back(w);
    }
    for (HWND w : joined) SnapAround(w);
}

// Windows hanging on the anchor follow it, each after its neighbour.
void CWndSnapper::FollowAnchor() {
    std::vector<HWND> placed{m_anchor};
    for (size_t next = 0; next < placed.size(); ++next) {
        for (size_t i = 0; i < m_records.size(); ++i) {
            const Record& r = m_records[i];
            if (r.snap.side == kNone || r.snap.neighbour != placed[next] || r.wnd == m_anchor) continue;
            if (std::find(placed.begin(), placed.end(), r.wnd) != placed.end()) continue;
            const HWND w = r.wnd;
            PlaceWindow(m_records[i], r.snap);
            placed.push_back(w);
        }
    }
}

// ---------------------------------------------------------------- messages

void CWndSnapper::OnMessage(HWND wnd, UINT msg, LPARAM lParam) {
    Record* r = Find(wnd);
    if (!r) return;
    switch (msg) {
    case WM_MOVE:
    case WM_SIZE:
        r->moved = true;
        if (wnd == m_anchor) FollowAnchor();
        break;
    case WM_WINDOWPOSCHANGING: OnPosChanging(*r, reinterpret_cast<void*>(lParam)); break;
    case WM_LBUTTONUP:
        if (!r->moved) break;
        r->moved = false;
        Regroup();
        break;
    case WM_DESTROY: RemoveWindow(wnd); break;
    default: break;
    }
}

// A window moved by anyone but the snapper lands against the first
// registered window it comes near.
void CWndSnapper::OnPosChanging(Record& r, void* windowPos) {
    auto* wp = static_cast<WINDOWPOS*>(windowPos);
    if (!wp || r.wnd == m_anchor || r.placing || (wp->flags & SWP_NOMOVE)) return;
    const CRect proposed(wp->x, wp->y, wp->x + wp->cx, wp->y + wp->cy);
    for (const Record& other : m_records) {
        if (other.wnd == r.wnd) continue;
        const CRect o = RectOf(other.wnd);
        const Snap snap = EdgeTest(o, proposed);
        if (snap.side == kNone) continue;
        const CPoint at = SnapPosition(snap, o, proposed.Size());
        wp->x = at.x;
        wp->y = at.y;
        return;
    }
}

}  // namespace qv::plugin
