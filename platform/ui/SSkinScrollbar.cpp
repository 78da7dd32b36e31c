#include "platform/ui/SSkinScrollbar.h"

#include <algorithm>

#include "platform/ui/AttrParse.h"
#include "platform/ui/SRenderTarget.h"

namespace qv::ui {
namespace {

constexpr int kRowsPerDirection = 5;

// The image row of a part: arrows, rail (both sides of the thumb), thumb, grip.
int RowOf(int part) {
    switch (part) {
    case SBP_LINEUP: return 0;
    case SBP_LINEDOWN: return 1;
    case SBP_PAGEUP:
    case SBP_PAGEDOWN: return 2;
    case SBP_THUMB: return 3;
    case SBP_GRIPPER: return 4;
    default: return -1;
    }
}

}  // namespace

std::span<const AttrRow> SSkinScrollbar::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&SSkinScrollbar::m_hasInactive>(u"hasInactive"),
        AttrCall<&SSkinScrollbar::SetMarginAttr>(u"margin"),
    };
    return kRows;
}

SSkinScrollbar::SSkinScrollbar() { SetAttribute(u"states", u"4", true); }

HRESULT SSkinScrollbar::SetMarginAttr(const SStringW& value, bool) {
    auto rc = ParseRect(value);
    if (!rc) {
        auto v = ParseInt(value);
        if (!v || *v < 0) return E_FAIL;
        rc = CRect(*v, *v, *v, *v);
    }
    m_margins = *rc;
    return S_OK;
}

int SSkinScrollbar::ImageState(int state) const {
    if (state == SBS_INACTIVE && !m_hasInactive) state = SBS_NORMAL;
    return std::clamp(state, 0, std::max(0, GetStates() - 1));
}

int SSkinScrollbar::ScrollIdealWidth() const {
    const BitmapPtr& image = GetImage();
    return image && GetStates() > 0 ? image->Width() / GetStates() : 0;
}

CRect SSkinScrollbar::ScrollPartRect(int part, int state, bool vertical) const {
    const BitmapPtr& image = GetImage();
    int row = RowOf(part);
    if (!image || row < 0 || GetStates() <= 0) return {};
    int w = image->Width() / GetStates();
    int h = image->Height() / (2 * kRowsPerDirection);
    if (!vertical) row += kRowsPerDirection;
    int left = ImageState(state) * w;
    return CRect(left, row * h, left + w, (row + 1) * h);
}

void SSkinScrollbar::DrawScrollPart(SRenderTarget& rt, const CRect& dst, int part, int state, bool vertical,
                                    BYTE alpha) const {
    const BitmapPtr& image = GetImage();
    CRect src = ScrollPartRect(part, state, vertical);
    if (!image || src.IsRectEmpty() || dst.IsRectEmpty()) return;
    if (part == SBP_THUMB || part == SBP_PAGEUP || part == SBP_PAGEDOWN) {
        rt.DrawBitmap9Patch(dst, *image, src, m_margins, alpha);
    } else {
        rt.DrawBitmapEx(dst, *image, src, alpha);
    }
}

void SSkinScrollbar::Draw(SRenderTarget& rt, const CRect& rc, int frame, BYTE alpha) {
    DrawScrollPart(rt, rc, SBP_THUMB, frame, true, alpha);
}

}  // namespace qv::ui
