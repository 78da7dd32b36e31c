#include "controls/SEdit2.h"

#include "platform/os/Log.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SWindowFactory.h"

namespace qv::controls {

using qv::ui::SStringW;

std::span<const qv::ui::AttrRow> SEdit2::AttrRows() {
    static constexpr qv::ui::AttrRow kRows[] = {
        qv::ui::AttrCall<&SEdit2::SetFocusSkinAttr>(u"focusSkin", qv::ui::AttrEffect::NoRepaint),
    };
    return kRows;
}

// An unknown skin clears the focus skin; the attribute is still taken.
HRESULT SEdit2::SetFocusSkinAttr(const SStringW& value, bool) {
    qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr();
    qv::ui::ISkinObj* skin = app ? app->GetSkin(value) : nullptr;
    if (!skin) QV_LOGW("focus skin %s not found", value.ToUtf8().c_str());
    m_focusSkin = skin;
    return S_OK;
}

void SEdit2::FireValueChanging(int step) {
    EventEditValueChanging event(this);
    event.nStep = step;
    FireEvent(event);
}

bool SEdit2::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    const bool handled = SEdit::OnKeyDown(vk, repeat, flags);
    switch (vk) {
        case VK_RETURN:
            if (!WantsReturn()) FireValueChanging(0);
            return true;
        case VK_UP:
            FireValueChanging(1);
            return true;
        case VK_DOWN:
            FireValueChanging(-1);
            return true;
        default:
            return handled;
    }
}

void SEdit2::OnLButtonDblClk(qv::ui::CPoint, UINT) { SetSel(0, -1); }

void SEdit2::OnMouseWheel(int delta, qv::ui::CPoint) {
    // Used here: the wheel goes no further up.
    FireValueChanging(delta <= 0 ? -1 : 1);
}

void SEdit2::OnPaint(qv::ui::SRenderTarget& rt) {
    // The focus skin lies under the text.
    if (m_focusSkin && IsFocused()) m_focusSkin->Draw(rt, GetClientRect(), 0);
    SEdit::OnPaint(rt);
}

void SEdit2::DrawFocus(qv::ui::SRenderTarget& rt) {
    if (!m_focusSkin) SEdit::DrawFocus(rt);
}

void RegisterEdit2(qv::ui::SWindowFactory& factory) { factory.RegisterClass<SEdit2>(); }

}  // namespace qv::controls
