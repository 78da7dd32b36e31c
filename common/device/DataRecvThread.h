#pragma once
#include <atomic>

#include "common/thread/ThreadObject.h"
#include "platform/os/Event.h"

class ICommDeviceMgmt;

// The device manager's receive thread. It lives as long as the manager; each
// wake runs one receive loop (the manager's RecvThreadProc) until it returns.
class CDataRecvThread : public CThreadObject {
public:
    CDataRecvThread() = default;
    ~CDataRecvThread() override;

    // Starts the thread for the manager; 0 for a null manager, while running,
    // or when no thread could be created.
    int Start(ICommDeviceMgmt* manager);
    // Ends the thread (2000 ms before it is logged as slow).
    void Stop();
    // Starts one receive loop, first making sure the previous one returned.
    void OnConnectDevice();

protected:
    int Run() override;

private:
    std::atomic<int> m_keepRunning{0};
    qv::os::Event m_wake{false, false};
    qv::os::Event m_idle{false, true};  // signalled while no receive loop runs
    ICommDeviceMgmt* m_manager = nullptr;
};
