#pragma once
// What a window tree needs from the host window it lives in: focus, capture,
// hover, redraw, timers, frames and the host's own event handling.
#include "platform/os/Types.h"
#include "platform/ui/Geometry.h"

namespace qv::ui {

class EventArgs;
class SWindow;

// Called every frame (nominally 10 ms) while registered with a host.
class ITimelineHandler {
public:
    virtual ~ITimelineHandler() = default;
    virtual void OnNextFrame() = 0;
};

class ISwndContainer {
public:
    virtual ~ISwndContainer() = default;

    // The host's own handling of an event its windows did not handle.
    virtual bool OnFireEvent(EventArgs& e) = 0;

    virtual void OnSetSwndFocus(SWindow* wnd) = 0;
    virtual SWindow* GetSwndFocus() const = 0;
    virtual void OnSetSwndCapture(SWindow* wnd) = 0;
    virtual void OnReleaseSwndCapture(SWindow* wnd) = 0;
    virtual SWindow* GetSwndCapture() const = 0;

    virtual void InvalidateHostRect(const CRect& rc) = 0;
    virtual void RequestRelayout() = 0;
    // A window of the tree is being destroyed: forget every pointer to it.
    virtual void OnSwndDestroyed(SWindow* wnd) = 0;

    virtual bool SetSwndTimer(SWindow* wnd, UINT id, UINT elapseMs) = 0;
    virtual void KillSwndTimer(SWindow* wnd, UINT id) = 0;

    virtual bool RegisterTimelineHandler(ITimelineHandler* handler) = 0;
    virtual bool UnregisterTimelineHandler(ITimelineHandler* handler) = 0;
};

}  // namespace qv::ui
