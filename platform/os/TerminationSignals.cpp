#include "platform/os/TerminationSignals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

#include "platform/os/AltSignalStack.h"
#include "platform/os/Log.h"

namespace qv::os {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end of the active object's pipe; -1 while none is active.
std::atomic<int> g_signalPipe{-1};

void OnTerminationSignal(int sig) {
    const int savedErrno = errno;
    const int fd = g_signalPipe.load();
    const unsigned char byte = static_cast<unsigned char>(sig);
    // A full pipe already holds a pending request; nothing is lost.
    if (fd >= 0) {
        [[maybe_unused]] ssize_t n = write(fd, &byte, 1);
    }
    errno = savedErrno;
}

void SetHandlers(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int sig : kSignals) sigaction(sig, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals(Callback callback) : m_callback(std::move(callback)) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        QV_LOGE("no pipe for the termination signals");
        return;
    }
    m_read.Reset(fds[0]);
    UniqueFd write(fds[1]);
    m_stop.Reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    int expected = -1;
    if (!m_stop || !g_signalPipe.compare_exchange_strong(expected, write.Get())) {
        QV_LOGE("termination signals not taken over");
        return;
    }
    write.Release();  // closed with the object, after the handlers are gone
    m_thread = std::thread([this] { Watch(); });
    SetHandlers(OnTerminationSignal);
}

TerminationSignals::~TerminationSignals() {
    if (!m_thread.joinable()) return;
    SetHandlers(SIG_DFL);
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(m_stop.Get(), &one, sizeof one);
    m_thread.join();
    close(g_signalPipe.exchange(-1));
}

void TerminationSignals::Watch() {
    const AltSignalStack altStack;
    pollfd fds[2] = {{m_read.Get(), POLLIN, 0}, {m_stop.Get(), POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            QV_LOGE("termination signals no longer watched");
            return;
        }
        if (fds[1].revents) return;
        unsigned char sig = 0;
        while (read(m_read.Get(), &sig, 1) == 1) {
            QV_LOGW("signal %d: ending", sig);
            if (m_callback) m_callback(sig);
        }
    }
}

}  // namespace qv::os
