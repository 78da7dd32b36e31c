#include "tests/support/SimCardServer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/hid/HidPath.h"
#include "platform/hid/SimWire.h"
#include "platform/os/Utf.h"

namespace qv::test {

using namespace hid::simwire;

namespace {
constexpr int kReportBufferBytes = 1 << 20;
}

SimCardServer::SimCardServer(SimCard& card) : m_card(card) {}

SimCardServer::~SimCardServer() { Stop(); }

std::u16string SimCardServer::CardPath(std::uint16_t productId) {
    return hid::MakeDevicePath(SimCard::kVendorId, productId, u"cardsim&1");
}

bool SimCardServer::Start(const std::string& socketPath) {
    if (m_thread.joinable()) return false;
    sockaddr_un address{};
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    struct stat info{};
    if (lstat(socketPath.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) unlink(socketPath.c_str());

    m_listenFd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_listenFd < 0 || m_wakeFd < 0 ||
        bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0 ||
        listen(m_listenFd, 16) < 0) {
        if (m_listenFd >= 0) close(m_listenFd);
        if (m_wakeFd >= 0) close(m_wakeFd);
        m_listenFd = m_wakeFd = -1;
        return false;
    }
    m_socketPath = socketPath;
    m_card.SetReportSink([this](const std::uint8_t* p, int n) { PushReport(p, n); });
    m_card.SetPlugHandler([this](bool plugged, std::uint16_t pid) { OnPlug(plugged, pid); });
    m_thread = std::thread([this] { Run(); });
    return true;
}

void SimCardServer::Stop() {
    if (!m_thread.joinable()) return;
    m_card.SetReportSink(nullptr);
    m_card.SetPlugHandler(nullptr);
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(m_wakeFd, &one, sizeof one);
    m_thread.join();
    std::lock_guard<std::mutex> guard(m_mutex);
    for (auto& client : m_clients) close(client.fd);
    m_clients.clear();
    m_clientsChanged.notify_all();
    close(m_listenFd);
    close(m_wakeFd);
    m_listenFd = m_wakeFd = -1;
    unlink(m_socketPath.c_str());
}

void SimCardServer::SetPlugObserver(std::function<void(bool, std::uint16_t)> observer) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_plugObserver = std::move(observer);
}

int SimCardServer::DroppedReports() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_droppedReports;
}

int SimCardServer::MonitorCount() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    int count = 0;
    for (const auto& client : m_clients) count += client.role == Role::Monitor;
    return count;
}

int SimCardServer::MonitorSubscriptions() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_subscriptions;
}

bool SimCardServer::WaitForNoClients(int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_clientsChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                     [this] { return m_clients.empty(); });
}

void SimCardServer::Run() {
    for (;;) {
        std::vector<pollfd> fds{{m_wakeFd, POLLIN, 0}, {m_listenFd, POLLIN, 0}};
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            for (const auto& client : m_clients) fds.push_back({client.fd, POLLIN, 0});
        }
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents) return;
        if (fds[1].revents & POLLIN) {
            const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kReportBufferBytes, sizeof kReportBufferBytes);
                std::lock_guard<std::mutex> guard(m_mutex);
                m_clients.push_back({fd});
            }
        }
        for (std::size_t i = 2; i < fds.size(); ++i)
            if (fds[i].revents) Serve(fds[i].fd);
    }
}

SimCardServer::Client* SimCardServer::Find(int fd) {
    for (auto& client : m_clients)
        if (client.fd == fd) return &client;
    return nullptr;
}

int SimCardServer::DeviceOpens() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_deviceOpens;
}

int SimCardServer::DeviceCloses() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_deviceCloses;
}

void SimCardServer::Drop(int fd) {
    std::lock_guard<std::mutex> guard(m_mutex);
    for (auto it = m_clients.begin(); it != m_clients.end(); ++it) {
        if (it->fd == fd) {
            if (it->role == Role::Control) ++m_deviceCloses;
            close(fd);
            m_clients.erase(it);
            m_clientsChanged.notify_all();
            return;
        }
    }
}

void SimCardServer::Serve(int fd) {
    auto request = Receive(fd, 0);
    if (!request || request->empty()) {
        Drop(fd);
        return;
    }
    std::vector<std::uint8_t> reply;
    switch ((*request)[0]) {
    case kEnumerate: reply = Enumerate(*request); break;
    case kOpen: reply = Open(fd, *request); break;
    case kWrite: reply = Write(fd, *request); break;
    case kAttach: Attach(fd, *request); return;
    case kSubscribe: Subscribe(fd); return;
    default: Drop(fd); return;
    }
    std::lock_guard<std::mutex> guard(m_mutex);
    if (Find(fd)) Send(fd, reply, true);
}

std::vector<std::uint8_t> SimCardServer::Enumerate(const std::vector<std::uint8_t>& request) {
    Reader fields(request);
    auto vid = fields.U16();
    auto pid = fields.U16();
    std::vector<std::uint8_t> reply{kEnumerate};
    const std::uint16_t productId = m_card.ProductId();
    if (pid && m_card.IsPlugged() && *vid == SimCard::kVendorId && *pid == productId) {
        reply.push_back(1);
        PutU16(reply, SimCard::kVendorId);
        PutU16(reply, productId);
        PutPath(reply, CardPath(productId));
    } else {
        reply.push_back(0);
    }
    return reply;
}

std::vector<std::uint8_t> SimCardServer::Open(int fd, const std::vector<std::uint8_t>& request) {
    Reader fields(request);
    auto path = fields.Path();
    const std::uint16_t productId = m_card.ProductId();
    std::vector<std::uint8_t> reply{kOpen};
    std::lock_guard<std::mutex> guard(m_mutex);
    Client* client = Find(fd);
    if (!path || !client || client->role != Role::New || !m_card.IsPlugged() ||
        !os::EqualsNoCase(*path, CardPath(productId))) {
        reply.push_back(0);
        return reply;
    }
    client->role = Role::Control;
    ++m_deviceOpens;
    client->session = m_nextSession++;
    client->generation = m_generation;
    reply.push_back(1);
    PutU16(reply, SimCard::kInputReportLength);
    PutU16(reply, SimCard::kOutputReportLength);
    PutU32(reply, client->session);
    return reply;
}

std::vector<std::uint8_t> SimCardServer::Write(int fd, const std::vector<std::uint8_t>& request) {
    bool current = false;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        Client* client = Find(fd);
        current = client && client->role == Role::Control && client->generation == m_generation;
    }
    // A report is the output report length with report id 0, as Windows insists.
    const bool wellFormed = request.size() == 1 + SimCard::kOutputReportLength && request[1] == 0;
    bool written = false;
    if (current && wellFormed)
        written = m_card.ReceiveWrite(request.data() + 2, SimCard::kOutputReportLength - 1);
    return {kWrite, static_cast<std::uint8_t>(written ? 1 : 0)};
}

void SimCardServer::Attach(int fd, const std::vector<std::uint8_t>& request) {
    Reader fields(request);
    auto session = fields.U32();
    std::lock_guard<std::mutex> guard(m_mutex);
    Client* client = Find(fd);
    if (!client) return;
    const Client* control = nullptr;
    for (const auto& other : m_clients)
        if (session && other.role == Role::Control && other.session == *session) control = &other;
    bool taken = false;
    for (const auto& other : m_clients)
        if (session && other.role == Role::Reports && other.session == *session) taken = true;
    if (client->role != Role::New || !control || taken || control->generation != m_generation) {
        Send(fd, {kAttach, 0}, true);
        return;
    }
    client->role = Role::Reports;
    client->session = *session;
    client->generation = control->generation;
    Send(fd, {kAttach, 1}, true);
}

void SimCardServer::Subscribe(int fd) {
    std::lock_guard<std::mutex> guard(m_mutex);
    Client* client = Find(fd);
    if (!client) return;
    if (client->role != Role::New) {
        Send(fd, {kSubscribe, 0}, true);
        return;
    }
    // Events sent after this reply tell every later change.
    const bool plugged = m_card.IsPlugged();
    const std::uint16_t productId = m_card.ProductId();
    client->role = Role::Monitor;
    ++m_subscriptions;
    std::vector<std::uint8_t> reply{kSubscribe, static_cast<std::uint8_t>(plugged ? 1 : 0)};
    if (plugged) PutPath(reply, CardPath(productId));
    Send(fd, reply, true);
}

void SimCardServer::PushReport(const std::uint8_t* payload, int length) {
    std::vector<std::uint8_t> report(SimCard::kInputReportLength, 0);
    std::memcpy(report.data() + 1, payload,
                static_cast<std::size_t>(std::min(length, SimCard::kInputReportLength - 1)));
    std::lock_guard<std::mutex> guard(m_mutex);
    for (const auto& client : m_clients) {
        if (client.role != Role::Reports || client.generation != m_generation) continue;
        if (!Send(client.fd, report, true)) ++m_droppedReports;
    }
}

void SimCardServer::OnPlug(bool plugged, std::uint16_t productId) {
    std::vector<std::uint8_t> event{kEvent, static_cast<std::uint8_t>(plugged ? 0 : 1)};
    PutPath(event, CardPath(productId));
    std::lock_guard<std::mutex> guard(m_mutex);
    if (!plugged) {
        ++m_generation;
        // The devices opened before are gone: their reads and writes fail.
        for (const auto& client : m_clients)
            if (client.role == Role::Control || client.role == Role::Reports)
                shutdown(client.fd, SHUT_RDWR);
    }
    for (const auto& client : m_clients)
        if (client.role == Role::Monitor) Send(client.fd, event, true);
    if (m_plugObserver) m_plugObserver(plugged, productId);
}

}  // namespace qv::test
