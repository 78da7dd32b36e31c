#pragma once
// Runs tests/osx's helper program as a child with pipes on stdin and stdout.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/os/Folders.h"
#include "platform/os/Utf.h"
#include "tests/support/ChildEnd.h"

class ChildProcess {
public:
    explicit ChildProcess(std::initializer_list<std::string> args) {
        const std::string helper = qv::os::Utf16ToUtf8(qv::os::ExecutableFolder()) + "/osx_helper";
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return;
        std::vector<std::string> all{helper};
        all.insert(all.end(), args);
        m_pid = fork();
        if (m_pid == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[0]); close(in[1]); close(out[0]); close(out[1]);
            std::vector<char*> argv;
            for (auto& a : all) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(helper.c_str(), argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        m_stdin = in[1];
        m_stdout = out[0];
    }
    ~ChildProcess() {
        CloseStdin();
        if (m_stdout >= 0) close(m_stdout);
        if (m_pid > 0 && m_status < 0) Wait();
    }
    // One line of the child's output, without the line end.
    std::string ReadLine() {
        std::string line;
        char c;
        while (read(m_stdout, &c, 1) == 1 && c != '\n') line.push_back(c);
        return line;
    }
    void CloseStdin() {
        if (m_stdin >= 0) close(m_stdin);
        m_stdin = -1;
    }
    void Kill() { kill(m_pid, SIGKILL); }
    // The raw wait status; one that had not ended after a bounded wait is
    // killed (and the test fails).
    int Wait() {
        if (m_status < 0) m_status = qv::test::AwaitChild(m_pid, "osx_helper").value_or(SIGKILL);
        return m_status;
    }
    bool Exited() {
        if (m_status >= 0) return true;
        return waitpid(m_pid, &m_status, WNOHANG) == m_pid;
    }
    int ExitCode() { return WIFEXITED(Wait()) ? WEXITSTATUS(m_status) : -1; }

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    int m_status = -1;
};
