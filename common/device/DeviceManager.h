#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>

#include "common/device/DataRecvThread.h"
#include "common/device/Frame.h"
#include "common/device/ICommDeviceMgmt.h"
#include "common/thread/Lock.h"
#include "platform/os/Event.h"

// The request/reply engine for one attached card. It owns the device, borrows
// the protocol, and runs a receive loop on its own thread: a report carrying
// the awaited reply command goes to the waiting sender, every other report
// to the protocol's OnRecvData.
//
// Threads: SendAndReceive callers take turns (one pending request);
// SendNotReceive, called on the receive thread for acknowledgements, takes
// only the device's write lock, so it never waits on a pending request.
// Disconnect ends the receive loop before it closes and deletes the device,
// so it must not be called from the receive thread (inside OnRecvData).
class CDeviceManager : public ICommDeviceMgmt {
public:
    CDeviceManager();
    ~CDeviceManager() override;
    CDeviceManager(const CDeviceManager&) = delete;
    CDeviceManager& operator=(const CDeviceManager&) = delete;

    BOOL IsConnected() override;
    BOOL Connect(ICommunicateDevice* device, ICommProtocol* protocol) override;
    void Disconnect() override;
    BOOL SendAndReceive(std::uint8_t* frame, std::uint8_t* reply, int attempts,
                        int timeoutMs) override;
    BOOL SendNotReceive(std::uint8_t* frame) override;
    void RecvThreadProc() override;
    ICommunicateDevice* GetDevice() override;

private:
    // The largest report the loop hands on; never less than a reply buffer.
    static constexpr int kReportBufferSize = 128;

    void DisconnectLocked();
    void EndReceiveLoop();
    // Hands a report to the waiting sender when it carries the awaited reply.
    bool DeliverReply(const std::uint8_t* report);
    void ClearPending();
    bool WaitForReply(DWORD timeoutMs);

    std::unique_ptr<CDataRecvThread> m_recvThread;

    // Guarded by m_linkMutex: senders read them shared, Connect and
    // Disconnect change them exclusively. The device is owned.
    ICommunicateDevice* m_device = nullptr;
    ICommProtocol* m_protocol = nullptr;
    std::shared_mutex m_linkMutex;

    // The pending request, guarded by m_lock.
    std::uint8_t m_expectedReply = 0;  // command + 1; 0 = none
    std::uint8_t m_pendingReply[qv::frame::kBufferSize] = {};
    ccm_util::CLock m_lock;

    qv::os::Event m_loopEnded{true, true};  // set while no receive loop runs
    qv::os::Event m_replyEvent{false, false};
    qv::os::Event m_stopLoop{true, false};  // ends the loop's pause after a failed read
    std::atomic<int> m_receiving{0};

    std::mutex m_requestMutex;  // SendAndReceive callers take turns
    std::mutex m_connectMutex;  // Connect and Disconnect
};
