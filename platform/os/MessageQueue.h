#pragma once
// Per-thread message queues with Windows semantics.
//
// Every thread gets a queue on its first call into this API; it is destroyed
// when the thread ends (or by DestroyThreadQueue). Messages go to a thread or
// to a target: a handle registered with a procedure that runs on the thread
// that registered it (a window). Messages for a target that no longer exists
// are dropped. A loop waits on the queue, on registered file descriptors and
// on timers together, without polling.
//
// Order of work inside GetMessage/PeekMessage, as on Windows: messages sent
// from other threads are dispatched first (never returned), then posted
// messages in order (posted tasks run in that order too), then WM_QUIT once
// nothing else is posted, then one WM_TIMER of a due timer.
#include <functional>

#include "platform/os/Messages.h"
#include "platform/os/Types.h"

namespace qv::os {

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;  // GetTickCount when posted
};

using WndProc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// The calling thread's id in this layer (never 0); creates its queue.
DWORD GetCurrentThreadId();
// Creates the calling thread's queue now (the first use would otherwise).
void EnsureThreadQueue();
// Drops the calling thread's queue: its targets, timers, fd watches, pending
// posts and tasks go; senders waiting on it get 0. A later call makes a new one.
void DestroyThreadQueue();

// Targets. The calling thread owns the new target; its procedure always runs
// there. Handles are never reused.
[[nodiscard]] HWND CreateTarget(WndProc proc);
// Removes a target (from any thread) and its timers. A call into its
// procedure that is running finishes; nothing reaches it afterwards.
BOOL DestroyTarget(HWND hwnd);
BOOL IsTarget(HWND hwnd);
// The owning thread's id, 0 when there is no such target.
DWORD GetTargetThreadId(HWND hwnd);

// Posting: FALSE when the target or the thread's queue does not exist. A
// null hwnd posts a thread message to the calling thread.
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
// Runs task on the thread's queue in order with its posted messages. A task
// whose queue goes away is destroyed without running.
BOOL PostTask(DWORD threadId, std::function<void()> task);
// Ends the calling thread's loop with exitCode once its posted messages are done.
void PostQuitMessage(int exitCode);

// Calls the target's procedure on its thread and returns its result; 0 when
// the target is gone (or goes before it is processed). The own thread calls
// directly; otherwise the sender blocks until the owner pumps its queue, and
// meanwhile processes messages sent to itself, so two threads sending to
// each other do not deadlock.
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Retrieval on the calling thread's queue.
// Waits for a message; FALSE when it is WM_QUIT (msg.wParam holds the code).
BOOL GetMessage(MSG* msg);
// Takes (remove) or looks at the next message without waiting; FALSE if none.
BOOL PeekMessage(MSG* msg, bool remove);
// Calls the target's procedure; thread messages (hwnd null) and messages for
// gone targets give 0.
LRESULT DispatchMessage(const MSG& msg);
// Dispatches at most one pending message without waiting; true when one was.
// A WM_QUIT found here stays pending for the enclosing loop.
bool PumpOneMessage();
// Waits until something can be retrieved or timeoutMs pass (INFINITE:
// indefinitely); true when something is pending. Sent messages, fd callbacks
// and tasks are serviced during the wait.
bool WaitMessage(DWORD timeoutMs);

// The loop: retrieves and dispatches until WM_QUIT, or until done() returns
// true (checked after every piece of work). preTranslate sees each retrieved
// message first; returning true consumes it. Returns the quit code, or 0 when
// ended by done(). A loop with done(), or one nested in another loop, that
// meets WM_QUIT posts it again for the enclosing loop and ends (as a modal
// loop does).
struct LoopOptions {
    std::function<bool()> done;
    std::function<bool(MSG&)> preTranslate;
};
int RunMessageLoop(const LoopOptions& options = {});
// True when the innermost loop of the calling thread ended because of WM_QUIT.
bool LastLoopEndedByQuit();

// Timers, per target and id: setting an id again replaces it. The timer
// belongs to the target's thread and posts WM_TIMER (wParam = id) when due,
// at most one pending at a time. A null hwnd gives a thread timer of the
// calling thread (WM_TIMER with hwnd null). Returns id, 0 on failure.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
// Wakes every waiting loop to look at the clock again; call after stepping a
// test clock installed with SetClock.
void NotifyClockChanged();

// File descriptors watched by the calling thread's loop. The callback runs on
// that thread while the loop waits, with the events that occurred (kFdError
// covers hang-up and errors). Watching an fd again replaces its watch.
// `buffered`, when given, is asked before each wait: true means input was
// already read off the fd into a client library's own queue (Xlib reads
// events during round trips), so the fd will not show it; the callback then
// runs with kFdRead at once instead of the loop sleeping on it.
enum FdEvents : unsigned { kFdRead = 1, kFdWrite = 2, kFdError = 4 };
using FdCallback = std::function<void(int fd, unsigned events)>;
using FdBuffered = std::function<bool()>;
BOOL WatchFd(int fd, unsigned events, FdCallback callback, FdBuffered buffered = {});
BOOL UnwatchFd(int fd);

}  // namespace qv::os
