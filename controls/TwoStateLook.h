#pragma once
// What the two-state buttons change with their check state: a caption, a
// tooltip and a text colour for each state ("text1"/"text2", "tip1"/"tip2",
// "colortext1"/"colortext2", 1 unchecked and 2 checked), each pair used
// while its flag ("multitext", "multitip", "multicolor") is set.
#include "platform/ui/STrText.h"
#include "platform/ui/SWindow.h"

namespace qv::controls {

class TwoStateLook {
public:
    // Takes the attributes above (and "focusSkin"); false for other names.
    // hr is the attribute's result when taken.
    bool SetAttribute(qv::ui::SWindow& wnd, const qv::ui::SStringW& name, const qv::ui::SStringW& value, HRESULT& hr);
    // Shows the caption, tooltip and colour of the state, as flagged.
    void Apply(qv::ui::SWindow& wnd, bool checked) const;
    void Translate();
    qv::ui::ISkinObj* GetFocusSkin() const { return m_focusSkin; }

private:
    void ApplyTip(qv::ui::SWindow& wnd, bool checked) const;
    void ApplyText(qv::ui::SWindow& wnd, bool checked) const;
    void ApplyColor(qv::ui::SWindow& wnd, bool checked) const;

    qv::ui::STrText m_tip1;
    qv::ui::STrText m_tip2;
    qv::ui::STrText m_text2;
    qv::ui::STrText m_text1;
    bool m_multiTip = false;
    bool m_multiText = false;
    bool m_multiColor = false;
    qv::ui::COLORREF m_colorText1 = 0;
    qv::ui::COLORREF m_colorText2 = 0;
    qv::ui::ISkinObj* m_focusSkin = nullptr;
};

}  // namespace qv::controls
