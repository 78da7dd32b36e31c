#pragma once
// The cardsim tool run as a child: it serves the simulated card on a socket
// and logs every frame ("> " from the program, "< " to it) into a file.
#include <sys/types.h>

#include <string>
#include <vector>

namespace qv::test {

class CardSimProcess {
public:
    CardSimProcess() = default;
    ~CardSimProcess();
    CardSimProcess(const CardSimProcess&) = delete;
    CardSimProcess& operator=(const CardSimProcess&) = delete;

    // False when it did not start listening within 10 s. extraArgs: more of
    // cardsim's options ("--update").
    [[nodiscard]] bool Start(const std::string& socketPath, const std::string& logPath,
                             const std::vector<std::string>& extraArgs = {});
    bool Running() const;
    // One line of cardsim's commands ("notify 0=3", "status").
    bool Command(const std::string& line);

    // Log lines that start with the prefix ("> 90 00 00 00 00" is a session
    // close from the program).
    int Count(const std::string& prefix) const;
    bool WaitFor(const std::string& prefix, int count = 1, int timeoutMs = 15000) const;

private:
    pid_t m_pid = -1;
    int m_input = -1;  // cardsim's standard input
    std::string m_log;
};

}  // namespace qv::test
