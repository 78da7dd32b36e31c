#include "platform/ui/desktop/Spawn.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "platform/os/Log.h"

extern char** environ;

namespace qv::desktop {
namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::vector<char*> Pointers(std::vector<std::string>& args) {
    std::vector<char*> out;
    for (std::string& a : args) out.push_back(a.data());
    out.push_back(nullptr);
    return out;
}

}  // namespace

std::optional<std::string> FindExecutable(const std::string& name) {
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string::npos) {
        if (IsExecutableFile(name)) return name;
        return std::nullopt;
    }
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!dirs.empty()) {
        const std::size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        dirs = colon == std::string_view::npos ? std::string_view{} : dirs.substr(colon + 1);
        std::string candidate(dir.empty() ? std::string_view(".") : dir);
        candidate += '/';
        candidate += name;
        if (IsExecutableFile(candidate)) return candidate;
    }
    return std::nullopt;
}

bool SpawnDetached(const std::vector<std::string>& argv) {
    if (argv.empty()) return false;
    std::vector<std::string> args = {"/bin/sh", "-c", "\"$0\" \"$@\" &"};
    args.insert(args.end(), argv.begin(), argv.end());
    std::vector<char*> pointers = Pointers(args);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, "/bin/sh", nullptr, nullptr, pointers.data(), environ);
    if (rc != 0) {
        QV_LOGE("cannot start %s: errno %d", argv[0].c_str(), rc);
        return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        QV_LOGE("cannot start %s: status %d", argv[0].c_str(), status);
        return false;
    }
    return true;
}

std::optional<pid_t> SpawnWithOutput(const std::vector<std::string>& argv, int* stdoutFd) {
    if (argv.empty()) return std::nullopt;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        QV_LOGE("pipe failed: errno %d", errno);
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<std::string> args = argv;
    std::vector<char*> pointers = Pointers(args);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, args[0].c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        QV_LOGE("cannot start %s: errno %d", argv[0].c_str(), rc);
        close(fds[0]);
        return std::nullopt;
    }
    *stdoutFd = fds[0];
    return pid;
}

}  // namespace qv::desktop
