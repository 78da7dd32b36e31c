#pragma once
// Deferred destruction of windows. Every delivery of input, messages, timers
// and events on a thread runs inside a DispatchScope; windows destroyed
// meanwhile are freed when the outermost scope of that thread ends.
namespace qv::ui {

class SWindow;

class DispatchScope {
public:
    DispatchScope();
    ~DispatchScope();
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

    static bool InDispatch();
    // Frees the window now, or at the end of the outermost scope.
    static void DeleteLater(SWindow* wnd);
};

}  // namespace qv::ui
