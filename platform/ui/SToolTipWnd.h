#pragma once
// The tool tip: a top-most, no-activate popup built from the skin's tooltip
// layout, whose text element "txt_tip" holds the tip and whose window is
// sized to it. Host windows show one below a control the pointer rests on.
#include "platform/ui/SHostWnd.h"

namespace qv::ui {

// The layout every tool tip is built from ("LAYOUT:XML_TOOLTIP" until set).
void SetToolTipLayout(const SStringW& layoutName);
SStringW GetToolTipLayout();

class SToolTipWnd : public SHostWnd {
    QV_CLASS_NAME(SToolTipWnd, SHostWnd, u"tooltipwnd", kObjectWindow)

public:
    SToolTipWnd();

    // Creates the (hidden) window from the tooltip layout.
    bool Create();
    void SetText(const SStringW& text);
    SStringW GetText() const { return m_text; }
    // Shows the tip just below the control (screen coordinates of its host),
    // kept on the work area; hidden for an empty text.
    void ShowBelow(const SWindow& control, const SHostWnd& host);
    void Hide() { ShowWindow(SW_HIDE); }

private:
    SStringW m_text;
};

}  // namespace qv::ui
