#include "platform/ui/EventArgs.h"

namespace qv::ui {

EventArgs::EventArgs(SObject* s) : sender(s) {
    if (s) {
        idFrom = s->GetID();
        nameFrom = s->GetName();
    }
}

}  // namespace qv::ui
