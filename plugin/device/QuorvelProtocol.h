#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "common/device/Protocol.h"
#include "plugin/device/DeviceIds.h"

class IRecvDataListener;

// The card's command set over the host's device manager, and the handling of
// the notifications the card sends by itself. Commands return 1 on success,
// 0 on failure (also when no card is attached).
class CQuorvelProtocol : public CProtocol {
public:
    using Frame = std::array<std::uint8_t, 64>;

    explicit CQuorvelProtocol(std::uint16_t normalModeProductId = kNormalModeProductId);

    // Device info (0x26): reply bytes 4 and 6 (6 is the firmware version).
    BOOL GetDeviceInfo(std::uint8_t& byte4, std::uint8_t& byte6);
    // Firmware version query (0x92): the whole 64-byte reply.
    BOOL QueryFirmwareVersion(std::uint8_t* reply);
    // Restart into the other mode (0x2A); no reply comes.
    void RestartDevice();
    // Writes a firmware image of 1..65536 bytes in 32-byte blocks (0x28).
    BOOL UpgradeFirmware(const std::uint8_t* image, std::uint32_t length);
    // Sends parameter frames in order; stops at the first that fails.
    BOOL SendFrames(const std::vector<Frame>& frames);
    // Session flag (0x90): 1 opens the session, 0 closes it.
    BOOL SendSessionFlag(std::uint8_t open);
    // Command 0x9A with one data byte.
    BOOL SendCommand9A(std::uint8_t value);
    // Mode of the attached card from its path: 0 normal, 1 update, -1 unknown.
    int CheckDevicePid();

    // Where good notifications go; without a listener, or when it does not
    // take a frame, the frame is refused in its acknowledgement. The listener
    // must outlive the connection.
    void SetRecvDataListener(IRecvDataListener* listener);
    // Whether a device manager has this protocol connected.
    bool IsAttached() const { return Transport() != nullptr; }

    BOOL CheckReply(const std::uint8_t* reply, int expectedCommand) override;
    // Checks and acknowledges a notification 0x9E; ignores anything else.
    void OnRecvData(std::uint8_t* report) override;
    void AttachDeviceMgmt(ICommDeviceMgmt* manager) override;
    void DetachDeviceMgmt() override;

protected:
    ICommDeviceMgmt* Transport() const { return m_transport.load(); }

private:
    BOOL Exchange(Frame& request, Frame& reply, int attempts, int timeoutMs);
    BOOL SendSimple(std::uint8_t command, std::uint8_t byte4, int attempts, int timeoutMs);

    std::atomic<ICommDeviceMgmt*> m_transport{nullptr};
    std::atomic<IRecvDataListener*> m_recvListener{nullptr};
    std::uint16_t m_normalModeProductId;
};
