#include "tests/support/CatalogSim.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/ChildEnd.h"

#ifndef QV_CATALOGSIM_EXE
#error "QV_CATALOGSIM_EXE names the catalogsim program"
#endif

namespace qv::test {
namespace {

std::string NewFolder() {
    char pattern[] = "/tmp/qv-catalogsim-XXXXXX";
    return mkdtemp(pattern) ? std::string(pattern) : std::string();
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

}  // namespace

CatalogSim::CatalogSim(std::vector<std::string> args) : m_args(std::move(args)), m_dir(NewFolder()) {}

CatalogSim::~CatalogSim() {
    Stop();
    if (!m_dir.empty()) std::filesystem::remove_all(m_dir);
}

void CatalogSim::Describe(const std::string& json) {
    const std::string path = m_dir + "/description.json";
    std::ofstream(path, std::ios::binary) << json;
    m_args.push_back("--description");
    m_args.push_back(path);
}

bool CatalogSim::Launch() {
    if (m_dir.empty() || m_pid > 0) return false;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return false;
    std::vector<std::string> args = {QV_CATALOGSIM_EXE, "--log", m_dir + "/requests.log"};
    args.insert(args.end(), m_args.begin(), m_args.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    m_pid = fork();
    if (m_pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    ::close(out[1]);
    if (m_pid < 0) {
        ::close(out[0]);
        return false;
    }
    m_output = out[0];
    return true;
}

bool CatalogSim::Start() {
    if (!Launch()) return false;
    // "catalogsim: listening on http://127.0.0.1:PORT"
    std::string line;
    pollfd waiter{m_output, POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&waiter, 1, 10000) > 0) {
        char buffer[256];
        const ssize_t n = ::read(m_output, buffer, sizeof buffer);
        if (n <= 0) break;
        line.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(m_output);
    m_output = -1;
    const std::string prefix = "catalogsim: listening on ";
    const std::size_t at = line.find(prefix);
    if (at == std::string::npos) {
        Stop();
        return false;
    }
    m_base = line.substr(at + prefix.size());
    m_base = m_base.substr(0, m_base.find('\n'));
    return true;
}

std::optional<int> CatalogSim::Stop() {
    if (m_output >= 0) ::close(m_output);
    m_output = -1;
    if (m_pid <= 0) return std::nullopt;
    const pid_t pid = m_pid;
    m_pid = -1;
    return EndChild(pid, "catalogsim");
}

void CatalogSim::UseAsCatalogue() const { setenv("QV_CATALOGUE_URL", (m_base + "/tuning").c_str(), 1); }

std::vector<CatalogSim::Request> CatalogSim::Requests() const {
    std::vector<Request> requests;
    std::ifstream log(m_dir + "/requests.log", std::ios::binary);
    std::string line;
    while (std::getline(log, line)) {
        const std::vector<std::string> fields = SplitTabs(line);
        if (fields.size() < 5) continue;
        requests.push_back(Request{fields[0], fields[1], fields[2], fields[3], FromHex(fields[4])});
    }
    return requests;
}

}  // namespace qv::test
