#pragma once
// A button drawn only by its state skin (layout tag "imgbtn"); its
// content size is the skin's.
#include "platform/ui/controls/SButton.h"

namespace qv::ui {

class SImageButton : public SButton {
    QV_CLASS_NAME(SImageButton, SButton, u"imgbtn", kObjectWindow)

protected:
    void DrawDefaultFace(SRenderTarget& rt) override { (void)rt; }
};

}  // namespace qv::ui
