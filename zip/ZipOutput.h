#pragma once
// Where an archive's bytes go: a file the writer creates, a descriptor the
// caller owns, or memory (the caller's buffer or an anonymous mapping the
// writer makes). Offsets are relative to the start of the archive, which for
// a descriptor is its position when the writer took it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "zip/ZipResult.h"

namespace qv::zip {

class ZipOutput {
public:
    ZipOutput() = default;
    ZipOutput(const ZipOutput&) = delete;
    ZipOutput& operator=(const ZipOutput&) = delete;
    ~ZipOutput() { Close(); }

    // Creates the file anew (an existing one is replaced); kZipOpenFailed.
    [[nodiscard]] ZipResult OpenFile(const std::string& path);
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

    // Unmaps the writer's own mapping and closes the writer's own file.
    void Close();

private:
    int m_fd = -1;
    bool m_ownsFd = false;
    std::uint64_t m_start = 0;
    bool m_seekable = false;
    std::uint8_t* m_memory = nullptr;
    std::uint32_t m_capacity = 0;
    bool m_ownsMapping = false;
    std::uint64_t m_written = 0;
};

}  // namespace qv::zip
