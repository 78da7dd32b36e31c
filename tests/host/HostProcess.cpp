#include "tests/host/HostProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/os/Tick.h"
#include "tests/support/ChildEnd.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string MakeTempRoot() {
    std::string pattern = (fs::temp_directory_path() / "qvhost-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return {};
    return pattern;
}

}  // namespace

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

HostSandbox::HostSandbox() : m_root(MakeTempRoot()), m_bin(m_root + "/app") {
    fs::create_directories(m_bin);
    fs::create_directories(m_root + "/data");
    fs::create_directories(m_root + "/run");
    chmod((m_root + "/run").c_str(), 0700);
    fs::copy_file(QV_HOST_EXE, m_bin + "/quorvel");
    fs::copy_file(QV_PLATFORM_LIB, m_bin + "/" + fs::path(QV_PLATFORM_LIB).filename().string());
    mkfifo((m_root + "/control").c_str(), 0600);
}

HostSandbox::~HostSandbox() {
    while (!m_children.empty()) End(m_children.begin()->first);
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

void HostSandbox::InstallPlugin(const std::string& built, const std::string& as) {
    fs::copy_file(std::string(QV_TESTPLUGIN_DIR) + "/" + built, m_bin + "/" + as,
                  fs::copy_options::overwrite_existing);
}

pid_t HostSandbox::Start(const std::map<std::string, std::string>& extraEnv) {
    return StartCommand({m_bin + "/quorvel"}, extraEnv);
}

pid_t HostSandbox::StartCommand(const std::vector<std::string>& command,
                                const std::map<std::string, std::string>& extraEnv, const std::string& outPath) {
    std::map<std::string, std::string> env;
    for (char** e = environ; *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        if (eq) env[std::string(*e, static_cast<std::size_t>(eq - *e))] = eq + 1;
    }
    env["XDG_DATA_HOME"] = m_root + "/data";
    env["XDG_STATE_HOME"] = m_root + "/state";
    env["XDG_CONFIG_HOME"] = m_root + "/config";  // the usage report keeps its device id there
    env["XDG_RUNTIME_DIR"] = m_root + "/run";
    env["TMPDIR"] = m_root;
    env["QV_HID_BACKEND"] = "sim";
    env["QV_SIM_SOCKET"] = SimSocket();
    env["QV_TESTPLUGIN_LOG"] = m_root + "/plugin.log";
    env["QV_TESTPLUGIN_CONTROL"] = m_root + "/control";
    env.erase("QV_TESTPLUGIN_MODE");
    for (const auto& [key, value] : extraEnv) env[key] = value;

    std::vector<std::string> entries;
    for (const auto& [key, value] : env) entries.push_back(key + "=" + value);
    std::vector<char*> envp;
    for (auto& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = command;
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        if (!outPath.empty()) {
            const int fd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd >= 0) {
                dup2(fd, 1);
                dup2(fd, 2);
                close(fd);
            }
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (pid > 0) m_children[pid] = fs::path(command.front()).filename().string();
    return pid;
}

std::optional<int> HostSandbox::Wait(pid_t pid, int timeoutMs) {
    const auto child = m_children.find(pid);
    if (child == m_children.end()) return std::nullopt;  // not started here, or reaped already
    const std::string name = child->second;
    m_children.erase(child);
    // A test may have reaped it with waitpid of its own.
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 && errno == ECHILD)
        return std::nullopt;
    return qv::test::AwaitChild(pid, name, timeoutMs);
}

bool HostSandbox::Running(pid_t pid) const {
    siginfo_t info{};
    return m_children.count(pid) && waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
}

std::optional<int> HostSandbox::End(pid_t pid, int timeoutMs) {
    if (!m_children.count(pid)) return std::nullopt;
    // Not signalled once reaped elsewhere: its number may belong to another process.
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0) kill(pid, SIGTERM);
    return Wait(pid, timeoutMs);
}

std::vector<std::string> HostSandbox::LogLines() const {
    std::vector<std::string> lines;
    std::istringstream text(ReadFileText(m_root + "/plugin.log"));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

bool HostSandbox::WaitForLog(const std::string& prefix, int timeoutMs) const {
    const std::uint64_t end = qv::os::NowMs() + timeoutMs;
    do {
        for (const auto& line : LogLines())
            if (line.rfind(prefix, 0) == 0) return true;
        qv::os::SleepMs(20);
    } while (qv::os::NowMs() < end);
    return false;
}

bool HostSandbox::SendControl(const std::string& line) const {
    // Non-blocking: with no plug-in reading, the open fails instead of waiting.
    const int fd = open((m_root + "/control").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const std::string text = line + "\n";
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    return written;
}
