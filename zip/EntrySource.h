#pragma once
// The bytes of the entry being added, from a file, a descriptor or memory,
// with what the archive records about them. Reading keeps the CRC-32 and the
// byte count.
#include <cstdint>
#include <string>

#include <sys/types.h>

#include "zip/ZipResult.h"

namespace qv::zip {

// External attributes: DOS bits low, Unix mode bits high.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrUnixDirectory = 0x40000000;
inline constexpr std::uint32_t kAttrUnixFile = 0x80000000;
inline constexpr std::uint32_t kAttrOwnerRead = 0x01000000;
inline constexpr std::uint32_t kAttrOwnerWrite = 0x00800000;
inline constexpr std::uint32_t kAttrOwnerExecute = 0x00400000;
inline constexpr std::uint32_t kAttrFolder = 0x41C00010;

class EntrySource {
public:
    EntrySource() = default;
    EntrySource(const EntrySource&) = delete;
    EntrySource& operator=(const EntrySource&) = delete;
    ~EntrySource();

    // kZipOpenFailed when the file cannot be opened for reading or is not a
    // regular file (a FIFO or a device would never end; a stream is given as
    // a descriptor).
    [[nodiscard]] ZipResult OpenFile(const std::string& path);
    // A seekable descriptor is read from its start, with size, times and
    // attributes from the file; any other gets the given length (-1:
    // unknown) and the current time. kZipBadArguments for an invalid
    // descriptor or a length the format cannot hold.
    [[nodiscard]] ZipResult OpenDescriptor(int fd, std::int64_t length);
    // kZipBadArguments for a missing block or length 0.
    [[nodiscard]] ZipResult OpenMemory(const void* data, std::uint32_t length);
    void OpenFolder();

    // The next bytes: a count, 0 at the end. A read error also ends the
    // input and is remembered; so is input past 4 GiB, which is not read.
    int Read(std::uint8_t* buffer, unsigned size);

    std::uint32_t Attributes() const { return m_attributes; }
    std::int64_t Size() const { return m_size; }  // -1 when unknown
    std::int64_t LastWrite() const { return m_lastWrite; }
    std::int64_t LastAccess() const { return m_lastAccess; }
    std::int64_t Creation() const { return m_creation; }
    std::uint32_t Crc() const { return m_crc; }
    std::uint64_t BytesRead() const { return m_bytesRead; }
    bool ReadFailed() const { return m_readFailed; }
    bool TooLarge() const { return m_tooLarge; }
    bool IsFolder() const { return m_folder; }
    // The file read, when it is one (device and inode); false otherwise.
    bool IsFile(dev_t device, ino_t inode) const {
        return m_hasIdentity && m_device == device && m_inode == inode;
    }

private:
    void StampNow();

    int m_fd = -1;
    bool m_ownsFd = false;
    const std::uint8_t* m_memory = nullptr;
    std::uint32_t m_memoryLength = 0;
    std::uint32_t m_attributes = 0;
    std::int64_t m_size = -1;
    std::int64_t m_lastWrite = 0;
    std::int64_t m_lastAccess = 0;
    std::int64_t m_creation = 0;
    std::uint32_t m_crc = 0;
    std::uint64_t m_bytesRead = 0;
    bool m_readFailed = false;
    bool m_tooLarge = false;
    bool m_folder = false;
    bool m_hasIdentity = false;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

}  // namespace qv::zip
