#include "PrivateBus.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <vector>

#include "tests/support/ChildEnd.h"

extern char** environ;

namespace qv::test {

PrivateBus::~PrivateBus() { EndChild(pid_, "dbus-daemon"); }

bool PrivateBus::Start() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    std::vector<std::string> args = {"dbus-daemon", "--session", "--nofork", "--nopidfile",
                                     "--print-address=" + std::to_string(fds[1])};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawnp(&pid_, "dbus-daemon", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        pid_ = -1;
        close(fds[0]);
        return false;
    }
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&p, 1, 15000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') address_ += c;
    close(fds[0]);
    return !address_.empty();
}

}  // namespace qv::test
