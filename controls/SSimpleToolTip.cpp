#include "controls/SSimpleToolTip.h"

#include <algorithm>

#include "platform/os/Log.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SystemLook.h"

namespace qv::controls {

using namespace qv::ui;

namespace {

SSimpleToolTip* g_shared = nullptr;

constexpr int kMargin = 5;
constexpr int kWrapWidth = 500;

// The default GUI font as "宋体" at 12 pixels.
SFont PopupFont() {
    SFont font = GetDefaultGuiFont();
    font.face = u"宋体";
    font.size = 12;
    return font;
}

}  // namespace

SSimpleToolTip* SSimpleToolTip::GetShared() {
    if (!g_shared) g_shared = new SSimpleToolTip();
    return g_shared;
}

SSimpleToolTip* SSimpleToolTip::Current() { return g_shared; }

int SSimpleToolTip::AddRef() {
    if (++m_refs == 1 && !EnsureWindow()) QV_LOGE("the value popup could not be created");
    return m_refs;
}

int SSimpleToolTip::Release() {
    const int left = --m_refs;
    if (left > 0) return left;
    if (g_shared == this) g_shared = nullptr;
    DestroyWindow();
    delete this;
    return 0;
}

bool SSimpleToolTip::EnsureWindow() { return IsWindow() || CreatePopup(u"simple tooltip", CRect(0, 0, 10, 10)) != nullptr; }

void SSimpleToolTip::SetText(const SStringW& text) {
    if (text.IsEmpty()) {
        Hide();
        return;
    }
    m_text = text;
    if (!IsWindow()) return;
    const CSize size = SRenderTarget::MeasureTextWith(text, PopupFont(), kWrapWidth);
    CRect rc = GetScreenRect();
    rc.right = rc.left + size.cx + 2 * kMargin;
    rc.bottom = rc.top + size.cy + 2 * kMargin;
    // Inside the work area of its display: moved left or up by what passes
    // its edge.
    const CRect area = GetDisplayBackend().GetDisplayNear(rc).work;
    rc.Offset(-std::max(0, rc.right - area.right), -std::max(0, rc.bottom - area.bottom));
    SetWindowPos(rc);
    ShowPopup();
    InvalidateHostRect(CRect(0, 0, rc.Width(), rc.Height()));
}

void SSimpleToolTip::MoveTo(CPoint screenPt) {
    if (!IsWindow()) return;
    const CRect rc = GetScreenRect();
    SetWindowPos(CRect(screenPt, rc.Size()));
}

void SSimpleToolTip::Hide() {
    m_text.Empty();
    if (IsWindow()) ShowWindow(SW_HIDE);
}

void SSimpleToolTip::OnPaint(SRenderTarget& rt) {
    CRect rc = GetClientRect();
    rt.FillSolidRect(rc, GetSysColor(COLOR_INFOBK));
    const SPen oldPen = rt.SelectPen(SPen{});  // the default pen: a one-pixel border
    rt.DrawRectangle(rc);
    rt.SelectPen(oldPen);
    rc.Deflate(kMargin, kMargin);
    const SFont oldFont = rt.SelectFont(PopupFont());
    const COLORREF oldColor = rt.SetTextColor(GetSysColor(COLOR_INFOTEXT));
    rt.DrawText(m_text, rc, DT_WORDBREAK);
    rt.SetTextColor(oldColor);
    rt.SelectFont(oldFont);
}

}  // namespace qv::controls
