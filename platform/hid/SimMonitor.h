#pragma once
// Arrival and removal of the simulated card, from the events its server
// sends. Runs on a thread of its own; destroying the monitor stops and joins
// it. The callback must not destroy the monitor.
#include <set>
#include <string>
#include <thread>

#include "platform/hid/Hid.h"

namespace qv::hid {

class SimMonitor final : public IMonitor {
public:
    SimMonitor(std::string socketPath, PnpCallback callback);
    ~SimMonitor() override;

private:
    // Connects and subscribes; reports the cards present as arrivals when
    // reportPresent (a server that came up or came back after the start).
    bool Subscribe(bool reportPresent);
    void Run();
    void Dropped();
    bool WaitForStop(int timeoutMs);

    std::string m_socketPath;
    PnpCallback m_callback;
    int m_stopFd = -1;
    int m_fd = -1;
    std::set<std::u16string> m_present;
    std::thread m_thread;
};

}  // namespace qv::hid
