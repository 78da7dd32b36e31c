#include "platform/ui/controls/SImageWnd.h"

#include <algorithm>

#include "platform/os/Log.h"
#include "platform/ui/AttrParse.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"

namespace qv::ui {

std::span<const AttrRow> SImageWnd::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrCall<&SImageWnd::SetSrcAttr>(u"src", AttrEffect::Relayout),
        AttrMember<&SImageWnd::m_iconIndex, 0>(u"iconIndex"),
    };
    return kRows;
}

HRESULT SImageWnd::SetSrcAttr(const SStringW& value, bool) {
    SApplication* app = SApplication::getSingletonPtr();
    BitmapPtr image = app ? app->LoadImage(value) : nullptr;
    if (!image) {
        QV_LOGW("image %s not found", value.ToUtf8().c_str());
        return E_FAIL;
    }
    m_image = std::move(image);
    return S_OK;
}

CSize SImageWnd::GetDesiredSize() {
    if (!m_image) return SWindow::GetDesiredSize();
    return CSize(m_image->Width() + m_padding.left + m_padding.right, m_image->Height() + m_padding.top + m_padding.bottom);
}

void SImageWnd::SetImage(BitmapPtr image) {
    m_image = std::move(image);
    RequestRelayout();
    Invalidate();
}

bool SImageWnd::SetIcon(int index) {
    ISkinObj* skin = GetSkin();
    if (index < 0 || (skin && index >= skin->GetStates())) return false;
    m_iconIndex = index;
    Invalidate();
    return true;
}

void SImageWnd::OnPaint(SRenderTarget& rt) {
    CRect rc = GetClientRect();
    if (m_image) {
        rt.DrawBitmapEx(rc, *m_image, CRect(CPoint(), m_image->Size()));
    } else if (ISkinObj* skin = GetSkin()) {
        skin->Draw(rt, rc, std::min(m_iconIndex, std::max(0, skin->GetStates() - 1)));
    }
}

}  // namespace qv::ui
