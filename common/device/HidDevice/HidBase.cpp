#include "common/device/HidDevice/HidBase.h"

#include <cerrno>
#include <cstring>

#include "platform/os/Log.h"

namespace {

void CopyPath(char16_t* out, const char16_t* path) {
    int n = 0;
    if (path)
        for (; path[n] && n < CHidBase::kPathLength - 1; ++n) out[n] = path[n];
    out[n] = u'\0';
}

bool IsValidReportLength(int length) { return length >= 1 && length <= CHidBase::kMaxReportLength; }

}  // namespace

CHidBase::CHidBase(const char16_t* path) : CHidBase(path, [](const std::u16string& p) {
    return qv::hid::Open(p);
}) {}

CHidBase::CHidBase(const char16_t* path, Opener opener) : m_opener(std::move(opener)) {
    CopyPath(m_path, path);
}

CHidBase::~CHidBase() { CloseDevice(); }

BOOL CHidBase::IsOpen() { return m_device ? TRUE : FALSE; }

BOOL CHidBase::OpenDevice() {
    if (m_device) {
        QV_LOGE("One device is already opened.");
        return FALSE;
    }
    std::unique_ptr<qv::hid::IDevice> device = m_opener ? m_opener(m_path) : nullptr;
    if (!device) return FALSE;
    const int inputLength = device->InputReportLength();
    const int outputLength = device->OutputReportLength();
    if (!IsValidReportLength(inputLength) || !IsValidReportLength(outputLength)) {
        QV_LOGE("invalide device report byte length.");
        return FALSE;
    }
    m_inputLength = inputLength;
    m_outputLength = outputLength;
    m_device = std::move(device);
    return TRUE;
}

void CHidBase::CloseDevice() {
    m_device.reset();
    m_inputLength = 0;
    m_outputLength = 0;
}

BOOL CHidBase::Write(const std::uint8_t* data, int length) {
    if (!data || length <= 0 || length > m_outputLength - 1) {
        QV_LOGE("invalide parameter.");
        return FALSE;
    }
    if (!m_device) {
        QV_LOGE("Please OpenDevice before Write.");
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(m_writeLock);
    std::memset(m_output, 0, sizeof m_output);
    std::memcpy(m_output + 1, data, static_cast<std::size_t>(length));  // byte 0: report id 0
    errno = 0;
    if (!m_device->WriteReport(m_output, static_cast<std::size_t>(m_outputLength))) {
        QV_LOGE("error code %ld", static_cast<long>(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL CHidBase::Read(std::uint8_t** report, std::uint32_t timeoutMs) {
    if (!m_device) {
        QV_LOGE("Please OpenDevice before Read.");
        return FALSE;
    }
    std::memset(m_input, 0, sizeof m_input);
    const qv::hid::ReadStatus status =
        m_device->ReadReport(m_input, static_cast<std::size_t>(m_inputLength), timeoutMs);
    if (status != qv::hid::ReadStatus::Ok) return FALSE;
    if (report) *report = m_input + 1;
    return TRUE;
}

BOOL CHidBase::CancelRead() {
    if (!m_device) return FALSE;
    m_device->CancelRead();
    return TRUE;
}

int CHidBase::GetInputReportLength() { return m_inputLength - 1; }

int CHidBase::GetOutputReportLength() { return m_outputLength - 1; }

const char16_t* CHidBase::GetDevicePath() { return m_path; }

int CHidBase::EnumDevices(char16_t (*paths)[kPathLength], int maximum, std::uint16_t vendorId,
                          std::uint16_t productId) {
    // The HID layer lists only interfaces that can be opened.
    int count = 0;
    for (const qv::hid::DeviceInfo& info : qv::hid::Enumerate(vendorId, productId)) {
        if (paths && count < maximum) CopyPath(paths[count], info.path.c_str());
        ++count;
    }
    return count;
}
