#include "zip/EntrySource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "zip/ZipCrc32.h"

namespace qv::zip {
namespace {

constexpr std::uint64_t kMaxEntryBytes = 0xFFFFFFFFu;

std::uint32_t AttributesOf(const struct stat& st) {
    const bool readOnly = (st.st_mode & S_IWUSR) == 0;
    std::uint32_t attributes = kAttrOwnerRead;
    attributes |= S_ISDIR(st.st_mode) ? kAttrDirectory | kAttrUnixDirectory : kAttrUnixFile;
    attributes |= readOnly ? kAttrReadOnly : kAttrOwnerWrite;
    if (st.st_mode & S_IXUSR) attributes |= kAttrOwnerExecute;
    return attributes;
}

}  // namespace

EntrySource::~EntrySource() {
    if (m_ownsFd && m_fd >= 0) close(m_fd);
}

ZipResult EntrySource::OpenFile(const std::string& path) {
    // Non-blocking, so that a FIFO is not waited on before it is refused.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return kZipOpenFailed;
    m_fd = fd;
    m_ownsFd = true;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return kZipOpenFailed;
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return OpenDescriptor(fd, -1);
}

ZipResult EntrySource::OpenDescriptor(int fd, std::int64_t length) {
    if (fd < 0 || fcntl(fd, F_GETFD) < 0) return kZipBadArguments;
    m_fd = fd;
    struct stat st{};
    if (lseek(fd, 0, SEEK_CUR) >= 0 && fstat(fd, &st) == 0) {
        if (lseek(fd, 0, SEEK_SET) < 0) return kZipReadFailed;
        m_attributes = AttributesOf(st);
        m_size = S_ISDIR(st.st_mode) ? 0 : st.st_size;
        m_lastWrite = st.st_mtim.tv_sec;
        m_lastAccess = st.st_atim.tv_sec;
        // Linux keeps no creation time in stat; the status change time stands in.
        m_creation = st.st_ctim.tv_sec;
        m_hasIdentity = true;
        m_device = st.st_dev;
        m_inode = st.st_ino;
    } else {
        m_attributes = kAttrUnixFile;
        m_size = length < 0 ? -1 : length;
        StampNow();
    }
    if (m_size > static_cast<std::int64_t>(kMaxEntryBytes)) return kZipBadArguments;
    return kZipOk;
}

ZipResult EntrySource::OpenMemory(const void* data, std::uint32_t length) {
    if (!data || length == 0) return kZipBadArguments;
    m_memory = static_cast<const std::uint8_t*>(data);
    m_memoryLength = length;
    m_attributes = kAttrUnixFile;
    m_size = length;
    StampNow();
    return kZipOk;
}

void EntrySource::OpenFolder() {
    m_folder = true;
    m_attributes = kAttrFolder;
    m_size = 0;
    StampNow();
}

void EntrySource::StampNow() {
    const std::int64_t now = std::time(nullptr);
    m_lastWrite = m_lastAccess = m_creation = now;
}

int EntrySource::Read(std::uint8_t* buffer, unsigned size) {
    if (m_readFailed || m_tooLarge) return 0;
    if (m_bytesRead > kMaxEntryBytes) {
        m_tooLarge = true;
        return 0;
    }
    int got = 0;
    if (m_memory) {
        const std::uint64_t left = m_memoryLength - m_bytesRead;
        got = static_cast<int>(left < size ? left : size);
        std::memcpy(buffer, m_memory + m_bytesRead, static_cast<std::size_t>(got));
    } else if (m_fd >= 0) {
        ssize_t done;
        do done = read(m_fd, buffer, size);
        while (done < 0 && errno == EINTR);
        if (done < 0) {
            m_readFailed = true;
            return 0;
        }
        got = static_cast<int>(done);
    }
    m_crc = UpdateCrc32(m_crc, buffer, static_cast<std::size_t>(got));
    m_bytesRead += static_cast<std::uint64_t>(got);
    return got;
}

}  // namespace qv::zip
