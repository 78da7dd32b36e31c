#include "platform/os/AtomicFile.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <sys/random.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

#include "platform/os/Log.h"

namespace qv::os {
namespace {

constexpr int kTempNameAttempts = 100;

std::atomic<BeforeReplaceHook> g_beforeReplace{nullptr};
std::atomic<TempNameHook> g_tempName{nullptr};

// Six letters or digits from the kernel's random source.
std::string RandomSuffix() {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char random[6] = {};
    if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        const auto seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (std::size_t i = 0; i < sizeof random; ++i) random[i] = static_cast<unsigned char>(seed >> (8 * i));
    }
    std::string suffix;
    for (unsigned char r : random) suffix.push_back(kAlphabet[r % (sizeof kAlphabet - 1)]);
    return suffix;
}

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

std::optional<std::string> ReadToEndUncaught(int fd, std::size_t expected, std::size_t limit) {
    std::string content;
    content.reserve(expected < limit ? expected : limit);
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        if (static_cast<std::size_t>(n) > limit - content.size()) {
            errno = EFBIG;
            return std::nullopt;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    return content;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

void SetBeforeReplaceHook(BeforeReplaceHook hook) { g_beforeReplace.store(hook); }

void SetTempNameHook(TempNameHook hook) { g_tempName.store(hook); }

std::optional<std::string> ResolveLinks(const std::string& path) {
    // The kernel follows the links, with its own protections (a link in a
    // sticky folder owned by another user is not followed).
    UniqueFd fd(open(path.c_str(), O_PATH | O_CLOEXEC));
    if (!fd) {
        if (errno != ENOENT) return std::nullopt;
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        // A link that names nothing yet: its file is made where it points,
        // empty until the caller replaces it.
        fd.Reset(open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644));
        if (!fd) return std::nullopt;
    }
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd.Get());
    std::vector<char> target(PATH_MAX + 1);
    const ssize_t n = readlink(link, target.data(), target.size() - 1);
    if (n <= 0 || target[0] != '/') {
        errno = ENOENT;
        return std::nullopt;
    }
    return std::string(target.data(), static_cast<std::size_t>(n));
}

UniqueFd CreateTempFileBeside(const std::string& target, std::string& tempPath) {
    const TempNameHook hook = g_tempName.load();
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        tempPath = hook ? hook(target, attempt) : target + ".tmp" + RandomSuffix();
        // O_EXCL|O_NOFOLLOW: whatever sits at the name (a file, a planted
        // link) is left alone and another name is tried.
        UniqueFd fd(open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return UniqueFd();
}

UniqueFd CreateFileInPlaceOf(const std::string& path, mode_t mode) {
    std::string temp;
    UniqueFd fd = CreateTempFileBeside(path, temp);
    if (!fd) return fd;
    // rename replaces a link at the name itself and refuses a folder.
    if (fchmod(fd.Get(), mode) != 0 || rename(temp.c_str(), path.c_str()) != 0) {
        const int savedErrno = errno;
        unlink(temp.c_str());
        errno = savedErrno;
        return UniqueFd();
    }
    return fd;
}

// The file a replace of path writes: path itself, or the file its links name.
static std::optional<std::string> ReplaceTarget(const std::string& path, LinkAtPath link) {
    if (link == LinkAtPath::Replace) return path;
    std::optional<std::string> target = ResolveLinks(path);
    if (!target) QV_LOGE("cannot follow the links of %s: %s", path.c_str(), std::strerror(errno));
    return target;
}

// Replaces the file at path with what write() puts into a new file beside it.
static bool ReplaceFileWith(const std::string& path, LinkAtPath link, const std::function<bool(int fd)>& write) {
    if (path.empty()) return false;
    const std::optional<std::string> target = ReplaceTarget(path, link);
    if (!target) return false;
    // A link that is to be replaced counts as no file: its target's mode is
    // not taken either.
    struct stat old {};
    const bool exists = lstat(target->c_str(), &old) == 0 && !S_ISLNK(old.st_mode);
    if (exists && !S_ISREG(old.st_mode)) {
        QV_LOGE("refused to replace %s: not a regular file", target->c_str());
        errno = EINVAL;
        return false;
    }
    std::string temp;
    UniqueFd fd = CreateTempFileBeside(*target, temp);
    if (!fd) {
        QV_LOGE("cannot create a temporary file beside %s: %s", target->c_str(), std::strerror(errno));
        return false;
    }
    const mode_t mode = exists ? (old.st_mode & 07777) : 0644;
    bool ok = fchmod(fd.Get(), mode) == 0 && write(fd.Get()) && fsync(fd.Get()) == 0;
    const int savedErrno = errno;
    if (close(fd.Release()) != 0) ok = false;
    if (!ok) {
        QV_LOGE("cannot write %s: %s", temp.c_str(), std::strerror(savedErrno));
        unlink(temp.c_str());
        errno = savedErrno;
        return false;
    }
    if (BeforeReplaceHook hook = g_beforeReplace.load(); hook && !hook(temp.c_str(), target->c_str())) {
        unlink(temp.c_str());
        return false;
    }
    if (rename(temp.c_str(), target->c_str()) != 0) {
        const int renameErrno = errno;
        QV_LOGE("cannot replace %s: %s", target->c_str(), std::strerror(renameErrno));
        unlink(temp.c_str());
        errno = renameErrno;
        return false;
    }
    // Make the rename itself durable.
    UniqueFd dir(open(FolderOf(*target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) fsync(dir.Get());
    return true;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, LinkAtPath link) {
    return ReplaceFileWith(path, link, [bytes](int fd) { return WriteAll(fd, bytes); });
}

bool CopyFileAtomically(const std::string& source, const std::string& path, LinkAtPath link) {
    struct stat info {};
    UniqueFd from = OpenRegularFile(source, info);
    if (!from) {
        QV_LOGE("cannot read %s: %s", source.c_str(), std::strerror(errno));
        return false;
    }
    return ReplaceFileWith(path, link, [&from](int fd) {
        char buffer[65536];
        for (;;) {
            const ssize_t n = read(from.Get(), buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return false;
            if (n == 0) return true;
            if (!WriteAll(fd, std::string_view(buffer, static_cast<std::size_t>(n)))) return false;
        }
    });
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

std::optional<std::string> ReadToEnd(int fd, std::size_t expected, std::size_t limit) {
    try {
        return ReadToEndUncaught(fd, expected, limit);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return std::nullopt;
    }
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit) {
    struct stat info {};
    UniqueFd fd = OpenRegularFile(path, info);
    if (!fd) return std::nullopt;
    return ReadToEnd(fd.Get(), static_cast<std::size_t>(info.st_size), limit);
}

}  // namespace qv::os
