#pragma once
// The face shared by the two-state buttons: the state skin fills the whole
// control and the caption is centred on it; the caption, tooltip and text
// colour follow the check state (TwoStateLook). Focusable; "autoCheck" is
// off unless the layout sets it; no focus skin unless "focusSkin" names one.
#include "controls/TwoStateLook.h"
#include "platform/ui/AttrTable.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"

namespace qv::controls {

template <class Base>
class TwoStateButton : public Base {
    QV_ATTRIBUTES(Base)

public:
    TwoStateButton() {
        Base::SetAttribute(u"align", u"center", true);
        Base::SetAttribute(u"focusable", u"1", true);
        Base::SetAutoCheck(false);
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
        if (m_focusSkin) m_focusSkin->Draw(rt, this->GetClientRect(), 0);
        else Base::DrawFocus(rt);
    }

private:
    using Look = TwoStateLook;
    HRESULT SetAutoCheckAttr(const qv::ui::SStringW& value, bool) {
        int on = 0;
        if (!qv::ui::ParseAttrValue(value, on)) return E_FAIL;
        Base::SetAutoCheck(on != 0);
        return S_OK;
    }
    template <Look::Aspect A>
    HRESULT SetFlagAttr(const qv::ui::SStringW& value, bool) {
        m_look.SetFlag(*this, A, value != u"0");
        return S_OK;
    }
    template <Look::Aspect A, bool Checked>
    HRESULT SetTextAttr(const qv::ui::SStringW& value, bool) {
        m_look.SetText(*this, A, Checked, value);
        return S_OK;
    }
    template <bool Checked>
    HRESULT SetColorAttr(const qv::ui::SStringW& value, bool) {
        return m_look.SetColor(*this, Checked, value) ? S_OK : E_FAIL;
    }

    TwoStateLook m_look;
    qv::ui::ISkinObj* m_focusSkin = nullptr;
};

template <class Base>
std::span<const qv::ui::AttrRow> TwoStateButton<Base>::AttrRows() {
    using namespace qv::ui;
    using Self = TwoStateButton<Base>;
    constexpr AttrEffect kQuiet = AttrEffect::NoRepaint;
    static constexpr AttrRow kRows[] = {
        AttrCall<&Self::SetAutoCheckAttr>(u"autoCheck"),
        AttrCall<&Self::template SetFlagAttr<Look::kTip>>(u"multitip", kQuiet),
        AttrCall<&Self::template SetTextAttr<Look::kTip, false>>(u"tip1", kQuiet),
        AttrCall<&Self::template SetTextAttr<Look::kTip, true>>(u"tip2", kQuiet),
        AttrCall<&Self::template SetFlagAttr<Look::kCaption>>(u"multitext", kQuiet),
        AttrCall<&Self::template SetTextAttr<Look::kCaption, false>>(u"text1", kQuiet),
        AttrCall<&Self::template SetTextAttr<Look::kCaption, true>>(u"text2", kQuiet),
        AttrCall<&Self::template SetFlagAttr<Look::kColor>>(u"multicolor", kQuiet),
        AttrCall<&Self::template SetColorAttr<false>>(u"colortext1"),
        AttrCall<&Self::template SetColorAttr<true>>(u"colortext2"),
        AttrMember<&Self::m_focusSkin>(u"focusSkin", kQuiet),
    };
    return kRows;
}

}  // namespace qv::controls
