#pragma once
// A level bar that a QvVuGroup drives (layout tag "qvvumeter"); it draws as
// QvProgress.
#include "controls/QvProgress.h"

namespace qv::controls {

class QvVumeter : public QvProgress {
    QV_CLASS_NAME(QvVumeter, QvProgress, u"qvvumeter", qv::ui::kObjectWindow)
};

}  // namespace qv::controls
