#include "zip/ZipOutput.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/os/AtomicFile.h"

namespace qv::zip {

ZipResult ZipOutput::OpenFile(const std::string& path) {
    const std::optional<std::string> target = qv::os::ResolveLinks(path);
    if (!target) return kZipOpenFailed;
    struct stat old {};
    if (stat(target->c_str(), &old) == 0 && !S_ISREG(old.st_mode)) return kZipOpenFailed;
    std::string temp;
    qv::os::UniqueFd fd = qv::os::CreateTempFileBeside(*target, temp);
    if (!fd) return kZipOpenFailed;
    // The permissions of the archive replaced, or those of a new file.
    fchmod(fd.Get(), old.st_mode ? (old.st_mode & 07777) : 0644);
    m_fd = fd.Release();
    m_ownsFd = true;
    m_seekable = true;
    m_tempPath = std::move(temp);
    m_targetPath = *target;
    return kZipOk;
}

ZipResult ZipOutput::Commit() {
    if (m_tempPath.empty()) return kZipOk;
    if (fsync(m_fd) != 0 || rename(m_tempPath.c_str(), m_targetPath.c_str()) != 0) return kZipWriteFailed;
    m_tempPath.clear();
    return kZipOk;
}

bool ZipOutput::FileIdentity(dev_t& device, ino_t& inode) const {
    struct stat info {};
    if (m_memory || m_fd < 0 || fstat(m_fd, &info) != 0) return false;
    device = info.st_dev;
    inode = info.st_ino;
    return true;
}

ZipResult ZipOutput::OpenDescriptor(int fd) {
    const int flags = fd >= 0 ? fcntl(fd, F_GETFL) : -1;
    if (flags < 0) return kZipBadArguments;
    m_fd = fd;
    const off_t position = lseek(fd, 0, SEEK_CUR);
    if (position < 0) return kZipOk;
    if (flags & O_APPEND) {
        // Every write lands at the end, so the archive starts there and no
        // header can be written over again.
        const off_t end = lseek(fd, 0, SEEK_END);
        m_start = end < 0 ? 0 : static_cast<std::uint64_t>(end);
        return kZipOk;
    }
    m_start = static_cast<std::uint64_t>(position);
    m_seekable = true;
    return kZipOk;
}

ZipResult ZipOutput::OpenMemory(void* buffer, std::uint32_t capacity) {
    if (capacity == 0) return kZipMemoryFull;
    if (!buffer) {
        buffer = mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (buffer == MAP_FAILED) return kZipNoMemory;
        m_ownsMapping = true;
    }
    m_memory = static_cast<std::uint8_t*>(buffer);
    m_capacity = capacity;
    m_seekable = true;
    return kZipOk;
}

ZipResult ZipOutput::Write(const std::uint8_t* data, std::size_t length) {
    if (m_memory) {
        // The memory is never filled to its last byte.
        if (m_written + length >= m_capacity) return kZipMemoryFull;
        std::memcpy(m_memory + m_written, data, length);
        m_written += length;
        return kZipOk;
    }
    if (m_fd < 0) return kZipNotInitialised;
    while (length > 0) {
        const ssize_t done = write(m_fd, data, length);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return kZipWriteFailed;
        data += done;
        length -= static_cast<std::size_t>(done);
        m_written += static_cast<std::uint64_t>(done);
    }
    return kZipOk;
}

ZipResult ZipOutput::Rewrite(std::uint64_t offset, const std::uint8_t* data, std::size_t length) {
    if (!m_seekable || offset + length > m_written) return kZipUnseekable;
    if (m_memory) {
        std::memcpy(m_memory + offset, data, length);
        return kZipOk;
    }
    std::uint64_t at = m_start + offset;
    while (length > 0) {
        const ssize_t done = pwrite(m_fd, data, length, static_cast<off_t>(at));
        if (done < 0 && errno == EINTR) continue;
        if (done < 0 && errno == ESPIPE) return kZipUnseekable;
        if (done <= 0) return kZipWriteFailed;
        data += done;
        length -= static_cast<std::size_t>(done);
        at += static_cast<std::uint64_t>(done);
    }
    return kZipOk;
}

void ZipOutput::Close() {
    if (m_ownsMapping && m_memory) munmap(m_memory, m_capacity);
    if (m_ownsFd && m_fd >= 0) close(m_fd);
    if (!m_tempPath.empty()) unlink(m_tempPath.c_str());
    m_tempPath.clear();
    m_memory = nullptr;
    m_ownsMapping = false;
    m_fd = -1;
    m_ownsFd = false;
}

}  // namespace qv::zip
