#pragma once
// Runs the real host program as a child in a folder of its own: the program,
// the platform library and the chosen plug-ins copied together, with its own
// data, runtime and simulated-card paths and the test plug-ins' log and
// control FIFO. Children still running when it goes are ended (SIGTERM,
// then a bounded wait).
#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

class HostSandbox {
public:
    HostSandbox();
    ~HostSandbox();
    HostSandbox(const HostSandbox&) = delete;
    HostSandbox& operator=(const HostSandbox&) = delete;

    // Copies a built test plug-in ("dorbII.so", "zenk.so", "noexport.so")
    // into the program folder under the given name.
    void InstallPlugin(const std::string& built, const std::string& as);

    // Starts the host; extra environment entries override the sandbox's.
    pid_t Start(const std::map<std::string, std::string>& extraEnv = {});
    // Starts another command (command[0] a path) with the same environment;
    // its output goes to outPath when one is given.
    pid_t StartCommand(const std::vector<std::string>& command, const std::map<std::string, std::string>& extraEnv,
                       const std::string& outPath = {});
    // Waits for the child to end by itself. Returns the raw wait status;
    // nullopt when it has not ended in time: it is killed then and the
    // running test fails naming it.
    std::optional<int> Wait(pid_t pid, int timeoutMs = 20000);
    // Whether the child still runs (it is not reaped here).
    bool Running(pid_t pid) const;
    // Asks the child to end (SIGTERM) and waits as Wait does.
    std::optional<int> End(pid_t pid, int timeoutMs = 10000);

    // Waits until the plug-ins' log holds a line starting with prefix.
    bool WaitForLog(const std::string& prefix, int timeoutMs = 15000) const;
    std::vector<std::string> LogLines() const;
    // Writes a line to the plug-in's control FIFO; false when no plug-in
    // listens.
    bool SendControl(const std::string& line) const;

    const std::string& Root() const { return m_root; }
    const std::string& ProgramFolder() const { return m_bin; }
    std::string AppDataFolder() const { return m_root + "/data/Quorvel"; }
    std::string StateFolder() const { return m_root + "/state/Quorvel"; }
    std::string SimSocket() const { return m_root + "/sim.sock"; }

private:
    std::string m_root;
    std::string m_bin;
    std::map<pid_t, std::string> m_children;  // started and not yet reaped, by name
};

// The whole text of a file; empty when it cannot be read.
std::string ReadFileText(const std::string& path);
