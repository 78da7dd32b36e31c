#include "tests/support/SimCard.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "common/device/Frame.h"

namespace qv::test {
namespace {

using frame::kCommandByte;
using frame::kCrcByte;
using frame::kFrameLength;
using frame::kStatusByte;

constexpr int kMaxTriples = 11;
constexpr int kFirmwareBlockBytes = 32;
constexpr std::size_t kMaxFirmwareBytes = 65536;

SimCard::Frame ReplyTo(const SimCard::Frame& request) {
    SimCard::Frame reply{};
    reply[kCommandByte] = static_cast<std::uint8_t>(request[kCommandByte] + 1);
    reply[1] = request[1];
    reply[2] = request[2];
    reply[kStatusByte] = frame::kStatusOk;
    return reply;
}

}  // namespace

SimCard::SimCard(std::uint16_t normalProductId)
    : m_normalProductId(normalProductId), m_productId(normalProductId) {}

SimCard::~SimCard() = default;

void SimCard::SetReportSink(ReportSink sink) {
    std::lock_guard<std::mutex> guard(m_emitMutex);
    m_sink = std::move(sink);
}

void SimCard::SetFrameObserver(FrameObserver observer) {
    std::lock_guard<std::mutex> guard(m_emitMutex);
    m_observer = std::move(observer);
}

void SimCard::SetUploadObserver(UploadObserver observer) {
    std::lock_guard<std::mutex> guard(m_uploadObserverMutex);
    m_uploadObserver = std::move(observer);
}

void SimCard::ReportUpload(const std::optional<Upload>& ended) {
    if (!ended) return;
    std::lock_guard<std::mutex> guard(m_uploadObserverMutex);
    if (m_uploadObserver) m_uploadObserver(*ended);
}

void SimCard::SetPlugHandler(PlugHandler handler) {
    std::lock_guard<std::mutex> guard(m_plugMutex);
    m_plugHandler = std::move(handler);
}

void SimCard::HandleHostFrame(const std::uint8_t* frame, int length) {
    (void)ReceiveWrite(frame, length);
}

bool SimCard::ReceiveWrite(const std::uint8_t* data, int length) {
    Frame request{};
    std::optional<Frame> reply;
    std::optional<SimFault> fault;
    std::optional<SimFault> refused;
    bool restart = false;
    std::uint64_t epoch = 0;
    std::uint32_t lateMs = 0;
    std::uint16_t restartTarget = 0;
    std::optional<Upload> uploadEnded;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (!m_plugged || !data || length < kFrameLength) {
            ++m_failedWrites;
            return false;
        }
        std::memcpy(request.data(), data, static_cast<std::size_t>(std::min<int>(length, 64)));
        refused = TakeFault(request[kCommandByte], false, RuleKind::Write);
        if (refused) {
            ++m_failedWrites;
        } else {
            m_frames.push_back(request);
            m_received.notify_all();
            if (frame::HasValidCrc(request.data())) reply = Answer(request, &restart, &uploadEnded);
            else ++m_badCrcFrames;
            fault = TakeFault(request[kCommandByte], reply.has_value(), RuleKind::Reply);
            epoch = m_epoch;
            lateMs = m_lateReplyMs;
            if (restart) restartTarget = *m_restartTarget;
        }
    }
    if (refused) {
        if (*refused == SimFault::PulledBefore) Unplug();
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(m_emitMutex);
        if (m_observer) m_observer(true, request);
    }
    ReportUpload(uploadEnded);
    if (reply && fault) {
        switch (*fault) {
        case SimFault::WrongCommand: (*reply)[kCommandByte] = request[kCommandByte]; break;
        case SimFault::WrongStatus: (*reply)[kStatusByte] = 0; break;
        default: break;
        }
        frame::Seal(reply->data());
        if (*fault == SimFault::BadCrc) (*reply)[kCrcByte] ^= 0x5A;
    } else if (reply) {
        frame::Seal(reply->data());
    }

    if (fault == SimFault::Unplug) {
        Unplug();
    } else if (fault == SimFault::LateReply && reply) {
        m_tasks.Post(lateMs, [this, r = *reply, epoch] { Emit(r, epoch); });
    } else if (reply && fault != SimFault::NoReply) {
        Emit(*reply, epoch);
        if (fault == SimFault::DuplicateReply) Emit(*reply, epoch);
    }
    if (restart) ScheduleRestart(restartTarget);
    return true;
}

std::optional<SimFault> SimCard::TakeFault(std::uint8_t command, bool answered, RuleKind kind) {
    for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
        const bool writeRule = it->fault == SimFault::WriteFailure || it->fault == SimFault::PulledBefore;
        if (writeRule != (kind == RuleKind::Write)) continue;
        if (it->command != 0 ? it->command != command : !(writeRule || answered)) continue;
        if (it->skip > 0) {
            --it->skip;
            continue;
        }
        const SimFault fault = it->fault;
        if (it->times > 0 && --it->times == 0) m_faults.erase(it);
        return fault;
    }
    return std::nullopt;
}

std::optional<SimCard::Frame> SimCard::Answer(const Frame& request, bool* restart, std::optional<Upload>* ended) {
    const std::uint8_t command = request[kCommandByte];
    const bool updateMode = m_productId == kUpdateProductId;
    Frame reply = ReplyTo(request);
    switch (command) {
    case 0x26:
        reply[4] = m_hardwareVersion;
        reply[6] = m_firmwareVersion;
        return reply;
    case 0x92:
        reply[4] = m_hardwareVersion;
        reply[6] = m_firmwareVersion;
        reply[14] = m_deviceType;
        return reply;
    case 0x2A:
        m_restartTarget = RestartTarget();
        *restart = true;
        return std::nullopt;
    case 0x28: {
        if (!updateMode) return std::nullopt;
        const std::size_t offset =
            static_cast<std::size_t>((request[1] << 8) | request[2]) * kFirmwareBlockBytes;
        if (offset + kFirmwareBlockBytes > kMaxFirmwareBytes) return std::nullopt;
        StageFirmwareBlock(request);
        return reply;
    }
    case 0x9F:
        m_acks.push_back(request);
        return std::nullopt;
    default: break;
    }
    if (updateMode) return std::nullopt;
    switch (command) {
    case 0x90:
        m_session = request[4] != 0;
        return reply;
    case 0x94: {
        const int n = std::min<int>(request[4], kMaxTriples);
        for (int k = 0; k < n; ++k) {
            const int at = 5 + 3 * k;
            m_params[request[at]] = ((request[at + 1] & 0x0F) << 8) | request[at + 2];
        }
        return reply;
    }
    case 0x9A:
        m_value9A = request[4];
        return reply;
    case 0x02:
        if (m_upload.started && !m_uploadReported) *ended = m_upload;
        m_uploadReported = false;
        if (!TakeUploadHeader(m_upload, request)) return std::nullopt;
        return reply;
    case 0x04: {
        if (!TakeUploadBlock(m_upload, request)) return std::nullopt;
        if (m_upload.complete && !m_uploadReported) {
            *ended = m_upload;
            m_uploadReported = true;
        }
        return reply;
    }
    default: return std::nullopt;
    }
}

void SimCard::Emit(const Frame& frame, std::uint64_t epoch) {
    std::lock_guard<std::mutex> emit(m_emitMutex);
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (!m_plugged || epoch != m_epoch) return;
    }
    if (m_observer) m_observer(false, frame);
    if (m_sink) m_sink(frame.data(), static_cast<int>(frame.size()));
}

void SimCard::StageFirmwareBlock(const Frame& request) {
    const int index = (request[1] << 8) | request[2];
    const std::size_t offset = static_cast<std::size_t>(index) * kFirmwareBlockBytes;
    if (index == m_nextBlock || index + 1 == m_nextBlock) {
        if (m_staged.size() < offset + kFirmwareBlockBytes) m_staged.resize(offset + kFirmwareBlockBytes);
        std::memcpy(m_staged.data() + offset, request.data() + 4, kFirmwareBlockBytes);
        if (index == m_nextBlock) ++m_nextBlock;
        m_firmwareValid = false;  // writing erased what was there
    } else {
        m_stagedInOrder = false;
        m_firmwareValid = false;
    }
    ++m_firmwareBlocks;
}

std::uint16_t SimCard::RestartTarget() {
    if (m_sameModeReturns > 0) {
        --m_sameModeReturns;
        return m_productId;
    }
    if (m_productId != kUpdateProductId) return kUpdateProductId;
    const bool written = m_nextBlock > 0 || !m_stagedInOrder;
    if (written && m_stagedInOrder) {
        m_firmware = m_staged;
        m_firmwareValid = true;
        if (m_upgradedVersion) m_firmwareVersion = *m_upgradedVersion;
    }
    m_staged.clear();
    m_nextBlock = 0;
    m_stagedInOrder = true;
    return m_firmwareValid ? m_normalProductId : kUpdateProductId;
}

void SimCard::ScheduleRestart(std::uint16_t target) {
    std::uint32_t removalMs, returnMs;
    bool never;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        removalMs = m_restartRemovalMs;
        returnMs = m_restartReturnMs;
        never = m_neverReturn;
    }
    if (removalMs == 0 && returnMs == 0) {
        Leave();
        if (!never) Return(target);
        return;
    }
    m_tasks.Post(removalMs, [this] { Leave(); });
    if (!never) m_tasks.Post(removalMs + returnMs, [this, target] { Return(target); });
}

void SimCard::Return(std::uint16_t productId) {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (!m_restartTarget) return;  // pulled meanwhile
        m_restartTarget.reset();
    }
    Plug(productId);
}

bool SimCard::SendNotification(const std::vector<std::pair<std::uint8_t, std::uint16_t>>& values) {
    Frame notification{};
    notification[kCommandByte] = 0x9E;
    const int n = std::min<int>(static_cast<int>(values.size()), kMaxTriples);
    notification[4] = static_cast<std::uint8_t>(n);
    std::uint64_t epoch;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (!m_plugged) return false;
        for (int k = 0; k < n; ++k) {
            const auto [id, value] = values[static_cast<std::size_t>(k)];
            notification[5 + 3 * k] = id;
            notification[6 + 3 * k] = static_cast<std::uint8_t>((value >> 8) & 0x0F);
            notification[7 + 3 * k] = static_cast<std::uint8_t>(value & 0xFF);
            m_params[id] = value & 0x0FFF;
        }
        epoch = m_epoch;
    }
    frame::Seal(notification.data());
    Emit(notification, epoch);
    return true;
}

bool SimCard::SendRawReport(const Frame& frame) {
    std::uint64_t epoch;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (!m_plugged) return false;
        epoch = m_epoch;
    }
    Emit(frame, epoch);
    return true;
}

void SimCard::Unplug() {
    m_tasks.Clear();
    Leave();
    std::optional<Upload> cutOff;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_upload.started && !m_uploadReported) cutOff = m_upload;
        m_uploadReported = true;
    }
    ReportUpload(cutOff);
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_restartTarget) m_productId = *m_restartTarget;
    m_restartTarget.reset();
    if (m_nextBlock > 0 || !m_stagedInOrder) m_firmwareValid = false;
    m_staged.clear();
    m_nextBlock = 0;
    m_stagedInOrder = true;
    if (!m_firmwareValid) m_productId = kUpdateProductId;
}

void SimCard::Leave() {
    std::uint16_t productId;
    {
        std::lock_guard<std::mutex> emit(m_emitMutex);  // no report is on its way meanwhile
        std::lock_guard<std::mutex> guard(m_mutex);
        if (!m_plugged) return;
        m_plugged = false;
        m_session = false;
        ++m_epoch;
        productId = m_productId;
    }
    std::lock_guard<std::mutex> plug(m_plugMutex);
    if (m_plugHandler) m_plugHandler(false, productId);
}

void SimCard::Plug(std::uint16_t productId) {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_plugged) return;
        if (productId == 0 && m_restartTarget) productId = *m_restartTarget;
        m_restartTarget.reset();
        if (productId != 0) m_productId = productId;
        m_plugged = true;
        ++m_epoch;
        productId = m_productId;
    }
    std::lock_guard<std::mutex> plug(m_plugMutex);
    if (m_plugHandler) m_plugHandler(true, productId);
}

void SimCard::AddFault(const SimFaultRule& rule) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_faults.push_back(rule);
}

void SimCard::ClearFaults() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_faults.clear();
}

void SimCard::SetLateReplyDelay(std::uint32_t ms) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_lateReplyMs = ms;
}

void SimCard::SetRestartDelays(std::uint32_t removalMs, std::uint32_t returnMs) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_restartRemovalMs = removalMs;
    m_restartReturnMs = returnMs;
}

void SimCard::SetNeverReturn(bool never) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_neverReturn = never;
}

void SimCard::SetSameModeReturns(int n) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_sameModeReturns = n;
}

void SimCard::SetUpgradedFirmwareVersion(std::uint8_t version) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_upgradedVersion = version;
}

void SimCard::SetVersions(std::uint8_t hardware, std::uint8_t firmware, std::uint8_t deviceType) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_hardwareVersion = hardware;
    m_firmwareVersion = firmware;
    m_deviceType = deviceType;
}

bool SimCard::IsPlugged() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_plugged;
}

std::uint16_t SimCard::ProductId() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_productId;
}

std::vector<SimCard::Frame> SimCard::ReceivedFrames() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_frames;
}

int SimCard::CountReceived(std::uint8_t command) const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return static_cast<int>(std::count_if(m_frames.begin(), m_frames.end(),
                                          [&](const Frame& f) { return f[kCommandByte] == command; }));
}

bool SimCard::WaitForReceived(std::uint8_t command, int count, std::uint32_t timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_received.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return std::count_if(m_frames.begin(), m_frames.end(),
                             [&](const Frame& f) { return f[kCommandByte] == command; }) >= count;
    });
}

std::optional<int> SimCard::ParamValue(std::uint8_t id) const {
    std::lock_guard<std::mutex> guard(m_mutex);
    auto it = m_params.find(id);
    if (it == m_params.end()) return std::nullopt;
    return it->second;
}

std::map<std::uint8_t, int> SimCard::ParamValues() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_params;
}

bool SimCard::SessionOpen() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_session;
}

std::optional<std::uint8_t> SimCard::Value9A() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_value9A;
}

std::vector<SimCard::Frame> SimCard::Acknowledgements() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_acks;
}

std::vector<std::uint8_t> SimCard::FirmwareImage() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_firmware;
}

int SimCard::FirmwareBlocks() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_firmwareBlocks;
}

SimCard::Upload SimCard::SoundUpload() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_upload;
}

int SimCard::BadCrcFrames() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_badCrcFrames;
}

int SimCard::FailedWrites() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_failedWrites;
}

}  // namespace qv::test
