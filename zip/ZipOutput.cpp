#include "zip/ZipOutput.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qv::zip {

ZipResult ZipOutput::OpenFile(const std::string& path) {
    m_fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0) return kZipOpenFailed;
    m_ownsFd = true;
    m_seekable = true;
    return kZipOk;
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
    m_memory = nullptr;
    m_ownsMapping = false;
    m_fd = -1;
    m_ownsFd = false;
}

}  // namespace qv::zip
