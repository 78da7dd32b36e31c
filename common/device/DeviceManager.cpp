#include "common/device/DeviceManager.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstring>
#include <utility>

#include "common/device/ICommProtocol.h"
#include "common/device/ICommunicateDevice.h"
#include "platform/os/Log.h"

namespace {
constexpr int kSendNotReceiveTries = 5;
constexpr DWORD kReadRetryPauseMs = 200;
constexpr DWORD kLoopEndLogMs = 3000;
constexpr int kReplySpinUs = 100;
}  // namespace

CDeviceManager::CDeviceManager() : m_recvThread(std::make_unique<CDataRecvThread>()) {
    m_recvThread->Start(this);
}

CDeviceManager::~CDeviceManager() {
    {
        std::lock_guard<std::mutex> guard(m_connectMutex);
        EndReceiveLoop();
    }
    m_recvThread->Stop();
    m_recvThread.reset();
    // The protocol belongs to the plug-in and may be gone by now: only the
    // device is released here.
    if (m_device) {
        m_device->CloseDevice();
        delete m_device;
        m_device = nullptr;
    }
}

BOOL CDeviceManager::IsConnected() {
    std::shared_lock<std::shared_mutex> link(m_linkMutex);
    return m_device && m_device->IsOpen() ? TRUE : FALSE;
}

ICommunicateDevice* CDeviceManager::GetDevice() {
    std::shared_lock<std::shared_mutex> link(m_linkMutex);
    return m_device;
}

BOOL CDeviceManager::Connect(ICommunicateDevice* device, ICommProtocol* protocol) {
    std::lock_guard<std::mutex> guard(m_connectMutex);
    if (!device) return FALSE;
    if (!protocol) {
        delete device;
        return FALSE;
    }
    if (m_device) DisconnectLocked();
    {
        std::unique_lock<std::shared_mutex> link(m_linkMutex);
        m_device = device;
        m_protocol = protocol;
    }
    if (!device->IsOpen() && !device->OpenDevice()) return FALSE;
    if (protocol->GetPacketLength() != device->GetOutputReportLength()) {
        DisconnectLocked();
        return FALSE;
    }
    m_loopEnded.Reset();
    m_stopLoop.Reset();
    m_receiving = 1;
    m_recvThread->OnConnectDevice();
    protocol->AttachDeviceMgmt(this);
    return TRUE;
}

void CDeviceManager::Disconnect() {
    std::lock_guard<std::mutex> guard(m_connectMutex);
    DisconnectLocked();
}

void CDeviceManager::DisconnectLocked() {
    EndReceiveLoop();
    ICommunicateDevice* device = nullptr;
    ICommProtocol* protocol = nullptr;
    {
        std::unique_lock<std::shared_mutex> link(m_linkMutex);
        device = std::exchange(m_device, nullptr);
        protocol = std::exchange(m_protocol, nullptr);
    }
    if (device) {
        device->CloseDevice();
        delete device;
    }
    if (protocol) protocol->DetachDeviceMgmt();
}

// Clears the flag before the cancel, so the woken loop sees it and leaves;
// returns once no loop can touch the device or the protocol any more. With
// no loop running this returns at once.
void CDeviceManager::EndReceiveLoop() {
    m_receiving = 0;
    m_stopLoop.Set();
    if (m_device) m_device->CancelRead();  // only Connect/Disconnect change m_device
    while (m_loopEnded.Wait(kLoopEndLogMs) == qv::os::WaitResult::TimedOut) {
        QV_LOGE("receive loop still runs %u ms after the cancel; waiting for it",
                static_cast<unsigned>(kLoopEndLogMs));
        if (!m_recvThread->IsRunning()) break;  // no thread left to run it
    }
}

BOOL CDeviceManager::SendAndReceive(std::uint8_t* frame, std::uint8_t* reply, int attempts,
                                    int timeoutMs) {
    std::lock_guard<std::mutex> request(m_requestMutex);
    ICommProtocol* protocol = nullptr;
    {
        std::shared_lock<std::shared_mutex> link(m_linkMutex);
        if (!m_device || !m_protocol) return FALSE;
        protocol = m_protocol;
    }
    protocol->OnBeforeSend(frame);
    protocol->AddCrc(frame);
    const int length = protocol->GetPacketLength();

    std::memset(reply, 0, qv::frame::kBufferSize);
    m_replyEvent.Reset();
    const std::uint8_t expected = static_cast<std::uint8_t>(frame[0] + 1);
    {
        ccm_util::CScopedLock guard(m_lock);
        m_expectedReply = expected;
        std::memset(m_pendingReply, 0, sizeof m_pendingReply);
    }

    const DWORD waitMs = timeoutMs > 0 ? static_cast<DWORD>(timeoutMs) : 0;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        BOOL written = FALSE;
        {
            std::shared_lock<std::shared_mutex> link(m_linkMutex);
            if (!m_device) break;
            written = m_device->Write(frame, length);
        }
        if (!written) {
            QV_LOGE("Send failed. cmd=0x%02x", frame[0]);
            continue;
        }
        if (WaitForReply(waitMs)) {
            {
                ccm_util::CScopedLock guard(m_lock);
                std::memcpy(reply, m_pendingReply, sizeof m_pendingReply);
            }
            if (protocol->CheckReply(reply, expected)) {
                ClearPending();
                protocol->OnAfterReply(reply);
                return TRUE;
            }
        }
        QV_LOGE("WaitTimeout. cmd=0x%02x", frame[0]);
    }
    ClearPending();
    return FALSE;
}

// A reply often comes within microseconds of the write: poll for a moment
// before sleeping, which spares the sender a wake-up on the common path.
bool CDeviceManager::WaitForReply(DWORD timeoutMs) {
    const auto spinEnd = std::chrono::steady_clock::now() + std::chrono::microseconds(kReplySpinUs);
    do {
        if (m_replyEvent.TryWait()) return true;
        std::this_thread::yield();
    } while (std::chrono::steady_clock::now() < spinEnd);
    return m_replyEvent.Wait(timeoutMs) == qv::os::WaitResult::Signalled;
}

void CDeviceManager::ClearPending() {
    ccm_util::CScopedLock guard(m_lock);
    m_expectedReply = 0;
}

BOOL CDeviceManager::SendNotReceive(std::uint8_t* frame) {
    std::shared_lock<std::shared_mutex> link(m_linkMutex);
    if (!m_device || !m_protocol) return FALSE;
    m_protocol->OnBeforeSend(frame);
    m_protocol->AddCrc(frame);
    const int length = m_protocol->GetPacketLength();
    for (int i = 0; i < kSendNotReceiveTries; ++i) {
        if (m_device->Write(frame, length)) return TRUE;
        QV_LOGE("send failed. cmd=0x%02x", frame[0]);
    }
    return FALSE;
}

void CDeviceManager::RecvThreadProc() {
    // Connect attaches both before it starts the loop, and Disconnect waits
    // for the loop to end before it detaches them.
    ICommunicateDevice* device = nullptr;
    ICommProtocol* protocol = nullptr;
    {
        std::shared_lock<std::shared_mutex> link(m_linkMutex);
        device = m_device;
        protocol = m_protocol;
    }
    const int inputLength = device ? device->GetInputReportLength() : 0;
    const std::size_t copyLength =
        static_cast<std::size_t>(std::clamp(inputLength, 0, kReportBufferSize));

    while (m_receiving) {
        std::uint8_t* data = nullptr;
        const BOOL read = device ? device->Read(&data, INFINITE) : FALSE;
        if (!m_receiving) break;
        if (!read || !data) {
            QV_LOGE(" CDeviceManager::RecvThreadProc() -- read return %d", 0);
            (void)m_stopLoop.Wait(kReadRetryPauseMs);
            continue;
        }
        std::uint8_t report[kReportBufferSize] = {};
        std::memcpy(report, data, copyLength);
        if (!DeliverReply(report) && protocol) protocol->OnRecvData(report);
    }
    m_loopEnded.Set();
}

bool CDeviceManager::DeliverReply(const std::uint8_t* report) {
    ccm_util::CScopedLock guard(m_lock);
    if (m_expectedReply == 0 || m_expectedReply != report[0]) return false;
    std::memcpy(m_pendingReply, report, sizeof m_pendingReply);
    m_replyEvent.Set();
    return true;
}
