#pragma once
// What the two-state buttons change with their check state: a caption, a
// tooltip and a text colour for each state (1 unchecked, 2 checked), each
// used while its flag ("multitext", "multitip", "multicolor") is set.
#include "platform/ui/STrText.h"
#include "platform/ui/SWindow.h"

namespace qv::controls {

class TwoStateLook {
public:
    enum Aspect { kTip, kCaption, kColor };

    // Setting a flag shows the current state's value at once.
    void SetFlag(qv::ui::SWindow& wnd, Aspect aspect, bool on);
    // A text (tip or caption) of one state; shown at once when its flag is
    // set and the window is in that state, else only stored.
    void SetText(qv::ui::SWindow& wnd, Aspect aspect, bool forChecked, const qv::ui::SStringW& text);
    // The same for a colour; false refuses an unreadable value.
    bool SetColor(qv::ui::SWindow& wnd, bool forChecked, const qv::ui::SStringW& text);
    // Shows what is flagged for the state.
    void Apply(qv::ui::SWindow& wnd, bool checked) const;
    void Translate();

private:
    void Show(qv::ui::SWindow& wnd, Aspect aspect, bool checked) const;

    qv::ui::STrText m_tip1;
    qv::ui::STrText m_tip2;
    qv::ui::STrText m_text2;
    qv::ui::STrText m_text1;
    bool m_multiTip = false;
    bool m_multiText = false;
    bool m_multiColor = false;
    qv::ui::COLORREF m_colorText1 = 0;
    qv::ui::COLORREF m_colorText2 = 0;
};

}  // namespace qv::controls
