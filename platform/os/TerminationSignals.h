#pragma once
// SIGTERM, SIGINT and SIGHUP as requests to end the program normally. While
// an object lives, the signals no longer end the process: the handler only
// records the signal, and a thread of the object's own calls the callback,
// where any code may run. One object at a time; its end restores the
// signals' default action.
#include <functional>
#include <thread>

#include "platform/os/UniqueFd.h"

namespace qv::os {

class TerminationSignals {
public:
    using Callback = std::function<void(int signal)>;

    // The callback runs on the object's thread, once per signal received.
    explicit TerminationSignals(Callback callback);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the signals could not be taken over (they keep their
    // default action then).
    bool IsActive() const { return m_thread.joinable(); }

private:
    void Watch(int signalFd);

    Callback m_callback;
    UniqueFd m_stop;
    std::thread m_thread;
};

}  // namespace qv::os
