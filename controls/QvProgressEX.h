#pragma once
// A level meter whose shown level falls back a step at a time instead of
// jumping down (layout tag "qvprogressex"). Three skins: the lit meter
// ("SkinPosBottom") over the whole control, a mask ("SkinPosMid") over the
// part above the level, and an overlay ("SkinPosTop") on top.
// "DeclineSpeed" is the step in percent of max (4 by default).
//
// Each paint moves the shown level: a rise shows at once, a fall goes one
// step down, and the fallen level is written back as the value, so every
// new lower value the page sets takes the level one step further down. A
// value of 0 clears the level at once.
#include "platform/ui/AttrTable.h"
#include "platform/ui/controls/SProgress.h"

namespace qv::controls {

class QvProgressEX : public qv::ui::SProgress {
    QV_CLASS_NAME(QvProgressEX, qv::ui::SProgress, u"qvprogressex", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SProgress)

public:    int GetShownLevel() const { return m_shown; }
    // The masked part above the level; empty without a range.
    qv::ui::CRect MaskRect() const;

protected:
    void OnPaint(qv::ui::SRenderTarget& rt) override;

private:
    void Decline();

    qv::ui::ISkinObj* m_litSkin = nullptr;
    qv::ui::ISkinObj* m_maskSkin = nullptr;
    qv::ui::ISkinObj* m_overlaySkin = nullptr;
    int m_shown = 0;
    int m_declineSpeed = 4;
};

}  // namespace qv::controls
