#include "platform/ui/controls/SAnimateImgWnd.h"

#include <algorithm>

#include "platform/ui/AttrParse.h"
#include "platform/ui/SSkin.h"

namespace qv::ui {

std::span<const AttrRow> SAnimateImgWnd::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrCall<&SAnimateImgWnd::SetSpeedAttr>(u"speed", AttrEffect::NoRepaint),
        AttrMember<&SAnimateImgWnd::m_autoStart>(u"autoStart", AttrEffect::NoRepaint),
    };
    return kRows;
}

HRESULT SAnimateImgWnd::SetSpeedAttr(const SStringW& value, bool) {
    auto v = ParseInt(value);
    if (!v || *v <= 0) return E_FAIL;
    m_speed = *v;
    if (m_playing) SetTimer(kFrameTimer, static_cast<UINT>(m_speed));
    return S_OK;
}

BOOL SAnimateImgWnd::InitFromXml(pugi::xml_node node) {
    BOOL ok = SWindow::InitFromXml(node);
    if (m_autoStart && IsVisible(true)) Start();
    return ok;
}

void SAnimateImgWnd::Start() {
    m_pausedHidden = false;
    if (m_playing || !GetSkin() || GetSkin()->GetStates() < 2) return;
    m_playing = SetTimer(kFrameTimer, static_cast<UINT>(m_speed));
}

void SAnimateImgWnd::Stop() {
    m_pausedHidden = false;
    if (!m_playing) return;
    KillTimer(kFrameTimer);
    m_playing = false;
}

void SAnimateImgWnd::OnTimer(UINT id) {
    if (id != kFrameTimer) return;
    if (!IsVisible(true)) {
        Stop();
        m_pausedHidden = true;
        return;
    }
    ISkinObj* skin = GetSkin();
    if (!skin) return;
    m_frame = (m_frame + 1) % std::max(1, skin->GetStates());
    Invalidate();
}

void SAnimateImgWnd::OnPaint(SRenderTarget& rt) {
    if (m_pausedHidden) Start();
    if (ISkinObj* skin = GetSkin()) skin->Draw(rt, GetClientRect(), m_frame);
}

void SAnimateImgWnd::OnShowWindow(bool show) {
    SWindow::OnShowWindow(show);
    if (!show && m_playing) {
        Stop();
        m_pausedHidden = true;
    } else if (show && (m_pausedHidden || m_autoStart)) {
        Start();
    }
}

void SAnimateImgWnd::OnDestroy() {
    Stop();
    SWindow::OnDestroy();
}

}  // namespace qv::ui
