#pragma once
// A push button: a click, Space or Enter fires the command event. Drawn by
// its state skin; without one it draws a flat face that follows its state.
#include "platform/ui/SWindow.h"

namespace qv::ui {

class SButton : public SWindow {
    QV_CLASS_NAME(SButton, SWindow, u"button", kObjectWindow)

public:
    SButton();
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override;

protected:
    void OnPaint(SRenderTarget& rt) override;
    // The face drawn when no skin is set.
    virtual void DrawDefaultFace(SRenderTarget& rt);
};

}  // namespace qv::ui
