#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/device/ICommDeviceMgmt.h"

namespace qv::test {

// A device manager without a device: records every frame the protocol sends
// and answers requests from a script. Like the real manager it runs the
// attached protocol's OnBeforeSend, AddCrc, CheckReply and OnAfterReply, so
// the recorded frames are the sealed bytes that would go on the wire.
class FakeDeviceMgmt : public ICommDeviceMgmt {
public:
    using Frame = std::array<std::uint8_t, 64>;
    struct Request {
        Frame frame{};
        int attempts = 0;
        int timeoutMs = 0;
    };
    // Builds the reply to a sealed request; false means no reply comes.
    using Responder = std::function<bool(const Frame& request, Frame& reply)>;

    FakeDeviceMgmt();
    ~FakeDeviceMgmt() override;

    // A good reply: command + 1, status 0xFF, sealed; the rest of the
    // request echoed.
    static bool GoodReply(const Frame& request, Frame& reply);

    void SetResponder(Responder responder);
    void SetSendNotReceiveResult(BOOL result);
    // GetDevice returns a device with this path; nullopt: no device at all.
    void SetDevicePath(std::optional<std::u16string> path, bool pathIsNull = false);

    std::vector<Request> Requests() const;
    std::vector<Frame> Posted() const;
    void ClearRecords();

    BOOL IsConnected() override;
    // Attaches the protocol (AttachDeviceMgmt) without touching the device.
    BOOL Connect(ICommunicateDevice* device, ICommProtocol* protocol) override;
    void Disconnect() override;
    BOOL SendAndReceive(std::uint8_t* frame, std::uint8_t* reply, int attempts,
                        int timeoutMs) override;
    BOOL SendNotReceive(std::uint8_t* frame) override;
    void RecvThreadProc() override {}
    ICommunicateDevice* GetDevice() override;

private:
    class PathDevice;

    mutable std::mutex m_mutex;
    ICommProtocol* m_protocol = nullptr;
    Responder m_responder;
    BOOL m_sendNotReceiveResult = TRUE;
    std::unique_ptr<PathDevice> m_device;
    std::vector<Request> m_requests;
    std::vector<Frame> m_posted;
};

}  // namespace qv::test
