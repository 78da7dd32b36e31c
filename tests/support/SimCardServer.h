#pragma once
// Serves a SimCard on a local socket for the sim HID backend
// (QV_HID_BACKEND=sim, platform/hid/SimWire.h): enumeration, open, writes
// handed to the card, the card's reports to every open device, arrival and
// removal events to monitors. One thread of its own, stopped and joined by
// Stop or the destructor. The card must outlive the server.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/SimCard.h"

namespace qv::test {

class SimCardServer {
public:
    explicit SimCardServer(SimCard& card);
    ~SimCardServer();
    SimCardServer(const SimCardServer&) = delete;
    SimCardServer& operator=(const SimCardServer&) = delete;

    // Listens on socketPath (a stale socket file there is replaced) and takes
    // over the card's report sink and plug handler. False when it cannot.
    bool Start(const std::string& socketPath);
    void Stop();

    // The interface path of the card under the given product id.
    static std::u16string CardPath(std::uint16_t productId);
    // Told of every arrival and removal after the server has handled it.
    void SetPlugObserver(std::function<void(bool plugged, std::uint16_t productId)> observer);
    // Reports dropped because a reader fell too far behind.
    int DroppedReports() const;
    // Clients subscribed to arrival and removal now.
    int MonitorCount() const;
    // Subscriptions to arrival and removal made since the server started.
    int MonitorSubscriptions() const;
    // Devices opened, and their connections gone, since the server started.
    int DeviceOpens() const;
    int DeviceCloses() const;
    // Waits until the server has closed its side of every connection (it
    // notices a client's close on its own thread); false after timeoutMs.
    bool WaitForNoClients(int timeoutMs) const;

private:
    enum class Role { New, Control, Reports, Monitor };
    struct Client {
        int fd = -1;
        Role role = Role::New;
        std::uint32_t session = 0;
        std::uint64_t generation = 0;  // plug generation the device was opened in
    };

    void Run();
    void Serve(int fd);
    void Drop(int fd);
    std::vector<std::uint8_t> Enumerate(const std::vector<std::uint8_t>& request);
    std::vector<std::uint8_t> Open(int fd, const std::vector<std::uint8_t>& request);
    std::vector<std::uint8_t> Write(int fd, const std::vector<std::uint8_t>& request);
    // Each sends its own reply under the lock that makes the client a
    // reader or monitor, so no report or event can overtake the reply.
    void Attach(int fd, const std::vector<std::uint8_t>& request);
    void Subscribe(int fd);
    void PushReport(const std::uint8_t* payload, int length);
    void OnPlug(bool plugged, std::uint16_t productId);
    Client* Find(int fd);

    SimCard& m_card;
    std::string m_socketPath;
    int m_listenFd = -1;
    int m_wakeFd = -1;
    std::thread m_thread;

    mutable std::mutex m_mutex;  // guards the clients; fds close only under it
    mutable std::condition_variable m_clientsChanged;
    int m_subscriptions = 0;     // guarded by m_mutex
    int m_deviceOpens = 0;       // guarded by m_mutex
    int m_deviceCloses = 0;      // guarded by m_mutex
    std::vector<Client> m_clients;
    std::uint64_t m_generation = 0;
    std::uint32_t m_nextSession = 1;
    int m_droppedReports = 0;
    std::function<void(bool, std::uint16_t)> m_plugObserver;
};

}  // namespace qv::test
