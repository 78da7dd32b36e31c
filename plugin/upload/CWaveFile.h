#pragma once
// A RIFF/WAVE file of uncompressed PCM through a memory mapping of the whole
// file. Read mode maps an existing file read-only and gives its samples in
// place; reading never creates, cuts or writes a file. Write mode creates a
// file of a given format (or takes an empty one), maps room for 10 MiB and
// appends samples; only write mode sets the file's end, on Close or Trim.
// One thread at a time.
#include <cstdint>
#include <span>
#include <string>

#include "plugin/upload/PcmWaveFormat.h"

class CWaveFile {
public:
    // The room a new file is mapped with.
    static constexpr std::uint64_t kNewFileMapping = 0xA00000;

    CWaveFile() = default;
    virtual ~CWaveFile();
    CWaveFile(const CWaveFile&) = delete;
    CWaveFile& operator=(const CWaveFile&) = delete;

    // 1 at once when a file is mapped; 0 for no path. A file with content is
    // read: 1 with its format copied to `format` (when given), 0 when it is
    // no acceptable PCM WAV. A missing or empty file with a format given
    // becomes a new file in write mode (1). Anything else: 0, and no file is
    // created or changed.
    int Open(const std::u16string& path, PcmWaveFormat* format);
    // Copies min(data size, n) sample bytes; 0 without data, buffer or n.
    std::uint32_t Read(void* buffer, std::uint32_t n) const;
    // Write mode: appends n bytes when the mapping has room (n), else -1.
    std::int64_t Write(const void* buffer, std::uint32_t n);
    // Write mode: fills in the RIFF and data sizes and ends write mode.
    void UpdateHeader();
    std::uint64_t GetFileSize() const { return m_headerSize + m_dataSize; }
    // Whole seconds of sound; 0 without data.
    std::uint32_t GetDuration() const;
    std::uint32_t GetDataSize() const { return m_dataSize; }
    // Write mode: maps the file again with `size` bytes of room, keeping
    // what was written; 0 when size is below header + data, or on failure
    // (the file is then closed).
    int Reserve(std::uint64_t size);
    // Write mode: fills in the sizes, cuts the file at header + data and
    // maps it again in read mode. 0 on failure (the file is then closed).
    int Trim();
    // Writes header + data (sizes filled in) into a file at path, created or
    // replaced; 1 on success.
    int SaveAs(const std::u16string& path) const;
    // Write mode fills in the sizes and cuts the file at header + data;
    // every mode unmaps and closes. All sizes 0 afterwards.
    void Close();

    bool IsOpen() const { return m_base != nullptr; }
    bool IsWriteMode() const { return m_cursor != nullptr; }
    const PcmWaveFormat& Format() const { return m_format; }
    // The samples in place; empty without data.
    std::span<const std::uint8_t> Samples() const;
    // The offset of the first sample byte.
    std::uint64_t GetHeaderSize() const { return m_headerSize; }

private:
    int OpenForReading(int fd, std::uint64_t fileSize, PcmWaveFormat* format);
    int OpenForWriting(int fd, const PcmWaveFormat& format);
    bool ParseHeader(std::uint64_t fileSize);
    // Write mode: the header with the sizes of now at the start of the mapping.
    void WriteHeader();
    bool Map(std::uint64_t size, bool writable);
    void Unmap();

    int m_fd = -1;
    std::uint8_t* m_base = nullptr;
    std::uint8_t* m_data = nullptr;
    std::uint8_t* m_cursor = nullptr;  // null in read mode
    PcmWaveFormat m_format;
    std::uint64_t m_mappedSize = 0;
    int m_headerKnown = 0;
    std::uint32_t m_dataSize = 0;
    std::uint64_t m_headerSize = 0;
};
