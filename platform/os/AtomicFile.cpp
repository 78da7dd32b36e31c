#include "platform/os/AtomicFile.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/os/Log.h"

namespace qv::os {
namespace {

constexpr int kMaxLinkHops = 40;

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

std::optional<std::string> ResolveLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        std::vector<char> target(PATH_MAX + 1);
        const ssize_t n = readlink(current.c_str(), target.data(), target.size() - 1);
        if (n <= 0) return current;
        std::string next(target.data(), static_cast<std::size_t>(n));
        // A relative link names a file beside the link.
        current = next.front() == '/' ? next : FolderOf(current) + "/" + next;
    }
    errno = ELOOP;
    return std::nullopt;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
    if (path.empty()) return false;
    const std::optional<std::string> target = ResolveLinks(path);
    if (!target) {
        QV_LOGE("cannot follow the links of %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    struct stat old {};
    const bool exists = stat(target->c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        QV_LOGE("refused to replace %s: not a regular file", target->c_str());
        return false;
    }
    std::vector<char> temp(target->begin(), target->end());
    const char suffix[] = ".tmpXXXXXX";
    temp.insert(temp.end(), suffix, suffix + sizeof suffix);  // with the terminator
    UniqueFd fd(mkostemp(temp.data(), O_CLOEXEC));
    if (!fd) {
        QV_LOGE("cannot create a temporary file beside %s: %s", target->c_str(), std::strerror(errno));
        return false;
    }
    const mode_t mode = exists ? (old.st_mode & 07777) : 0644;
    bool ok = fchmod(fd.Get(), mode) == 0 && WriteAll(fd.Get(), bytes) && fsync(fd.Get()) == 0;
    const int savedErrno = errno;
    if (close(fd.Release()) != 0) ok = false;
    if (!ok) {
        QV_LOGE("cannot write %s: %s", temp.data(), std::strerror(savedErrno));
        unlink(temp.data());
        return false;
    }
    if (BeforeReplaceHook hook = g_beforeReplace.load(); hook && !hook(temp.data(), target->c_str())) {
        unlink(temp.data());
        return false;
    }
    if (rename(temp.data(), target->c_str()) != 0) {
        QV_LOGE("cannot replace %s: %s", target->c_str(), std::strerror(errno));
        unlink(temp.data());
        return false;
    }
    // Make the rename itself durable.
    UniqueFd dir(open(FolderOf(*target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) fsync(dir.Get());
    return true;
}

UniqueFd OpenRegularFile(const std::string& path, struct stat& info) {
    // Looked at before the open, so no device is opened at all; the open is
    // non-blocking for a FIFO put there meanwhile, and checked again.
    if (stat(path.c_str(), &info) != 0) return UniqueFd();
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return UniqueFd();
    }
    UniqueFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd) return fd;
    if (fstat(fd.Get(), &info) != 0) return UniqueFd();
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return UniqueFd();
    }
    return fd;
}

std::optional<std::string> ReadToEnd(int fd, std::size_t expected) {
    std::string content;
    content.reserve(expected);
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    return content;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    struct stat info {};
    UniqueFd fd = OpenRegularFile(path, info);
    if (!fd) return std::nullopt;
    return ReadToEnd(fd.Get());
}

}  // namespace qv::os
