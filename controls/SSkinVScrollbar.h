#pragma once
// A vertical scroll-bar skin without arrow buttons (skin class
// "vscrollbar"). Its image is a grid: one column per state ("states", 4
// unless set), the thumb in the top row and the rail in the bottom row.
#include "platform/ui/SSkinScrollbar.h"

namespace qv::controls {

class SSkinVScrollbar : public qv::ui::SSkinScrollbar {
    QV_CLASS_NAME(SSkinVScrollbar, qv::ui::SSkinScrollbar, u"vscrollbar", qv::ui::kObjectSkin)

public:
    bool ScrollHasArrows() const override { return false; }
    // Where a part's picture lies for a state; empty for a horizontal bar,
    // the arrows, the corner and the grip. A state past the last column takes
    // the last one.
    qv::ui::CRect ScrollPartRect(int part, int state, bool vertical) const override;
};

}  // namespace qv::controls
