#pragma once
// Reads back the structure of an archive the writer made: the end record,
// every central header and the local header it points to, and the data
// descriptor where one follows. Checks nothing itself beyond what parsing
// needs; tests compare the fields.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/zip/RawDeflate.h"

namespace qv::test {

struct InspectedEntry {
    // Central header.
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t dosStamp = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    std::uint32_t externalAttributes = 0;
    std::string name;
    Bytes centralExtra;
    // Local header as it stands in the archive.
    std::uint16_t localFlags = 0;
    std::uint32_t localCompressedSize = 0;
    std::uint32_t localUncompressedSize = 0;
    Bytes localExtra;
    Bytes data;  // the compressed (and maybe encrypted) bytes
    std::optional<Bytes> descriptor;  // the 16 bytes after the data, when its signature is there
};

// Parses an archive that starts `prefix` bytes into the file; nullopt when
// the records do not parse.
std::optional<std::vector<InspectedEntry>> InspectZip(const Bytes& file, std::size_t prefix = 0);

// The entry's bytes when it is stored or deflated without encryption.
std::optional<Bytes> EntryContent(const InspectedEntry& entry);

std::uint32_t ReadU32(const Bytes& bytes, std::size_t at);

}  // namespace qv::test
