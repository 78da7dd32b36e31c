#include "tests/zip/ZipInspect.h"


namespace qv::test {
namespace {

std::uint16_t ReadU16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

}  // namespace

std::uint32_t ReadU32(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(ReadU16(b, at) | ReadU16(b, at + 2) << 16);
}

std::optional<std::vector<InspectedEntry>> InspectZip(const Bytes& file, std::size_t prefix) {
    if (file.size() < prefix + 22) return std::nullopt;
    const std::size_t end = file.size() - 22;
    if (ReadU32(file, end) != 0x06054B50) return std::nullopt;
    const std::size_t count = ReadU16(file, end + 10);
    std::size_t at = prefix + ReadU32(file, end + 16);
    std::vector<InspectedEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        if (at + 46 > end || ReadU32(file, at) != 0x02014B50) return std::nullopt;
        InspectedEntry e;
        e.flags = ReadU16(file, at + 8);
        e.method = ReadU16(file, at + 10);
        e.dosStamp = ReadU32(file, at + 12);
        e.crc = ReadU32(file, at + 16);
        e.compressedSize = ReadU32(file, at + 20);
        e.uncompressedSize = ReadU32(file, at + 24);
        const std::size_t nameLength = ReadU16(file, at + 28);
        const std::size_t extraLength = ReadU16(file, at + 30);
        e.externalAttributes = ReadU32(file, at + 38);
        const std::size_t local = prefix + ReadU32(file, at + 42);
        e.name.assign(file.begin() + static_cast<long>(at + 46), file.begin() + static_cast<long>(at + 46 + nameLength));
        e.centralExtra.assign(file.begin() + static_cast<long>(at + 46 + nameLength),
                              file.begin() + static_cast<long>(at + 46 + nameLength + extraLength));
        at += 46 + nameLength + extraLength + ReadU16(file, at + 32);

        if (local + 30 > end || ReadU32(file, local) != 0x04034B50) return std::nullopt;
        e.localFlags = ReadU16(file, local + 6);
        e.localCompressedSize = ReadU32(file, local + 18);
        e.localUncompressedSize = ReadU32(file, local + 22);
        const std::size_t localName = ReadU16(file, local + 26);
        const std::size_t localExtra = ReadU16(file, local + 28);
        const std::size_t data = local + 30 + localName + localExtra;
        if (data + e.compressedSize > end) return std::nullopt;
        e.localExtra.assign(file.begin() + static_cast<long>(local + 30 + localName), file.begin() + static_cast<long>(data));
        e.data.assign(file.begin() + static_cast<long>(data), file.begin() + static_cast<long>(data + e.compressedSize));
        const std::size_t after = data + e.compressedSize;
        if (after + 16 <= end && ReadU32(file, after) == 0x08074B50)
            e.descriptor = Bytes(file.begin() + static_cast<long>(after), file.begin() + static_cast<long>(after + 16));
        entries.push_back(std::move(e));
    }
    return entries;
}

std::optional<Bytes> EntryContent(const InspectedEntry& entry) {
    if (entry.flags & 1) return std::nullopt;
    if (entry.method == 0) return entry.data;
    if (entry.method == 8) return InflateRaw(entry.data.data(), entry.data.size());
    return std::nullopt;
}

}  // namespace qv::test
