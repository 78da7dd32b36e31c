#include "platform/ui/SwndDispatch.h"

#include <vector>

#include "platform/ui/SWindow.h"

namespace qv::ui {
namespace {

thread_local int t_depth = 0;
thread_local std::vector<SWindow*> t_pending;

void FlushPending() {
    // Deleting may destroy further windows; take the list each round.
    while (!t_pending.empty()) {
        std::vector<SWindow*> batch;
        batch.swap(t_pending);
        for (SWindow* w : batch) delete w;
    }
}

}  // namespace

DispatchScope::DispatchScope() { ++t_depth; }

DispatchScope::~DispatchScope() {
    if (--t_depth == 0) {
        ++t_depth;
        FlushPending();
        --t_depth;
    }
}

bool DispatchScope::InDispatch() { return t_depth > 0; }

void DispatchScope::DeleteLater(SWindow* wnd) {
    if (t_depth > 0) {
        t_pending.push_back(wnd);
    } else {
        delete wnd;
    }
}

}  // namespace qv::ui
