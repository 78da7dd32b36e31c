#include "tests/support/UiInput.h"

#include <cstdint>

#include "platform/ui/controls/SScrollView.h"

namespace qv::test {

using ui::CPoint;
using ui::SHostWnd;

namespace {

LPARAM At(CPoint pt) { return MAKELPARAM(pt.x, pt.y); }

}  // namespace

void MouseDown(SHostWnd& host, CPoint pt, bool right) {
    host.SendMessage(right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, At(pt));
}

void MouseUp(SHostWnd& host, CPoint pt, bool right) {
    host.SendMessage(right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, At(pt));
}

void MouseMove(SHostWnd& host, CPoint pt, UINT flags) { host.SendMessage(WM_MOUSEMOVE, flags, At(pt)); }

void Click(SHostWnd& host, CPoint pt, bool right) {
    MouseDown(host, pt, right);
    if (host.IsWindow()) MouseUp(host, pt, right);
}

void Drag(SHostWnd& host, CPoint from, CPoint to, int steps) {
    const CPoint origin = host.GetScreenRect().TopLeft();
    // The pointer's screen point, seen from where the window is now.
    auto client = [&](CPoint pt) {
        CPoint now = host.GetScreenRect().TopLeft();
        return CPoint(pt.x + origin.x - now.x, pt.y + origin.y - now.y);
    };
    MouseDown(host, from);
    if (steps < 1) steps = 1;
    for (int i = 1; i <= steps && host.IsWindow(); ++i) {
        CPoint pt(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps);
        MouseMove(host, client(pt), MK_LBUTTON);
    }
    if (host.IsWindow()) MouseUp(host, client(to));
}

void Wheel(SHostWnd& host, int delta, CPoint pt) {
    host.SendMessage(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<std::uint16_t>(delta)) << 16, At(pt));
}

void KeyDown(SHostWnd& host, UINT vk) { host.SendMessage(WM_KEYDOWN, vk, 0); }
void KeyUp(SHostWnd& host, UINT vk) { host.SendMessage(WM_KEYUP, vk, 0); }
void Char(SHostWnd& host, char16_t ch) { host.SendMessage(WM_CHAR, ch, 0); }

CPoint CenterOf(const ui::SWindow* wnd) {
    ui::CRect rc = wnd->GetWindowRect();
    return {rc.left + rc.Width() / 2, rc.top + rc.Height() / 2};
}

void ScrollIntoView(SHostWnd& host, ui::SWindow& wnd) {
    for (ui::SWindow* w = wnd.GetParent(); w; w = w->GetParent()) {
        auto* view = dynamic_cast<ui::SScrollView*>(w);
        if (!view) continue;
        const ui::CRect shown = view->GetClientRect();
        const ui::CRect rc = wnd.GetWindowRect();
        CPoint origin = view->GetViewOrigin();
        if (rc.bottom > shown.bottom) origin.y += rc.bottom - shown.bottom;
        if (rc.top < shown.top) origin.y -= shown.top - rc.top;
        view->SetViewOrigin(origin);
        break;
    }
    host.UpdateWindow();
}

}  // namespace qv::test
