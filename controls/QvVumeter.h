#pragma once
// A level bar that a QvVuGroup drives (layout tag "qvvumeter"). It draws as
// QvProgress, except that its position skin keeps its place along the bar:
// drawn over the whole bar and shown up to the level, so that each colour of
// a green-to-red run marks one level.
#include "controls/QvProgress.h"

namespace qv::controls {

class QvVumeter : public QvProgress {
    QV_CLASS_NAME(QvVumeter, QvProgress, u"qvvumeter", qv::ui::kObjectWindow)

protected:
    void OnPaint(qv::ui::SRenderTarget& rt) override;
};

}  // namespace qv::controls
