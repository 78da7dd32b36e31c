#pragma once
// The scroll-bar skin base: how the parts of a bar are drawn in each state.
// The image is a grid with one column per state (normal, hover, pushed,
// disabled, and inactive when "hasInactive" is set). Its rows are, for a
// vertical bar, the up arrow, the down arrow, the rail, the thumb and the
// thumb's grip; rows 5 to 9 hold the same for a horizontal bar. The rail and
// the thumb stretch along the bar with "margin" kept at their ends. Skins of
// other layouts derive from it and answer ScrollHasArrows, ScrollIdealWidth
// and ScrollPartRect.
#include "platform/ui/SSkin.h"

namespace qv::ui {

// The parts of a bar; they keep the numbers of the Windows scroll codes.
enum ScrollBarPart : int {
    SBP_LINEUP = 0,     // arrow at the top (left)
    SBP_LINEDOWN = 1,   // arrow at the bottom (right)
    SBP_PAGEUP = 2,     // rail before the thumb
    SBP_PAGEDOWN = 3,   // rail after the thumb
    SBP_THUMB = 5,
    SBP_CORNER = 10,    // where a vertical and a horizontal bar meet
    SBP_GRIPPER = 11,   // the mark in the middle of the thumb
};

enum ScrollBarState : int { SBS_NORMAL = 0, SBS_HOVER = 1, SBS_PUSHED = 2, SBS_DISABLED = 3, SBS_INACTIVE = 4 };

class SSkinScrollbar : public SSkinImgList {
    QV_CLASS_NAME(SSkinScrollbar, SSkinImgList, u"scrollbar", kObjectSkin)
    QV_ATTRIBUTES(SSkinImgList)

public:
    SSkinScrollbar();

    // Whether the bar has arrow buttons at its ends.
    virtual bool ScrollHasArrows() const { return true; }
    // The bar's natural thickness.
    virtual int ScrollIdealWidth() const;
    // Where a part in a state lies in the image; empty for parts the skin
    // does not draw. state SBS_INACTIVE is SBS_NORMAL unless the skin has it.
    virtual CRect ScrollPartRect(int part, int state, bool vertical) const;
    bool HasInactiveState() const { return m_hasInactive; }

    // Draws a part into dst.
    void DrawScrollPart(SRenderTarget& rt, const CRect& dst, int part, int state, bool vertical, BYTE alpha = 255) const;
    // As an ordinary skin: the vertical thumb in the frame's state.
    void Draw(SRenderTarget& rt, const CRect& rc, int frame, BYTE alpha = 255) override;

protected:
    // The state as the image holds it.
    int ImageState(int state) const;

private:
    HRESULT SetMarginAttr(const SStringW& value, bool loading);

    bool m_hasInactive = false;
    CRect m_margins;
};

}  // namespace qv::ui
