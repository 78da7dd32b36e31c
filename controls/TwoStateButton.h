#pragma once
// The face shared by the two-state buttons: the state skin fills the whole
// control and the caption is centred on it; the caption, tooltip and text
// colour follow the check state (TwoStateLook). Focusable, with no focus
// skin unless "focusSkin" names one.
#include "controls/ControlAttr.h"
#include "controls/TwoStateLook.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"

namespace qv::controls {

template <class Base>
class TwoStateButton : public Base {
public:
    TwoStateButton() {
        Base::SetAttribute(u"align", u"center", true);
        Base::SetAttribute(u"focusable", u"1", true);
        Base::SetAutoCheck(false);
    }

    HRESULT SetAttribute(const qv::ui::SStringW& name, const qv::ui::SStringW& value, bool loading) override {
        HRESULT hr = S_OK;
        if (name.EqualsNoCase(u"autoCheck")) {
            int on = 0;
            if (!ParseInto(value, on)) return E_FAIL;
            Base::SetAutoCheck(on != 0);
        } else if (!m_look.SetAttribute(*this, name, value, hr)) {
            return Base::SetAttribute(name, value, loading);
        }
        return FAILED(hr) ? hr : this->AfterAttribute(name, value, loading, hr);
    }

    // The state skin's size when it has one, else the caption's.
    qv::ui::CSize GetDesiredSize() override {
        if (qv::ui::ISkinObj* skin = this->GetSkin()) {
            const qv::ui::CSize s = skin->GetSkinSize();
            if (s.cx != 0 && s.cy != 0) return s;
        }
        return qv::ui::SWindow::GetDesiredSize();
    }

    void OnLanguageChanged() override {
        m_look.Translate();
        Base::OnLanguageChanged();
    }

protected:
    void OnStateChanged(DWORD oldState, DWORD newState) override {
        if ((oldState ^ newState) & qv::ui::WndState_Check) m_look.Apply(*this, (newState & qv::ui::WndState_Check) != 0);
        Base::OnStateChanged(oldState, newState);
    }

    void OnPaint(qv::ui::SRenderTarget& rt) override {
        if (qv::ui::ISkinObj* skin = this->GetSkin()) {
            skin->Draw(rt, this->GetClientRect(), qv::ui::SkinFrameForState(this->GetState(), skin->GetStates()));
        }
        const qv::ui::SStringW text = qv::ui::DisplayText(this->GetWindowText());
        if (!text.IsEmpty()) this->DrawText(rt, text, GetTextRect());
    }

    qv::ui::CRect GetTextRect() const override { return this->GetClientRect(); }

    void DrawFocus(qv::ui::SRenderTarget& rt) override {
        if (qv::ui::ISkinObj* focus = m_look.GetFocusSkin()) focus->Draw(rt, this->GetClientRect(), 0);
        else Base::DrawFocus(rt);
    }

private:
    TwoStateLook m_look;
};

}  // namespace qv::controls
