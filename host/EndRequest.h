#pragma once
// SIGTERM, SIGINT and SIGHUP for the host's whole run, from its first line:
// a signal is an end request. Before the module loop it ends any box the
// main thread shows (its modal loop meets WM_QUIT) and the start goes no
// further; while an application object is attached, that object ends the
// program as a normal close does.
#include <atomic>
#include <mutex>

#include "platform/os/TerminationSignals.h"
#include "platform/os/Types.h"

class CQuorvelApp;

class EndRequest {
public:
    // On the host's main thread, whose queue the boxes' loops run on.
    EndRequest();
    EndRequest(const EndRequest&) = delete;
    EndRequest& operator=(const EndRequest&) = delete;

    // Any thread: whether a signal came.
    bool Requested() const { return m_requested.load(); }
    // The application that takes later signals, null to detach it before it
    // goes. A signal that came before attaching is handed on at once.
    void Attach(CQuorvelApp* app);

private:
    void OnSignal();

    const DWORD m_mainThread;
    std::atomic<bool> m_requested{false};
    std::mutex m_mutex;  // guards m_app against its detaching
    CQuorvelApp* m_app = nullptr;
    // Last: it calls back into the members above until it is gone.
    qv::os::TerminationSignals m_signals;
};
