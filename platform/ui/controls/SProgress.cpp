#include "platform/ui/controls/SProgress.h"

#include <algorithm>
#include <cstdint>

#include "platform/ui/AttrParse.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/controls/ControlLook.h"

namespace qv::ui {

std::span<const AttrRow> SProgress::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrCall<&SProgress::SetMinAttr>(u"min"),
        AttrCall<&SProgress::SetMaxAttr>(u"max"),
        AttrCall<&SProgress::SetValueAttr>(u"value"),
        AttrMember<&SProgress::m_vertical>(u"vertical"),
        AttrMember<&SProgress::m_showPercent>(u"showPercent"),
        AttrMember<&SProgress::m_bkgndSkin>(u"bkgndSkin"),
        AttrMember<&SProgress::m_posSkin>(u"posSkin"),
    };
    return kRows;
}

HRESULT SProgress::SetMinAttr(const SStringW& value, bool loading) {
    auto v = ParseInt(value);
    if (!v) return E_FAIL;
    SetRange(*v, std::max(*v, m_max));
    ApplyLoadedValue(loading);
    return S_OK;
}

HRESULT SProgress::SetMaxAttr(const SStringW& value, bool loading) {
    auto v = ParseInt(value);
    if (!v) return E_FAIL;
    SetRange(m_min, *v);
    ApplyLoadedValue(loading);
    return S_OK;
}

HRESULT SProgress::SetValueAttr(const SStringW& value, bool loading) {
    auto v = ParseInt(value);
    if (!v) return E_FAIL;
    if (loading) m_loadedValue = *v;
    else SetValue(*v);
    ApplyLoadedValue(loading);
    return S_OK;
}

void SProgress::ApplyLoadedValue(bool loading) {
    if (loading && m_loadedValue) m_value = std::clamp(*m_loadedValue, m_min, m_max);
}

bool SProgress::SetValue(int value) {
    value = std::clamp(value, m_min, m_max);
    if (value == m_value) return false;
    m_value = value;
    Invalidate();
    return true;
}

void SProgress::SetRange(int min, int max) {
    m_min = min;
    m_max = std::max(min, max);
    m_value = std::clamp(m_value, m_min, m_max);
    Invalidate();
}

void SProgress::GetRange(int* min, int* max) const {
    if (min) *min = m_min;
    if (max) *max = m_max;
}

void SProgress::OnPaint(SRenderTarget& rt) {
    CRect rc = GetClientRect();
    if (m_bkgndSkin) m_bkgndSkin->Draw(rt, rc, 0);
    else rt.FillSolidRect(rc, look::kLine);
    std::int64_t span = static_cast<std::int64_t>(m_max) - m_min;
    std::int64_t done = static_cast<std::int64_t>(m_value) - m_min;
    CRect pos = rc;
    if (m_vertical) pos.top = rc.bottom - static_cast<int>(span > 0 ? rc.Height() * done / span : 0);
    else pos.right = rc.left + static_cast<int>(span > 0 ? rc.Width() * done / span : 0);
    if (!pos.IsRectEmpty()) {
        if (m_posSkin) m_posSkin->Draw(rt, pos, 0);
        else rt.FillSolidRect(pos, look::kAccent);
    }
    if (m_showPercent) {
        SStringW text = SStringW::Format(u"%d%%", static_cast<int>(span > 0 ? done * 100 / span : 0));
        SFont old = rt.SelectFont(GetFont());
        COLORREF oldColor = rt.SetTextColor(GetTextColor());
        rt.DrawText(text, rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        rt.SetTextColor(oldColor);
        rt.SelectFont(old);
    }
}

}  // namespace qv::ui
