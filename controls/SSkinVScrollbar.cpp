#include "controls/SSkinVScrollbar.h"

namespace qv::controls {

using namespace qv::ui;

CRect SSkinVScrollbar::ScrollPartRect(int part, int state, bool vertical) const {
    const BitmapPtr& image = GetImage();
    const bool drawn = part == SBP_PAGEUP || part == SBP_PAGEDOWN || part == SBP_THUMB;
    if (!vertical || !image || !drawn) return {};
    const int w = image->Width() / GetStates();
    const int h = image->Height() / 2;
    CRect rc(0, 0, w, h);
    rc.Offset(ImageState(state) * w, part == SBP_THUMB ? 0 : h);
    return rc;
}

}  // namespace qv::controls
