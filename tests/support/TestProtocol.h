#pragma once
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "common/device/Frame.h"
#include "common/device/ICommProtocol.h"

// A minimal ICommProtocol for tests of the device link: it seals frames with
// the card's CRC, accepts a reply only when its CRC, command and status are
// right, and records the reports handed to OnRecvData. Thread-safe.
class TestProtocol : public ICommProtocol {
public:
    using Report = std::array<std::uint8_t, qv::frame::kBufferSize>;
    // Runs on the receive thread for each report, after it was recorded.
    using RecvHandler = std::function<void(ICommDeviceMgmt* manager, std::uint8_t* report)>;

    explicit TestProtocol(int packetLength = qv::frame::kFrameLength);

    BOOL CheckReply(const std::uint8_t* reply, int expectedCommand) override;
    std::uint8_t AddCrc(std::uint8_t* frame) override;
    void OnBeforeSend(std::uint8_t* frame) override;
    void OnAfterReply(std::uint8_t* reply) override;
    void OnRecvData(std::uint8_t* report) override;
    void AttachDeviceMgmt(ICommDeviceMgmt* manager) override;
    void DetachDeviceMgmt() override;
    int GetPacketLength() override { return m_packetLength; }

    void SetRecvHandler(RecvHandler handler);
    std::vector<Report> Received() const;
    // Blocks until `count` reports were received or timeoutMs passed.
    bool WaitForReceived(std::size_t count, int timeoutMs) const;

    ICommDeviceMgmt* Manager() const { return m_manager.load(); }
    int Attaches() const { return m_attaches.load(); }
    int Detaches() const { return m_detaches.load(); }
    int BeforeSends() const { return m_beforeSends.load(); }
    int AfterReplies() const { return m_afterReplies.load(); }
    int Rejected() const { return m_rejected.load(); }

    // A good reply to `request`: command + 1, status 0xFF, bytes 4.. copied.
    static Report MakeReply(const std::uint8_t* request);

private:
    const int m_packetLength;
    std::atomic<ICommDeviceMgmt*> m_manager{nullptr};
    std::atomic<int> m_attaches{0}, m_detaches{0}, m_beforeSends{0}, m_afterReplies{0},
        m_rejected{0};

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_receivedChanged;
    std::vector<Report> m_received;
    RecvHandler m_handler;
};
