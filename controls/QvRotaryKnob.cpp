#include "controls/QvRotaryKnob.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/os/Log.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"

namespace qv::controls {

using namespace qv::ui;

namespace {

// The knob's own conversions: the positions rest on 3.14, not on pi.
constexpr double kPi314 = 3.14;
double ToRad(double deg) { return deg * kPi314 / 180; }
double ToDeg(double rad) { return rad * 180 / kPi314; }

}  // namespace

std::span<const AttrRow> QvRotaryKnob::AttrRows() {
    constexpr AttrEffect kQuiet = AttrEffect::NoRepaint;
    static constexpr AttrRow kRows[] = {
        AttrCall<&QvRotaryKnob::SetIncludedAngleAttr>(u"includedAngle", kQuiet),
        AttrMember<&QvRotaryKnob::m_dotSkin>(u"dotSkin"),
        AttrCall<&QvRotaryKnob::SetSlashSkinAttr>(u"slashSkin"),
        AttrMember<&QvRotaryKnob::m_dotRadius>(u"dotRadius", kQuiet),
        AttrMember<&QvRotaryKnob::m_fgRadius>(u"fgRadius", kQuiet),
        AttrMember<&QvRotaryKnob::m_fgPaintArc>(u"fgPaintArc"),
        AttrMember<&QvRotaryKnob::m_pointerSize>(u"pointerSize", kQuiet),
        AttrMember<&QvRotaryKnob::m_pointerOffset>(u"poniterOffset", kQuiet),
        AttrMember<&QvRotaryKnob::m_colorCircle>(u"colorCircle", kQuiet),
        AttrCall<&QvRotaryKnob::SetPointerTypeAttr>(u"pointertype"),
    };
    return kRows;
}

// A value that is not a finite number is refused.
HRESULT QvRotaryKnob::SetIncludedAngleAttr(const SStringW& value, bool) {
    double angle = 0;
    if (!ParseAttrValue(value, angle) || !std::isfinite(angle)) return E_FAIL;
    m_includedAngle = angle;
    return S_OK;
}

// The image replaces the held one; one that does not load is refused.
HRESULT QvRotaryKnob::SetSlashSkinAttr(const SStringW& value, bool) {
    SApplication* app = SApplication::getSingletonPtr();
    BitmapPtr image = app ? app->LoadImage(value) : nullptr;
    if (!image) {
        QV_LOGW("pointer image %s not loaded", value.ToUtf8().c_str());
        return E_FAIL;
    }
    m_slashSkin = std::move(image);
    return S_OK;
}

// The names are compared with their case.
HRESULT QvRotaryKnob::SetPointerTypeAttr(const SStringW& value, bool) {
    if (value == u"pterDot") m_pointerType = 0;
    else if (value == u"pterSlash") m_pointerType = 1;
    else return E_FAIL;
    return S_OK;
}

double QvRotaryKnob::GetIncludedAngle() const { return std::min(m_includedAngle, 359.0); }

double QvRotaryKnob::GetValuePerDegree() const {
    return (static_cast<double>(GetMax()) - GetMin()) / (360 - GetIncludedAngle());
}

double QvRotaryKnob::GetCurrentAngle() const {
    const double range = static_cast<double>(GetMax()) - GetMin();
    if (range <= 0) return 0;
    const double sweep = 360 - GetIncludedAngle();
    return std::clamp(sweep * (static_cast<double>(GetValue()) - GetMin()) / range, 0.0, sweep);
}

CPoint QvRotaryKnob::GetDotPos() const {
    const double current = GetCurrentAngle();
    double cosine = 0, sine = 0;
    if (current <= 0 || current >= 360 - GetIncludedAngle()) {
        // The ends of the range, either side of the gap.
        const double a = ToRad(90 - GetIncludedAngle() / 2);
        cosine = current <= 0 ? -std::cos(a) : std::cos(a);
        sine = std::sin(a);
    } else {
        const double a = ToRad(GetStartAngle() + current);
        cosine = std::cos(a);
        sine = std::sin(a);
    }
    return CPoint(static_cast<int>(m_centre.x + cosine * m_dotRadius), static_cast<int>(m_centre.y + sine * m_dotRadius));
}

std::optional<int> QvRotaryKnob::ValueAtPoint(CPoint pt) const {
    const int dx = pt.x - m_centre.x;
    const int dy = pt.y - m_centre.y;
    const double half = GetIncludedAngle() / 2;
    double angle = 0;
    if (dy == 0 && dx == 0) return std::nullopt;
    if (dy == 0) {
        angle = (dx < 0 ? 90 : 270) - half;
    } else if (dx == 0) {
        angle = (dy < 0 ? 180 : 360) - half;
    } else {
        const double t = ToDeg(std::atan2(dy, dx));
        angle = (dx < 0 && dy > 0) ? t - 90 - half : t + 270 - half;
    }
    const double value = std::trunc(GetMin() + angle * GetValuePerDegree());
    return static_cast<int>(std::clamp(value, static_cast<double>(GetMin()), static_cast<double>(GetMax())));
}

void QvRotaryKnob::OnSize(CSize size) {
    SSliderBar::OnSize(size);
    const CRect rc = GetClientRect();
    m_centre = CPoint((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

void QvRotaryKnob::SetAndNotify(long long value) {
    SetValue(static_cast<int>(std::clamp<long long>(value, GetMin(), GetMax())));
    NotifyPos(kNotifyCode, GetValue());
}

void QvRotaryKnob::OnLButtonDown(CPoint pt, UINT flags) {
    SWindow::OnLButtonDown(pt, flags);
    m_dragging = true;
    if (std::optional<int> v = ValueAtPoint(pt)) SetValue(*v);
    Invalidate();
    m_dragPoint = pt;
    NotifyPos(kNotifyCode, GetValue());
}

void QvRotaryKnob::OnMouseMove(CPoint pt, UINT) {
    if (!m_dragging) return;
    const int old = GetValue();
    std::optional<int> at = ValueAtPoint(pt);
    if (!at) return;
    // Crossing the gap from one end to the other holds the end until the
    // pointer comes back to it.
    if (old == GetMax() && *at == GetMin() && GetMax() != GetMin()) {
        m_stuckAtMax = true;
        return;
    }
    if (old == GetMin() && *at == GetMax() && GetMax() != GetMin()) {
        m_stuckAtMin = true;
        return;
    }
    if (m_stuckAtMax) {
        if (*at != GetMax()) return;
        m_stuckAtMax = false;
    } else if (m_stuckAtMin) {
        if (*at != GetMin()) return;
        m_stuckAtMin = false;
    }
    SetValue(*at);
    NotifyPos(kNotifyCode, GetValue());
    SetCapture();
    Invalidate();
}

void QvRotaryKnob::OnLButtonUp(CPoint, UINT) {
    m_stuckAtMax = m_stuckAtMin = false;
    m_dragging = false;
    ReleaseCapture();
    ModifyState(0, WndState_PushDown, true);
}

void QvRotaryKnob::OnCaptureLost() {
    m_stuckAtMax = m_stuckAtMin = false;
    SSliderBar::OnCaptureLost();
}

void QvRotaryKnob::OnMouseWheel(int delta, CPoint) {
    if (IsFocusable()) SetFocus();
    SetAndNotify(static_cast<long long>(GetValue()) + (delta < 0 ? -1 : 1));
}

bool QvRotaryKnob::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    const long long value = GetValue();
    const long long page = (static_cast<long long>(GetMax()) - GetMin()) / 5;
    switch (vk) {
    case VK_PRIOR: SetAndNotify(value + page); return true;
    case VK_NEXT: SetAndNotify(value - page); return true;
    case VK_HOME: SetAndNotify(GetMax()); return true;
    case VK_END: SetAndNotify(GetMin()); return true;
    case VK_LEFT:
    case VK_DOWN: SetAndNotify(value - 1); return true;
    case VK_UP:
    case VK_RIGHT: SetAndNotify(value + 1); return true;
    default: return SSliderBar::OnKeyDown(vk, repeat, flags);
    }
}

void QvRotaryKnob::OnPaint(SRenderTarget& rt) {
    if (m_fgPaintArc) PaintSector(rt);
    if (ISkinObj* skin = GetSkin()) skin->Draw(rt, GetWindowRect(), 0);
    if (m_dotSkin) {
        const CPoint dot = GetDotPos();
        const CSize s = m_dotSkin->GetSkinSize();
        m_dotSkin->Draw(rt, CRect(dot.x - s.cx / 2, dot.y - s.cy / 2, dot.x + s.cx / 2, dot.y + s.cy / 2), 0);
    }
    if (m_slashSkin) PaintPointer(rt);
}

void QvRotaryKnob::PaintSector(SRenderTarget& rt) const {
    const bool antiAlias = rt.GetAntiAlias();
    rt.SetAttribute(u"antiAlias", u"1");
    const SBrush old = rt.SelectBrush(SBrush{m_colorCircle});
    const CRect square(m_centre.x - m_fgRadius, m_centre.y - m_fgRadius, m_centre.x + m_fgRadius, m_centre.y + m_fgRadius);
    const double sweep = GetCurrentAngle();
    rt.FillPie(square, static_cast<float>(GetStartAngle()), static_cast<float>(sweep));
    if (sweep > 0) rt.DrawArc(square, static_cast<float>(GetStartAngle()), static_cast<float>(sweep), true);
    rt.SelectBrush(old);
    rt.SetAntiAlias(antiAlias);
}

void QvRotaryKnob::PaintPointer(SRenderTarget& rt) const {
    CSize size = m_slashSkin->Size();
    if (m_pointerSize.cx != 0 && m_pointerSize.cy != 0) size = m_pointerSize;
    CRect pointer(m_centre.x, m_centre.y, m_centre.x + size.cx, m_centre.y + size.cy);
    pointer.Offset(m_pointerOffset.cx, m_pointerOffset.cy);
    double rotation = GetCurrentAngle() + GetIncludedAngle() / 2;
    if (size.cy < size.cx) rotation += 90;  // a horizontal image
    const SMatrix old = rt.GetTransform();
    SMatrix m = old;
    m.Translate(m_centre.x, m_centre.y).Rotate(rotation).Translate(-m_centre.x, -m_centre.y);
    rt.SetTransform(m);
    rt.DrawBitmapEx(pointer, *m_slashSkin, CRect(0, 0, size.cx, size.cy), 255);
    rt.SetTransform(old);
}

}  // namespace qv::controls
