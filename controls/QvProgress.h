#pragma once
// A plain level or progress bar (layout tag "qvprogress"): its background
// skin ("bkgndSkin") over the whole control and its position skin
// ("posSkin") over the part up to the value, from the left or, with
// "vertical", from the bottom. It never notifies.
#include "platform/ui/controls/SProgress.h"

namespace qv::controls {

class QvProgress : public qv::ui::SProgress {
    QV_CLASS_NAME(QvProgress, qv::ui::SProgress, u"qvprogress", qv::ui::kObjectWindow)

public:
    // The lit part of the client rectangle; empty at min.
    qv::ui::CRect LitRect() const;

protected:
    void OnPaint(qv::ui::SRenderTarget& rt) override;
};

}  // namespace qv::controls
