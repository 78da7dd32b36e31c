#pragma once
// Runs tools/catalogsim as a child process for one test: the catalogue
// server on 127.0.0.1 at a free port, with switches or a JSON description,
// and the requests it received. Stopped (SIGTERM, waited for) by Stop or the
// destructor. Point the program at it with UseAsCatalogue before any worker
// starts.
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace qv::test {

class CatalogSim {
public:
    struct Request {
        std::string method;
        std::string path;
        std::string query;
        std::string contentType;
        std::string body;
    };

    // args: catalogsim's arguments ("--switch", "stalled", ...).
    explicit CatalogSim(std::vector<std::string> args = {});
    ~CatalogSim();
    CatalogSim(const CatalogSim&) = delete;
    CatalogSim& operator=(const CatalogSim&) = delete;

    // Answers from a JSON description (see tools/catalogsim) instead of the
    // regular catalogue; before Start.
    void Describe(const std::string& json);

    // Starts it and waits until it listens.
    bool Start();
    // Starts it without waiting for it to listen.
    bool Launch();
    // Ends it; its raw wait status, nullopt when it was not running or had
    // to be killed.
    std::optional<int> Stop();
    // "http://127.0.0.1:PORT".
    const std::string& Base() const { return m_base; }
    // Sets QV_CATALOGUE_URL to this server's "/tuning" base.
    void UseAsCatalogue() const;
    std::vector<Request> Requests() const;

private:
    std::vector<std::string> m_args;
    std::string m_dir;
    std::string m_base;
    pid_t m_pid = -1;
    int m_output = -1;  // catalogsim's standard output until it listens
};

}  // namespace qv::test
