#include "platform/hid/SimMonitor.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

#include "platform/hid/SimWire.h"
#include "platform/os/AltSignalStack.h"

namespace qv::hid {
namespace {
constexpr int kReconnectMs = 500;
}

SimMonitor::SimMonitor(std::string socketPath, PnpCallback callback)
    : m_socketPath(std::move(socketPath)),
      m_callback(std::move(callback)),
      m_stopFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    // Subscribed before the start returns, so no event after it is missed.
    Subscribe(false);
    m_thread = std::thread([this] { Run(); });
}

SimMonitor::~SimMonitor() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(m_stopFd, &one, sizeof one);
    if (m_thread.joinable()) m_thread.join();
    if (m_fd >= 0) close(m_fd);
    if (m_stopFd >= 0) close(m_stopFd);
}

bool SimMonitor::Subscribe(bool reportPresent) {
    using namespace simwire;
    m_fd = Connect(m_socketPath);
    if (m_fd < 0) return false;
    auto reply = Request(m_fd, {kSubscribe});
    if (!reply) {
        close(m_fd);
        m_fd = -1;
        return false;
    }
    Reader fields(*reply);
    auto count = fields.U8();
    for (int i = 0; count && i < *count; ++i) {
        auto path = fields.Path();
        if (!path) break;
        m_present.insert(*path);
        if (reportPresent && m_callback) m_callback(false, *path);
    }
    return true;
}

bool SimMonitor::WaitForStop(int timeoutMs) {
    pollfd stop{m_stopFd, POLLIN, 0};
    return poll(&stop, 1, timeoutMs) > 0;
}

void SimMonitor::Dropped() {
    close(m_fd);
    m_fd = -1;
    // The server went away: to the program, its cards are gone.
    for (const auto& path : m_present)
        if (m_callback) m_callback(true, path);
    m_present.clear();
}

void SimMonitor::Run() {
    const os::AltSignalStack altStack;
    if (m_stopFd < 0) return;
    for (;;) {
        if (m_fd < 0) {
            if (WaitForStop(kReconnectMs)) return;
            Subscribe(true);
            continue;
        }
        pollfd fds[2] = {{m_stopFd, POLLIN, 0}, {m_fd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents) return;
        if (!fds[1].revents) continue;
        auto packet = simwire::Receive(m_fd, 0);
        if (!packet) {
            Dropped();
            continue;
        }
        if (packet->empty() || (*packet)[0] != simwire::kEvent) continue;
        simwire::Reader fields(*packet);
        auto removed = fields.U8();
        auto path = removed ? fields.Path() : std::nullopt;
        if (!path) continue;
        if (*removed) m_present.erase(*path);
        else m_present.insert(*path);
        if (m_callback) m_callback(*removed != 0, *path);
    }
}

}  // namespace qv::hid
