#pragma once
// The edit of layouts (tag "edit"): the single-line edit with its own tag.
#include "platform/ui/controls/SRichEdit.h"

namespace qv::ui {

class SEdit : public SRichEdit {
    QV_CLASS_NAME(SEdit, SRichEdit, u"edit", kObjectWindow)
};

}  // namespace qv::ui
