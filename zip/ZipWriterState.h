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

struct ZipWriterState {
    [[nodiscard]] ZipResult Open(const ZipTarget& target, const char* password);
    [[nodiscard]] ZipResult AddEntry(const char16_t* name, const ZipSource* source);
    // Writes the central directory and the end record once.
    [[nodiscard]] ZipResult End();
    // Appends to the archive, through the cipher while an entry is encrypted.
    [[nodiscard]] ZipResult Write(const std::uint8_t* data, std::size_t length);

    std::optional<std::string> password;
    qv::zip::ZipOutput output;
    ZipResult error = kZipOk;
    qv::zip::ZipCipher cipher;
    bool encrypting = false;
    std::vector<std::uint8_t> scratch;
    bool ended = false;
    std::unique_ptr<qv::zip::DeflateState> deflate;
    std::vector<qv::zip::ZipEntryRecord> entries;

private:
    ZipResult WriteEntry(const std::u16string& name, const ZipSource* source);
    ZipResult CopyStored(qv::zip::EntrySource& source);
    ZipResult Deflate(qv::zip::EntrySource& source, std::uint16_t* flags);

    std::array<std::uint8_t, 16 * 1024> m_copyBuffer{};
};
