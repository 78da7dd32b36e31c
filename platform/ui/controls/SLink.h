#pragma once
// A text link: drawn in its text colour, underlined while the mouse is over
// it; a click or Enter fires the command event.
#include "platform/ui/SWindow.h"

namespace qv::ui {

class SLink : public SWindow {
    QV_CLASS_NAME(SLink, SWindow, u"link", kObjectWindow)

public:
    SLink();
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override;

protected:
    void OnPaint(SRenderTarget& rt) override;
};

}  // namespace qv::ui
