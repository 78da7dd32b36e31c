#pragma once
// One archive being written: its output, the entries written so far, the
// cipher and the compressor, and the first error of an addition.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "zip/DeflateState.h"
#include "zip/EntrySource.h"
#include "zip/ZipCipher.h"
#include "zip/ZipOutput.h"
#include "zip/ZipRecords.h"
#include "zip/ZipWriter.h"

class ZipWriterState {
public:
    [[nodiscard]] ZipResult Open(const ZipTarget& target, const char* password);
    // Adds a file entry, or a folder when source is null. After a failure
    // every later addition gives kZipPreviousError.
    [[nodiscard]] ZipResult AddEntry(const char16_t* name, const ZipSource* source);
    // Writes the central directory and the end record once; later calls do
    // nothing. A file archive then takes its target's place.
    [[nodiscard]] ZipResult End();
    // Appends to the archive, through the cipher while an entry is encrypted.
    [[nodiscard]] ZipResult Write(const std::uint8_t* data, std::size_t length);

    const qv::zip::ZipOutput& Output() const { return m_output; }

private:
    ZipResult WriteEntry(std::u16string name, const ZipSource* source);
    ZipResult WriteData(qv::zip::EntrySource& source, qv::zip::ZipEntryRecord& record, bool encrypted);
    ZipResult CopyStored(qv::zip::EntrySource& source);
    ZipResult Deflate(qv::zip::EntrySource& source, std::uint16_t* flags);
    ZipResult CompleteEntry(qv::zip::ZipEntryRecord& record, bool encrypted, std::int64_t anticipatedCompressed);

    std::optional<std::string> m_password;
    qv::zip::ZipOutput m_output;
    ZipResult m_error = kZipOk;
    qv::zip::ZipCipher m_cipher;
    bool m_encrypting = false;
    std::vector<std::uint8_t> m_scratch;
    bool m_ended = false;
    std::unique_ptr<qv::zip::DeflateState> m_deflate;
    std::vector<qv::zip::ZipEntryRecord> m_entries;
    std::array<std::uint8_t, 16 * 1024> m_copyBuffer{};
};
