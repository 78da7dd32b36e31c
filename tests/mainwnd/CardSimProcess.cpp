#include "tests/mainwnd/CardSimProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

#include "tests/support/ChildEnd.h"

extern char** environ;

namespace qv::test {

CardSimProcess::~CardSimProcess() {
    if (m_input >= 0) close(m_input);
    EndChild(m_pid, "cardsim");
}

bool CardSimProcess::Start(const std::string& socketPath, const std::string& logPath,
                           const std::vector<std::string>& extraArgs) {
    m_log = logPath;
    std::vector<std::string> args = {QV_CARDSIM_EXE, "--socket", socketPath};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int input[2];
    if (pipe2(input, O_CLOEXEC) != 0) return false;
    m_input = input[1];
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int rc = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    if (rc != 0) {
        m_pid = -1;
        return false;
    }
    return WaitFor("cardsim: listening on", 1, 10000);
}

bool CardSimProcess::Command(const std::string& line) {
    const std::string text = line + "\n";
    return m_input >= 0 && write(m_input, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

bool CardSimProcess::Running() const { return m_pid > 0 && kill(m_pid, 0) == 0; }

int CardSimProcess::Count(const std::string& prefix) const {
    std::ifstream in(m_log);
    int count = 0;
    for (std::string line; std::getline(in, line);) count += line.rfind(prefix, 0) == 0;
    return count;
}

bool CardSimProcess::WaitFor(const std::string& prefix, int count, int timeoutMs) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Count(prefix) < count) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace qv::test
