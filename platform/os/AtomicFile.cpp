#include "platform/os/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/os/Log.h"

namespace qv::os {
namespace {

std::atomic<BeforeReplaceHook> g_beforeReplace{nullptr};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

void SetBeforeReplaceHook(BeforeReplaceHook hook) { g_beforeReplace.store(hook); }

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
    if (path.empty()) return false;
    std::vector<char> temp(path.begin(), path.end());
    const char suffix[] = ".tmpXXXXXX";
    temp.insert(temp.end(), suffix, suffix + sizeof suffix);  // with the terminator
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        QV_LOGE("cannot create a temporary file beside %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    struct stat old {};
    const mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
    const int savedErrno = errno;
    if (close(fd) != 0) ok = false;
    if (!ok) {
        QV_LOGE("cannot write %s: %s", temp.data(), std::strerror(savedErrno));
        unlink(temp.data());
        return false;
    }
    if (BeforeReplaceHook hook = g_beforeReplace.load(); hook && !hook(temp.data(), path.c_str())) {
        unlink(temp.data());
        return false;
    }
    if (rename(temp.data(), path.c_str()) != 0) {
        QV_LOGE("cannot replace %s: %s", path.c_str(), std::strerror(errno));
        unlink(temp.data());
        return false;
    }
    // Make the rename itself durable.
    const int dir = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return content;
}

}  // namespace qv::os
