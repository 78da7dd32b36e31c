#include "platform/os/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/os/Log.h"
#include "platform/os/Utf.h"

namespace qv::os {
namespace {

// A folder only this user can enter; refuses one that someone else owns or
// that others may write to.
bool IsPrivateFolder(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
           (info.st_mode & 0077) == 0;
}

std::string FileNameFor(std::u16string_view name) {
    std::string file = Utf16ToUtf8(name);
    for (char& c : file)
        if (c == '/' || c == '\\') c = '_';
    return file;
}

}  // namespace

std::string UserRuntimeFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        if (IsPrivateFolder(runtime)) return runtime;
    }
    const std::string folder = "/tmp/quorvel-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        QV_LOGE("cannot make %s: %s", folder.c_str(), std::strerror(errno));
        return {};
    }
    if (!IsPrivateFolder(folder)) {
        QV_LOGE("%s is not a private folder of this user", folder.c_str());
        return {};
    }
    return folder;
}

InstanceLock::InstanceLock(std::u16string_view name) {
    const std::string folder = UserRuntimeFolder();
    if (!folder.empty()) m_path = folder + "/" + FileNameFor(name) + ".lock";
}

bool InstanceLock::TryAcquire() {
    if (m_fd >= 0) return true;
    if (m_path.empty()) return false;
    const int fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        QV_LOGE("cannot open %s: %s", m_path.c_str(), std::strerror(errno));
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) QV_LOGE("cannot lock %s: %s", m_path.c_str(), std::strerror(errno));
        close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void InstanceLock::Release() {
    if (m_fd < 0) return;
    flock(m_fd, LOCK_UN);
    close(m_fd);
    m_fd = -1;
}

}  // namespace qv::os
