#include "platform/os/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/os/Log.h"
#include "platform/os/Utf.h"

namespace qv::os {
namespace {

// Why a folder is not private to this user; empty when it is.
std::string PrivacyProblem(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return path + ": " + std::strerror(errno);
    if (!S_ISDIR(info.st_mode)) return path + " is not a folder";
    if (info.st_uid != getuid()) return path + " belongs to another user";
    if ((info.st_mode & 0077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        return path + " is open to other users (mode " + mode + ")";
    }
    return {};
}

std::string FileNameFor(std::u16string_view name) {
    std::string file = Utf16ToUtf8(name);
    for (char& c : file)
        if (c == '/' || c == '\\') c = '_';
    return file;
}

}  // namespace

std::string UserRuntimeFolder(std::string* problem) {
    std::string folder;
    struct stat info {};
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime && runtime[0] == '/' && stat(runtime, &info) == 0) {
        folder = runtime;
    } else {
        folder = "/tmp/quorvel-" + std::to_string(getuid());
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            const std::string why = "cannot make " + folder + ": " + std::strerror(errno);
            QV_LOGE("%s", why.c_str());
            if (problem) *problem = why;
            return {};
        }
    }
    const std::string why = PrivacyProblem(folder);
    if (!why.empty()) {
        QV_LOGE("lock folder not private: %s", why.c_str());
        if (problem) *problem = "the lock folder " + why + "; it must be the user's own and closed to others";
        return {};
    }
    return folder;
}

InstanceLock::InstanceLock(std::u16string_view name) {
    const std::string folder = UserRuntimeFolder(&m_problem);
    if (!folder.empty()) m_path = folder + "/" + FileNameFor(name) + ".lock";
}

InstanceLock::Result InstanceLock::Acquire() {
    if (m_fd >= 0) return Result::Acquired;
    if (m_path.empty()) return Result::Unusable;
    // A holder removes the file before it lets go, so a lock taken on a file
    // that is no longer at the path is worth nothing: the path is opened again.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            m_problem = "cannot open the lock file " + m_path + ": " + std::strerror(errno);
            QV_LOGE("%s", m_problem.c_str());
            return Result::Unusable;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            close(fd);
            if (error == EWOULDBLOCK) return Result::HeldElsewhere;
            m_problem = "cannot lock " + m_path + ": " + std::strerror(error);
            QV_LOGE("%s", m_problem.c_str());
            return Result::Unusable;
        }
        struct stat locked {}, named {};
        if (fstat(fd, &locked) == 0 && lstat(m_path.c_str(), &named) == 0 && locked.st_dev == named.st_dev &&
            locked.st_ino == named.st_ino) {
            m_fd = fd;
            return Result::Acquired;
        }
        close(fd);
    }
    m_problem = "the lock file " + m_path + " keeps being replaced";
    QV_LOGE("%s", m_problem.c_str());
    return Result::Unusable;
}

void InstanceLock::Release() {
    if (m_fd < 0) return;
    // Removed while still held: whoever opens the path next makes a new file.
    unlink(m_path.c_str());
    flock(m_fd, LOCK_UN);
    close(m_fd);
    m_fd = -1;
}

}  // namespace qv::os
