#pragma once
// The simulated sound card: answers host frames as the card does, sends
// notifications, restarts into the other mode, and injects faults. One object
// serves both the in-process fake device and the sim HID backend's server:
//
//   fake.SetResponder([&](const uint8_t* f, int n) { card.HandleHostFrame(f, n); });
//   card.SetReportSink([&](const uint8_t* p, int n) { fake.PushReport(p, n); });
//
// Frames are 40 bytes (command, two index bytes, status, payload, CRC-8) in a
// zeroed 64-byte report payload. A good reply carries command + 1, echoes
// bytes 1 and 2 of the request, has status 0xFF and a valid CRC.
//
// What the card answers, and with what:
//   0x90 session flag (byte 4)      -> 0x91; the session state is kept
//   0x94 parameter frame            -> 0x95; the triples' values are kept
//   0x9A one data byte (byte 4)     -> 0x9B; the byte is kept
//   0x26 device information         -> 0x27: [4] hardware version (10),
//                                      [6] firmware version (15)
//   0x92 version query              -> 0x93: [4] hardware version (10),
//                                      [6] firmware version (15), [14] device type (1)
//   0x28 firmware block (update mode only) -> 0x29; the blocks are staged
//   0x2A restart, no reply: the card leaves, then comes back under the other
//        product id (normal <-> update mode 0x0020)
// Firmware: the card keeps a staged image only when it leaves update mode
// with blocks 0, 1, ... received in order (a block sent again right after
// itself counts once); it then reports the upgraded version the test set.
// Blocks out of order, or a card pulled while staging, leave no firmware:
// the card comes back in update mode. A card pulled in update mode returns
// in update mode; pulled while restarting, it returns in the mode the
// restart was heading for.
//   0x02 sound upload header        -> 0x03: slot, block count, size kept;
//                                      a new upload starts
//   0x04 sound upload block         -> 0x05 for the next block in order or a
//                                      retry of the last one; the data is kept
//                                      (what the card checks: SimCardUpload.h)
//   0x9F acknowledgement            -> recorded, no reply
// In update mode the card answers only 0x26, 0x92, 0x28 and 0x2A. Frames
// with a bad CRC, unknown commands and everything sent while unplugged get
// no reply.
#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "tests/support/DelayedTasks.h"
#include "tests/support/SimCardUpload.h"

namespace qv::test {

enum class SimFault {
    NoReply,       // the frame is taken, nothing comes back
    LateReply,     // the reply comes after the late-reply delay
    WrongCommand,  // the reply carries the request's command, not + 1
    WrongStatus,   // the reply's status byte is 0
    BadCrc,        // the reply's CRC byte is wrong
    WriteFailure,  // the write itself fails; the card never sees the frame
    Unplug,        // the card takes the frame, does not answer and leaves
    PulledBefore,  // the card is pulled as the frame comes: the write fails
    DuplicateReply,  // the reply comes twice
};

// command 0 matches every frame the card answers (every frame for
// WriteFailure and PulledBefore); a rule lets `skip` matching frames through, then applies to
// `times` frames (-1: every one after).
struct SimFaultRule {
    SimFault fault = SimFault::NoReply;
    std::uint8_t command = 0;
    int skip = 0;
    int times = 1;
};

class SimCard {
public:
    using Frame = std::array<std::uint8_t, 64>;
    using ReportSink = std::function<void(const std::uint8_t* payload, int length)>;
    using PlugHandler = std::function<void(bool plugged, std::uint16_t productId)>;
    using FrameObserver = std::function<void(bool fromHost, const Frame& frame)>;
    using Upload = SimUpload;
    using UploadObserver = std::function<void(const Upload& upload)>;

    static constexpr std::uint16_t kVendorId = 0x2B53;
    static constexpr std::uint16_t kDorbProductId = 0x0036;
    static constexpr std::uint16_t kZenkProductId = 0x001D;
    static constexpr std::uint16_t kUpdateProductId = 0x0020;
    // HID report lengths with the report id byte.
    static constexpr int kInputReportLength = 65;
    static constexpr int kOutputReportLength = 41;

    // Starts plugged in, in normal mode.
    explicit SimCard(std::uint16_t normalProductId = kDorbProductId);
    ~SimCard();
    SimCard(const SimCard&) = delete;
    SimCard& operator=(const SimCard&) = delete;

    // Card -> host: each report's 64-byte payload (no report id). Once a
    // setter returns, the previous sink or handler is never called again.
    void SetReportSink(ReportSink sink);
    // Arrival and removal of the card (plug, unplug, restart).
    void SetPlugHandler(PlugHandler handler);
    // Every frame in either direction, for tracing.
    void SetFrameObserver(FrameObserver observer);
    // An upload that ended: completed, left unfinished by a new header, or
    // cut off by the card's removal.
    void SetUploadObserver(UploadObserver observer);

    // Host -> card: one frame without report id.
    void HandleHostFrame(const std::uint8_t* frame, int length);
    // The same, for a transport that can fail a write: false when the write
    // fails (unplugged, a WriteFailure fault, a frame shorter than 40 bytes).
    [[nodiscard]] bool ReceiveWrite(const std::uint8_t* frame, int length);

    // Card-initiated traffic. False while unplugged.
    bool SendNotification(const std::vector<std::pair<std::uint8_t, std::uint16_t>>& values);
    bool SendRawReport(const Frame& frame);  // sent as given, CRC included

    // The user pulls the card: a restart on its way does not bring it back.
    void Unplug();
    // productId 0 keeps the current one.
    void Plug(std::uint16_t productId = 0);

    // Faults and answers.
    void AddFault(const SimFaultRule& rule);
    void ClearFaults();
    void SetLateReplyDelay(std::uint32_t ms);  // 700 ms unless set
    // After 0x2A the card leaves after removalMs (50) and comes back returnMs
    // (1500) later, within the first wait of the firmware upgrade. With both
    // 0 it has left and come back before the write of the 0x2A returns.
    void SetRestartDelays(std::uint32_t removalMs, std::uint32_t returnMs);
    // Restarts leave and never come back (until the test plugs the card).
    void SetNeverReturn(bool never);
    // The next n restarts come back in the mode they left.
    void SetSameModeReturns(int n);
    // The firmware version reported once an image is kept (unchanged unless set).
    void SetUpgradedFirmwareVersion(std::uint8_t version);
    // Bytes 4, 6 and 14 of the 0x26 / 0x92 replies (10, 15, 1 unless set).
    void SetVersions(std::uint8_t hardware, std::uint8_t firmware, std::uint8_t deviceType);

    // Inspection.
    bool IsPlugged() const;
    std::uint16_t ProductId() const;
    std::uint16_t NormalProductId() const { return m_normalProductId; }
    bool InUpdateMode() const { return ProductId() == kUpdateProductId; }
    std::vector<Frame> ReceivedFrames() const;
    int CountReceived(std::uint8_t command) const;
    // Waits until `count` frames of the command have arrived in all.
    bool WaitForReceived(std::uint8_t command, int count, std::uint32_t timeoutMs) const;
    std::optional<int> ParamValue(std::uint8_t id) const;
    std::map<std::uint8_t, int> ParamValues() const;
    bool SessionOpen() const;
    std::optional<std::uint8_t> Value9A() const;
    std::vector<Frame> Acknowledgements() const;
    // The image kept by the last upgrade that completed; empty before.
    std::vector<std::uint8_t> FirmwareImage() const;
    // Every 0x28 block answered, across upgrades.
    int FirmwareBlocks() const;
    Upload SoundUpload() const;
    int BadCrcFrames() const;
    int FailedWrites() const;

private:
    enum class RuleKind { Write, Reply };
    std::optional<SimFault> TakeFault(std::uint8_t command, bool answered, RuleKind kind);
    // Under m_mutex. ended: an upload that ended with this frame.
    std::optional<Frame> Answer(const Frame& request, bool* restart, std::optional<Upload>* ended);
    void ReportUpload(const std::optional<Upload>& ended);
    void Emit(const Frame& frame, std::uint64_t epoch);
    void StageFirmwareBlock(const Frame& request);
    // Under m_mutex: the product id the restart that starts now comes back with.
    std::uint16_t RestartTarget();
    void ScheduleRestart(std::uint16_t target);
    void Leave();
    void Return(std::uint16_t productId);

    const std::uint16_t m_normalProductId;

    mutable std::mutex m_mutex;  // guards the state below
    mutable std::condition_variable m_received;
    bool m_plugged = true;
    std::uint64_t m_epoch = 0;  // counts plug changes; stale late replies are dropped
    std::uint16_t m_productId;
    std::vector<SimFaultRule> m_faults;
    std::uint32_t m_lateReplyMs = 700;
    std::uint32_t m_restartRemovalMs = 50;
    std::uint32_t m_restartReturnMs = 1500;
    std::uint8_t m_hardwareVersion = 10;
    std::uint8_t m_firmwareVersion = 15;
    std::uint8_t m_deviceType = 1;
    std::vector<Frame> m_frames;
    std::map<std::uint8_t, int> m_params;
    bool m_session = false;
    std::optional<std::uint8_t> m_value9A;
    std::vector<Frame> m_acks;
    std::vector<std::uint8_t> m_firmware;
    std::vector<std::uint8_t> m_staged;
    int m_nextBlock = 0;          // blocks 0 .. m_nextBlock - 1 staged in order
    bool m_stagedInOrder = true;
    bool m_firmwareValid = true;  // false once staging erased it, until an image is kept
    std::optional<std::uint8_t> m_upgradedVersion;
    int m_firmwareBlocks = 0;
    bool m_neverReturn = false;
    int m_sameModeReturns = 0;
    std::optional<std::uint16_t> m_restartTarget;  // set while a restart is on its way
    Upload m_upload;
    bool m_uploadReported = false;  // the observer was told how m_upload ended
    int m_badCrcFrames = 0;
    int m_failedWrites = 0;

    std::mutex m_emitMutex;  // held while the sink or observer runs
    ReportSink m_sink;
    FrameObserver m_observer;
    std::mutex m_plugMutex;  // held while the plug handler runs
    PlugHandler m_plugHandler;
    std::mutex m_uploadObserverMutex;  // held while the upload observer runs
    UploadObserver m_uploadObserver;

    DelayedTasks m_tasks;  // last: stopped first, before the state goes
};

}  // namespace qv::test
