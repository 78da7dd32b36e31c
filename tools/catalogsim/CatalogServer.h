#pragma once
// Serves a Catalogue over HTTP on 127.0.0.1 at a port the system picks, and
// appends one line per request to a log: method, path, query, content type
// and the body in hex, separated by tabs. Stalled and delayed replies end
// when the server stops. Start returns once the server accepts connections;
// Stop ends it whenever it comes, even while the listening thread is only
// starting.
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "tools/catalogsim/Catalogue.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace catalogsim {

class CatalogServer {
public:
    CatalogServer(Catalogue catalogue, std::string logPath);
    ~CatalogServer();
    CatalogServer(const CatalogServer&) = delete;
    CatalogServer& operator=(const CatalogServer&) = delete;

    // The port once connections are accepted, or 0 when the server could
    // not start.
    int Start();
    void Stop();
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(m_port); }

private:
    void Handle(const httplib::Request& request, httplib::Response& response);
    void Log(const httplib::Request& request);
    // Waits until the accept loop runs; false when it has ended instead.
    bool WaitUntilAccepting() const;
    // Waits up to ms (forever for -1); false when the server stopped meanwhile.
    bool Wait(int ms);
    std::string Expand(const std::string& text) const;

    Catalogue m_catalogue;
    std::string m_logPath;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    std::atomic<bool> m_listenEnded{false};
    int m_port = 0;
    std::mutex m_mutex;  // guards the log, the counts and the stop flag's waits
    std::map<std::string, std::size_t> m_answered;  // requests per route
    std::condition_variable m_stopped;
    bool m_stopping = false;
};

}  // namespace catalogsim
