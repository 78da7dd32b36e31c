#include "tools/catalogsim/CatalogServer.h"

#include <httplib.h>

#include <chrono>
#include <thread>

namespace catalogsim {
namespace {

std::string Hex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        text.push_back(kDigits[c >> 4]);
        text.push_back(kDigits[c & 0xF]);
    }
    return text;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

CatalogServer::CatalogServer(Catalogue catalogue, std::string logPath)
    : m_catalogue(std::move(catalogue)), m_logPath(std::move(logPath)) {}

CatalogServer::~CatalogServer() { Stop(); }

int CatalogServer::Start() {
    m_server = std::make_unique<httplib::Server>();
    m_server->new_task_queue = [] { return new httplib::ThreadPool(16); };
    auto handler = [this](const httplib::Request& request, httplib::Response& response) { Handle(request, response); };
    m_server->Get(".*", handler);
    m_server->Post(".*", handler);
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0) return 0;
    m_thread = std::thread([this] {
        m_server->listen_after_bind();
        m_listenEnded = true;
    });
    if (!WaitUntilAccepting()) {
        m_thread.join();
        return 0;
    }
    return m_port;
}

void CatalogServer::Stop() {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_stopping = true;
    }
    m_stopped.notify_all();
    if (!m_thread.joinable()) return;
    // The server ignores a stop request that comes before its accept loop
    // runs (and must get only one), so it is made once the loop runs.
    if (WaitUntilAccepting()) m_server->stop();
    m_thread.join();
}

bool CatalogServer::WaitUntilAccepting() const {
    while (!m_server->is_running() && !m_listenEnded) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !m_listenEnded;
}

bool CatalogServer::Wait(int ms) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (ms < 0) {
        m_stopped.wait(lock, [this] { return m_stopping; });
        return false;
    }
    return !m_stopped.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping; });
}

std::string CatalogServer::Expand(const std::string& text) const {
    std::string expanded = text;
    ReplaceAll(expanded, "{base}", Base());
    return expanded;
}

void CatalogServer::Log(const httplib::Request& request) {
    const std::size_t mark = request.target.find('?');
    const std::string query = mark == std::string::npos ? std::string() : request.target.substr(mark + 1);
    const std::string line = request.method + "\t" + request.path + "\t" + query + "\t" +
                             request.get_header_value("Content-Type") + "\t" + Hex(request.body) + "\n";
    std::lock_guard<std::mutex> guard(m_mutex);
    if (std::FILE* log = std::fopen(m_logPath.c_str(), "a")) {
        std::fputs(line.c_str(), log);
        std::fclose(log);
    }
}

void CatalogServer::Handle(const httplib::Request& request, httplib::Response& response) {
    Log(request);
    std::string route;
    const Reply* reply = m_catalogue.Find(request.method, request.path, request.body, route);
    if (!reply) {
        response.status = 404;
        response.set_content(R"({"message":"not found"})", "application/json");
        return;
    }
    if (!reply->first.empty()) {
        std::lock_guard<std::mutex> guard(m_mutex);
        const std::size_t answered = m_answered[route]++;
        if (answered < reply->first.size()) reply = &reply->first[answered];
    }
    if (reply->stall) {
        Wait(-1);
        response.status = 503;
        return;
    }
    if (reply->delayMs > 0 && !Wait(reply->delayMs)) {
        response.status = 503;
        return;
    }
    response.status = reply->status;
    if (!reply->location.empty()) response.set_header("Location", Expand(reply->location));
    if (reply->generated >= 0) {
        response.set_content_provider(static_cast<std::size_t>(reply->generated), reply->contentType,
                                      [this](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                          static const std::string chunk(65536, 'Q');
                                          (void)offset;
                                          if (!Wait(0)) return false;
                                          return sink.write(chunk.data(), std::min(length, chunk.size()));
                                      });
        return;
    }
    std::string body = Expand(reply->body);
    if (body.size() < reply->padTo) body.append(reply->padTo - body.size(), ' ');
    response.set_content(body, reply->contentType);
}

}  // namespace catalogsim
