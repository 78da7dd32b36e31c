#include "platform/hid/CancellableReader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os/Tick.h"
#include "platform/os/Types.h"

namespace qv::hid {

CancellableReader::CancellableReader()
    : m_cancelFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CancellableReader::~CancellableReader() {
    if (m_cancelFd >= 0) close(m_cancelFd);
}

void CancellableReader::Cancel() {
    if (m_cancelFd < 0) return;
    const std::uint64_t one = 1;
    // A full counter still reads as pending, so a failed write loses nothing.
    [[maybe_unused]] ssize_t n = write(m_cancelFd, &one, sizeof one);
}

bool CancellableReader::TakeCancel() {
    std::uint64_t count = 0;
    return read(m_cancelFd, &count, sizeof count) == static_cast<ssize_t>(sizeof count);
}

ReadStatus CancellableReader::Read(int fd, std::uint8_t* buffer, std::size_t length,
                                   std::uint32_t timeoutMs) {
    if (m_cancelFd < 0 || fd < 0 || !buffer || length == 0) return ReadStatus::Failed;
    const std::uint64_t start = os::NowMs();
    for (;;) {
        int waitMs = -1;
        if (timeoutMs != INFINITE) {
            const std::uint64_t elapsed = os::NowMs() - start;
            waitMs = elapsed >= timeoutMs ? 0 : static_cast<int>(timeoutMs - elapsed);
        }
        pollfd fds[2] = {{m_cancelFd, POLLIN, 0}, {fd, POLLIN, 0}};
        const int ready = poll(fds, 2, waitMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return ReadStatus::Failed;
        }
        if (fds[0].revents & POLLIN) {
            if (TakeCancel()) return ReadStatus::Cancelled;
        }
        if (ready == 0) return ReadStatus::TimedOut;
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) {
            if (fds[1].revents & POLLNVAL) return ReadStatus::Failed;
            const ssize_t n = read(fd, buffer, length);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
            return n == static_cast<ssize_t>(length) ? ReadStatus::Ok : ReadStatus::Failed;
        }
    }
}

}  // namespace qv::hid
