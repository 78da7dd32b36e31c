#include "plugin/upload/CWaveFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/Tick.h"
#include "platform/os/UniqueFd.h"
#include "plugin/upload/WaveHeader.h"

namespace {

std::uint64_t FileSizeOf(int fd) {
    struct stat info{};
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
}

bool IsRegularOrMissing(const std::string& path, bool* exists) {
    struct stat info{};
    if (stat(path.c_str(), &info) != 0) {
        *exists = false;
        return errno == ENOENT;
    }
    *exists = true;
    return S_ISREG(info.st_mode);
}

}  // namespace

CWaveFile::~CWaveFile() { Close(); }

int CWaveFile::Open(const std::u16string& path, PcmWaveFormat* format) {
    if (m_base) return 1;
    if (path.empty()) return 0;
    const std::string native = qv::os::NativePath(path);
    QV_TRACE("CreateFile -- tick1:%ld\n", static_cast<long>(qv::os::GetTickCount()));
    bool exists = false;
    if (!IsRegularOrMissing(native, &exists)) return 0;
    int result = 0;
    if (exists) {
        qv::os::UniqueFd fd(::open(native.c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd) return 0;
        const std::uint64_t size = FileSizeOf(fd.Get());
        if (size > 0) {
            result = OpenForReading(fd.Release(), size, format);
        } else if (format) {
            // An empty file becomes the new file: opened again for writing.
            qv::os::UniqueFd writable(::open(native.c_str(), O_RDWR | O_CLOEXEC));
            result = writable && FileSizeOf(writable.Get()) == 0 ? OpenForWriting(writable.Release(), *format) : 0;
        }
    } else if (format) {
        qv::os::UniqueFd fd(::open(native.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (fd) {
            result = OpenForWriting(fd.Release(), *format);
            if (!result) ::unlink(native.c_str());
        }
    }
    QV_TRACE("CreateFile -- tick2:%ld\n", static_cast<long>(qv::os::GetTickCount()));
    return result;
}

int CWaveFile::OpenForReading(int fd, std::uint64_t fileSize, PcmWaveFormat* format) {
    m_fd = fd;
    if (!Map(fileSize, false) || !ParseHeader(fileSize)) {
        Close();
        return 0;
    }
    if (format) *format = m_format;
    return 1;
}

int CWaveFile::OpenForWriting(int fd, const PcmWaveFormat& format) {
    m_fd = fd;
    if (format.formatTag != kWaveFormatPcm || format.channels == 0 || format.bitsPerSample == 0 ||
        ::ftruncate(m_fd, static_cast<off_t>(kNewFileMapping)) != 0 || !Map(kNewFileMapping, true)) {
        [[maybe_unused]] const int emptied = ::ftruncate(m_fd, 0);  // back to the empty file it was
        Close();
        return 0;
    }
    m_format = MakePcmFormat(format.channels, format.samplesPerSec, format.bitsPerSample);
    m_headerSize = kWaveHeaderBytes;
    m_dataSize = 0;
    m_data = m_base + kWaveHeaderBytes;
    m_cursor = m_data;
    m_headerKnown = 1;
    WriteHeader();
    return 1;
}

bool CWaveFile::ParseHeader(std::uint64_t fileSize) {
    const auto layout = ParseWaveHeader({m_base, static_cast<std::size_t>(fileSize)});
    if (!layout) return false;
    m_format = layout->format;
    m_data = m_base + layout->dataOffset;
    m_dataSize = layout->dataSize;
    m_headerSize = layout->dataOffset;
    m_headerKnown = 1;
    m_cursor = nullptr;
    return true;
}

void CWaveFile::WriteHeader() {
    if (const auto header = MakeWaveHeader(m_format, m_dataSize)) std::memcpy(m_base, header->data(), header->size());
}

bool CWaveFile::Map(std::uint64_t size, bool writable) {
    if (size == 0 || size > SIZE_MAX) return false;
    void* base = ::mmap(nullptr, static_cast<std::size_t>(size), writable ? PROT_READ | PROT_WRITE : PROT_READ,
                        writable ? MAP_SHARED : MAP_PRIVATE, m_fd, 0);
    if (base == MAP_FAILED) {
        QV_LOGE("mmap of %llu bytes failed", static_cast<unsigned long long>(size));
        return false;
    }
    m_base = static_cast<std::uint8_t*>(base);
    m_mappedSize = size;
    return true;
}

void CWaveFile::Unmap() {
    if (m_base) ::munmap(m_base, static_cast<std::size_t>(m_mappedSize));
    m_base = nullptr;
    m_mappedSize = 0;
}

std::uint32_t CWaveFile::Read(void* buffer, std::uint32_t n) const {
    if (!m_data || !buffer || n == 0 || m_dataSize == 0) return 0;
    const std::uint32_t count = std::min(m_dataSize, n);
    std::memcpy(buffer, m_data, count);
    return count;
}

std::int64_t CWaveFile::Write(const void* buffer, std::uint32_t n) {
    if (!m_cursor || (!buffer && n > 0)) return -1;
    const std::uint64_t used = static_cast<std::uint64_t>(m_cursor - m_base);
    if (n > m_mappedSize - used || m_dataSize + static_cast<std::uint64_t>(n) > kMaxWaveDataBytes) return -1;
    if (n > 0) std::memcpy(m_cursor, buffer, n);
    m_cursor += n;
    m_dataSize += n;
    return n;
}

void CWaveFile::UpdateHeader() {
    if (!m_cursor) return;
    WriteHeader();
    m_cursor = nullptr;
}

std::uint32_t CWaveFile::GetDuration() const {
    if (m_dataSize == 0 || m_format.avgBytesPerSec == 0) return 0;
    return m_dataSize / m_format.avgBytesPerSec;
}

std::span<const std::uint8_t> CWaveFile::Samples() const {
    if (!m_data || m_dataSize == 0) return {};
    return {m_data, m_dataSize};
}

int CWaveFile::Reserve(std::uint64_t size) {
    if (!m_cursor || size < GetFileSize()) return 0;
    const std::uint64_t cursorAt = static_cast<std::uint64_t>(m_cursor - m_base);
    Unmap();
    if (::ftruncate(m_fd, static_cast<off_t>(size)) != 0 || !Map(size, true)) {
        m_cursor = nullptr;
        Close();
        return 0;
    }
    m_data = m_base + m_headerSize;
    m_cursor = m_base + cursorAt;
    return 1;
}

int CWaveFile::Trim() {
    if (!m_cursor) return 0;
    UpdateHeader();
    const std::uint64_t size = GetFileSize();
    Unmap();
    if (::ftruncate(m_fd, static_cast<off_t>(size)) != 0 || !Map(size, false)) {
        Close();
        return 0;
    }
    m_data = m_base + m_headerSize;
    return 1;
}

int CWaveFile::SaveAs(const std::u16string& path) const {
    if (!m_base || path.empty()) return 0;
    std::vector<std::uint8_t> bytes(m_base, m_base + GetFileSize());
    if (m_cursor) {
        const auto header = MakeWaveHeader(m_format, m_dataSize);
        if (!header) return 0;
        std::copy(header->begin(), header->end(), bytes.begin());
    }
    const std::string native = qv::os::NativePath(path);
    qv::os::UniqueFd fd(::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd) return 0;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (n <= 0) return 0;
        done += static_cast<std::size_t>(n);
    }
    return 1;
}

void CWaveFile::Close() {
    const bool writing = m_cursor != nullptr;
    if (writing) UpdateHeader();
    const std::uint64_t end = GetFileSize();
    Unmap();
    if (m_fd >= 0) {
        if (writing && ::ftruncate(m_fd, static_cast<off_t>(end)) != 0) QV_LOGE("cannot set the end of the file");
        ::close(m_fd);
    }
    m_fd = -1;
    m_data = nullptr;
    m_cursor = nullptr;
    m_format = {};
    m_headerKnown = 0;
    m_dataSize = 0;
    m_headerSize = 0;
}
