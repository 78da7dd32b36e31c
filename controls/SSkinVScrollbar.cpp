#include "controls/SSkinVScrollbar.h"

#include <algorithm>

namespace qv::controls {

using namespace qv::ui;

SSkinVScrollbar::SSkinVScrollbar() { m_states = 4; }

int SSkinVScrollbar::ScrollIdealWidth() const { return m_image ? m_image->Width() / m_states : 0; }

CRect SSkinVScrollbar::ScrollPartRect(int part, int state, bool vertical) const {
    if (!vertical || !m_image || part == kLineUp || part == kLineDown || part == kCorner || part == kCornerAlt) return {};
    if (state == kStateInactive && !HasInactiveState()) state = 0;
    state = std::clamp(state, 0, m_states - 1);
    const int w = m_image->Width() / m_states;
    const int h = m_image->Height() / 2;
    CRect rc(0, 0, w, h);
    rc.Offset(state * w, part == kPageUp || part == kPageDown ? h : 0);
    return rc;
}

}  // namespace qv::controls
