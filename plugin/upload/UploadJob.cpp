#include "plugin/upload/UploadJob.h"

#include <algorithm>
#include <system_error>

#include "common/device/Frame.h"
#include "common/device/ICommDeviceMgmt.h"
#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "plugin/upload/UploadFrames.h"

UploadJob::UploadJob(ICommDeviceMgmt* manager, std::int16_t slot, std::vector<std::uint8_t> image, HWND window)
    : m_manager(manager), m_slot(slot), m_image(std::move(image)), m_window(window) {}

UploadJob::~UploadJob() {
    Stop();
    if (m_thread.joinable()) m_thread.join();
}

bool UploadJob::Start() {
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (const std::system_error& e) {
        QV_LOGE("the upload thread did not start: %s", e.what());
        return false;
    }
    return true;
}

void UploadJob::Run() {
    const int result = UploadSound(m_manager, *this, m_stop);
    qv::os::PostMessage(m_window, kMsgUploadEnded, static_cast<WPARAM>(result), 0);
}

int UploadSound(ICommDeviceMgmt* manager, const UploadJob& job, const std::atomic<bool>& stop) {
    if (!manager || stop) return 1;
    const std::span<const std::uint8_t> sent = job.Image().first(UploadBytes(job.Image().size()));
    const auto bytes = static_cast<std::uint32_t>(sent.size());
    const std::uint32_t blocks = UploadBlockCount(bytes);
    std::uint8_t reply[qv::frame::kBufferSize];

    UploadFrame frame = MakeUploadHeader(job.Slot(), blocks, bytes);
    if (!manager->SendAndReceive(frame.data(), reply, kUploadHeaderAttempts, kUploadHeaderTimeoutMs)) {
        QV_LOGE("the card did not take the sound's header");
        return 1;
    }
    qv::os::PostMessage(job.Window(), kMsgUploadAccepted, 0, static_cast<LPARAM>(bytes));
    for (std::uint32_t block = 0; block < blocks; ++block) {
        if (stop) return 1;
        frame = MakeUploadBlock(sent, block);
        if (!manager->SendAndReceive(frame.data(), reply, kUploadBlockAttempts, kUploadBlockTimeoutMs)) {
            QV_LOGE("the card did not take block %u of the sound", block);
            return 1;
        }
        const std::uint32_t done = std::min(bytes, (block + 1) * kUploadBlockBytes);
        qv::os::PostMessage(job.Window(), kMsgUploadProgress, static_cast<WPARAM>(done), 0);
    }
    return 0;
}
