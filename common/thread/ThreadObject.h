#pragma once
#include <memory>
#include <thread>

#include "platform/os/Types.h"

// The base of every worker thread. A subclass supplies Run, which polls
// IsStopRequested between units of work and aborts its blocking calls when
// asked. Threads are never killed: Stop asks and then waits for the body to
// end, and a finished thread is always joined.
//
// A subclass whose Run uses the subclass's own members must Stop in its own
// destructor: the base destructor runs after those members are gone. A body
// may delete its own object; the thread is then detached and touches nothing
// of the object afterwards.
class CThreadObject {
public:
    CThreadObject();
    virtual ~CThreadObject();
    CThreadObject(const CThreadObject&) = delete;
    CThreadObject& operator=(const CThreadObject&) = delete;

    // Starts the body and returns 1 once it runs (or has already ended);
    // 0 while a body runs or when no thread could be created.
    int Start();
    int IsRunning();
    int IsStopRequested();
    // Asks the body to end without waiting (Stop joins it later).
    void RequestStop();
    // Asks the body to end and waits up to timeoutMs; a body still running
    // then is logged and waited for until it ends. Always 1.
    int Stop(DWORD timeoutMs);

protected:
    virtual int Run() = 0;

private:
    struct State;

    bool OnOwnThread() const;

    // Shared with the thread, so a body that deletes its object can still
    // finish the procedure.
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};
