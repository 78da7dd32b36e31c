#pragma once
// A vertical scroll-bar skin without arrow buttons (skin class
// "vscrollbar"). Its image is a grid: one column per state ("states", 4
// unless set), the thumb in the top row and the rail in the bottom row.
#include "platform/ui/SSkin.h"

namespace qv::controls {

class SSkinVScrollbar : public qv::ui::SSkinImgList {
    QV_CLASS_NAME(SSkinVScrollbar, qv::ui::SSkinImgList, u"vscrollbar", qv::ui::kObjectSkin)

public:
    // Scroll-bar parts and states as the scroll bars number them.
    enum Part { kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kThumb = 5, kCorner = 10, kCornerAlt = 11 };
    static constexpr int kStateInactive = 4;

    SSkinVScrollbar();

    bool ScrollHasArrows() const { return false; }
    // One column of the image.
    int ScrollIdealWidth() const;
    // Where a part's picture lies in the image for a state; empty for a
    // horizontal bar, the arrows and the corner. A state past the last column
    // takes the last one; the inactive state is the normal one unless the
    // skin has an inactive column.
    qv::ui::CRect ScrollPartRect(int part, int state, bool vertical) const;
    // Whether the skin draws an inactive state of its own.
    bool HasInactiveState() const { return m_states > kStateInactive; }
};

}  // namespace qv::controls
