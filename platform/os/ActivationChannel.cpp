#include "platform/os/ActivationChannel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <map>

#include "platform/os/InstanceLock.h"
#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Utf.h"

namespace qv::os {
namespace {

constexpr std::uint32_t kRequestMagic = 0x51564143;  // "QVAC"
constexpr std::uint32_t kReplyMagic = 0x51564152;    // "QVAR"
constexpr std::size_t kMaxPending = 16;

struct Request {
    std::uint32_t magic;
    std::uint32_t message;
    std::uint64_t wParam;
    std::int64_t lParam;
};
static_assert(sizeof(Request) == 24);

struct Reply {
    std::uint32_t magic;
    std::uint32_t reserved;
    std::int64_t result;
};
static_assert(sizeof(Reply) == 16);

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

int ConnectTo(const sockaddr_un& address) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

struct ActivationReceiver::State {
    int listenFd = -1;
    std::string path;
    HWND target = nullptr;
    std::map<int, std::string> pending;  // connection -> bytes received so far

    void OnConnection(int fd, unsigned events) {
        std::string& buffer = pending[fd];
        char chunk[sizeof(Request)];
        const ssize_t n = (events & kFdRead) ? recv(fd, chunk, sizeof chunk - buffer.size(), 0) : 0;
        if (n > 0) buffer.append(chunk, static_cast<std::size_t>(n));
        if (n > 0 && buffer.size() < sizeof(Request)) return;
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (buffer.size() == sizeof(Request)) Answer(fd, buffer);
        UnwatchFd(fd);
        pending.erase(fd);
        close(fd);
    }

    void Answer(int fd, const std::string& bytes) {
        Request request;
        std::memcpy(&request, bytes.data(), sizeof request);
        if (request.magic != kRequestMagic) return;
        if (request.message != kActivationMessage) {
            QV_LOGW("activation channel: message 0x%x refused", static_cast<unsigned>(request.message));
            return;
        }
        const LRESULT result = SendMessage(target, request.message,
                                           static_cast<WPARAM>(request.wParam),
                                           static_cast<LPARAM>(request.lParam));
        const Reply reply{kReplyMagic, 0, static_cast<std::int64_t>(result)};
        [[maybe_unused]] ssize_t sent = send(fd, &reply, sizeof reply, MSG_NOSIGNAL | MSG_DONTWAIT);
    }
};

std::string ActivationSocketPath(std::u16string_view windowClass) {
    const std::string folder = UserRuntimeFolder();
    if (folder.empty()) return {};
    std::string name = Utf16ToUtf8(windowClass);
    for (char& c : name)
        if (c == '/' || c == '\\') c = '_';
    return folder + "/" + name + ".sock";
}

ActivationReceiver::ActivationReceiver() = default;

ActivationReceiver::~ActivationReceiver() { Close(); }

bool ActivationReceiver::IsOpen() const { return m_state != nullptr; }

bool ActivationReceiver::Open(std::u16string_view windowClass, HWND target) {
    Close();
    const std::string path = ActivationSocketPath(windowClass);
    sockaddr_un address;
    if (!MakeAddress(path, address)) {
        QV_LOGE("no usable socket path for the window class");
        return false;
    }
    // A socket file whose owner is gone is stale; a live one belongs to
    // another receiver.
    if (const int live = ConnectTo(address); live >= 0) {
        close(live);
        QV_LOGE("a receiver already listens on %s", path.c_str());
        return false;
    }
    unlink(path.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 8) != 0) {
        QV_LOGE("cannot listen on %s: %s", path.c_str(), std::strerror(errno));
        if (fd >= 0) close(fd);
        return false;
    }
    auto state = std::make_shared<State>();
    state->listenFd = fd;
    state->path = path;
    state->target = target;
    std::weak_ptr<State> weak = state;
    const bool watched = WatchFd(fd, kFdRead, [weak](int listenFd, unsigned) {
        auto self = weak.lock();
        if (!self) return;
        const int connection = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0) return;
        if (self->pending.size() >= kMaxPending) {  // clients that never finish
            close(connection);
            return;
        }
        self->pending[connection];
        WatchFd(connection, kFdRead, [weak](int c, unsigned events) {
            if (auto s = weak.lock()) s->OnConnection(c, events);
        });
    });
    if (!watched) {
        close(fd);
        unlink(path.c_str());
        return false;
    }
    m_state = std::move(state);
    return true;
}

void ActivationReceiver::Close() {
    if (!m_state) return;
    for (auto& [fd, bytes] : m_state->pending) {
        UnwatchFd(fd);
        close(fd);
    }
    UnwatchFd(m_state->listenFd);
    close(m_state->listenFd);
    unlink(m_state->path.c_str());
    m_state.reset();
}

bool SendToWindowOfClass(std::u16string_view windowClass, UINT message, WPARAM wParam,
                         LPARAM lParam, LRESULT* result, DWORD timeoutMs) {
    sockaddr_un address;
    if (!MakeAddress(ActivationSocketPath(windowClass), address)) return false;
    const int fd = ConnectTo(address);
    if (fd < 0) return false;  // no such window
    const Request request{kRequestMagic, message, static_cast<std::uint64_t>(wParam),
                          static_cast<std::int64_t>(lParam)};
    bool answered = false;
    if (send(fd, &request, sizeof request, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof request)) {
        Reply reply{};
        std::size_t got = 0;
        // Real time, not the replaceable clock: the other process runs on its own.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got < sizeof reply) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{fd, POLLIN, 0};
            const int ready = poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 0x7FFFFFFF)));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) break;
            const ssize_t n = recv(fd, reinterpret_cast<char*>(&reply) + got, sizeof reply - got, 0);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        if (got == sizeof reply && reply.magic == kReplyMagic) {
            answered = true;
            if (result) *result = static_cast<LRESULT>(reply.result);
        }
    }
    close(fd);
    return answered;
}

}  // namespace qv::os

