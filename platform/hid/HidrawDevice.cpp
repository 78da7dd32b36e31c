#include "platform/hid/HidrawDevice.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os/Log.h"

namespace qv::hid {

std::unique_ptr<HidrawDevice> HidrawDevice::Open(const std::string& node) {
    const int fd = open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    int size = 0;
    hidraw_report_descriptor descriptor{};
    if (ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size <= 0 ||
        size > HID_MAX_DESCRIPTOR_SIZE) {
        QV_LOGE("HIDIOCGRDESCSIZE failed on %s (errno %d)", node.c_str(), errno);
        close(fd);
        return nullptr;
    }
    descriptor.size = static_cast<__u32>(size);
    if (ioctl(fd, HIDIOCGRDESC, &descriptor) < 0) {
        QV_LOGE("HIDIOCGRDESC failed on %s (errno %d)", node.c_str(), errno);
        close(fd);
        return nullptr;
    }
    return Adopt(fd, descriptor.value, descriptor.size);
}

std::unique_ptr<HidrawDevice> HidrawDevice::Adopt(int fd, const std::uint8_t* descriptor,
                                                  std::size_t size) {
    std::unique_ptr<HidrawDevice> device(
        new HidrawDevice(fd, ParseReportDescriptor(descriptor, size)));
    if (!device->m_reader.IsValid()) {
        QV_LOGE("no cancel event");
        return nullptr;
    }
    return device;
}

HidrawDevice::~HidrawDevice() {
    if (m_fd >= 0) close(m_fd);
}

bool HidrawDevice::WriteReport(const std::uint8_t* report, std::size_t length) {
    if (!report || length == 0) return false;
    // hidraw takes the report id as byte 0 in both cases and drops a 0 id.
    for (;;) {
        const ssize_t n = write(m_fd, report, length);
        if (n == static_cast<ssize_t>(length)) return true;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            // The node is non-blocking for reads; a full output queue waits here.
            pollfd out{m_fd, POLLOUT, 0};
            if (poll(&out, 1, 1000) > 0) continue;
        }
        return false;
    }
}

ReadStatus HidrawDevice::ReadReport(std::uint8_t* buffer, std::size_t length,
                                    std::uint32_t timeoutMs) {
    const auto want = static_cast<std::size_t>(m_lengths.input);
    if (!buffer || want == 0 || length < want) return ReadStatus::Failed;
    if (m_lengths.numbered) return m_reader.Read(m_fd, buffer, want, timeoutMs);
    buffer[0] = 0;
    return m_reader.Read(m_fd, buffer + 1, want - 1, timeoutMs);
}

}  // namespace qv::hid
