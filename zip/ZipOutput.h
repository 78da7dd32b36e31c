#pragma once
// Where an archive's bytes go: a file the writer creates, a descriptor the
// caller owns, or memory (the caller's buffer or an anonymous mapping the
// writer makes). Offsets are relative to the start of the archive, which for
// a descriptor is its position when the writer took it.
#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/types.h>

#include "zip/ZipResult.h"

namespace qv::zip {

class ZipOutput {
public:
    ZipOutput() = default;
    ZipOutput(const ZipOutput&) = delete;
    ZipOutput& operator=(const ZipOutput&) = delete;
    ~ZipOutput() { Close(); }

    // Writes a new temporary file beside the file path names (through its
    // links); Commit puts it in the file's place, Close without Commit
    // removes it, so an existing file changes only when the archive is
    // whole. kZipOpenFailed.
    [[nodiscard]] ZipResult OpenFile(const std::string& path);
    // Flushes the temporary file and renames it over the target;
    // kZipWriteFailed. Nothing to do for other outputs.
    [[nodiscard]] ZipResult Commit();
    // Uses fd from its current position and never closes it. It counts as
    // seekable when its position can be read and writes do not append.
    [[nodiscard]] ZipResult OpenDescriptor(int fd);
    // Uses buffer, or maps capacity bytes when it is null (kZipNoMemory).
    // A capacity of 0 is kZipMemoryFull.
    [[nodiscard]] ZipResult OpenMemory(void* buffer, std::uint32_t capacity);

    // Appends; kZipWriteFailed on a failed or short write, kZipMemoryFull
    // when the bytes would reach the end of the memory.
    [[nodiscard]] ZipResult Write(const std::uint8_t* data, std::size_t length);
    // Overwrites bytes already written at offset; kZipUnseekable when the
    // output cannot go back.
    [[nodiscard]] ZipResult Rewrite(std::uint64_t offset, const std::uint8_t* data, std::size_t length);

    bool Seekable() const { return m_seekable; }
    bool InMemory() const { return m_memory != nullptr; }
    std::uint8_t* Memory() const { return m_memory; }
    std::uint64_t Written() const { return m_written; }

    // The file the archive is written into (an input must never be it);
    // false for memory.
    bool FileIdentity(dev_t& device, ino_t& inode) const;
    // Unmaps the writer's own mapping and closes the writer's own file (a
    // temporary file not committed is removed).
    void Close();

private:
    int m_fd = -1;
    bool m_ownsFd = false;
    std::string m_tempPath;    // of a file output until committed
    std::string m_targetPath;
    std::uint64_t m_start = 0;
    bool m_seekable = false;
    std::uint8_t* m_memory = nullptr;
    std::uint32_t m_capacity = 0;
    bool m_ownsMapping = false;
    std::uint64_t m_written = 0;
};

}  // namespace qv::zip
