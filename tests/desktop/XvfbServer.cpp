#include "XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/ChildEnd.h"

extern char** environ;

namespace qv::test {

XvfbServer::~XvfbServer() { EndChild(pid_, "Xvfb"); }

bool XvfbServer::Start(const std::string& size, const std::vector<std::string>& options) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    // -displayfd: the server picks a free display and writes its number.
    const std::string fdText = std::to_string(fds[1]);
    std::vector<std::string> args = {"Xvfb", "-displayfd", fdText, "-screen", "0", size + "x24",
                                     "-nolisten", "tcp", "-noreset"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        pid_ = -1;
        close(fds[0]);
        return false;
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&p, 1, 15000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return false;
    display_ = ":" + number;
    return true;
}

}  // namespace qv::test
