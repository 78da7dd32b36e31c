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

// The pipe from the handler to the watching thread. Made once and never
// closed, so a handler still running on another thread never writes to a
// descriptor that has been reused.
struct SignalPipe {
    int read = -1;
    int write = -1;
    SignalPipe() {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
        read = fds[0];
        write = fds[1];
    }
};

const SignalPipe& Pipe() {
    static const SignalPipe pipe;
    return pipe;
}

std::atomic<bool> g_active{false};

void OnTerminationSignal(int sig) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(sig);
    // A full pipe already holds a pending request; nothing is lost.
    [[maybe_unused]] ssize_t n = write(Pipe().write, &byte, 1);
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
    const SignalPipe& pipe = Pipe();
    m_stop.Reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    bool expected = false;
    if (pipe.read < 0 || !m_stop || !g_active.compare_exchange_strong(expected, true)) {
        QV_LOGE("termination signals not taken over");
        return;
    }
    // Signals recorded for an earlier object are not this one's.
    unsigned char stale = 0;
    while (read(pipe.read, &stale, 1) == 1) {
    }
    m_thread = std::thread([this, fd = pipe.read] { Watch(fd); });
    SetHandlers(OnTerminationSignal);
}

TerminationSignals::~TerminationSignals() {
    if (!m_thread.joinable()) return;
    SetHandlers(SIG_DFL);
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(m_stop.Get(), &one, sizeof one);
    m_thread.join();
    g_active.store(false);
}

void TerminationSignals::Watch(int signalFd) {
    const AltSignalStack altStack;
    pollfd fds[2] = {{signalFd, POLLIN, 0}, {m_stop.Get(), POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            QV_LOGE("termination signals no longer watched");
            return;
        }
        if (fds[1].revents) return;
        unsigned char sig = 0;
        while (read(signalFd, &sig, 1) == 1) {
            QV_LOGW("signal %d: ending", sig);
            if (m_callback) m_callback(sig);
        }
    }
}

}  // namespace qv::os
