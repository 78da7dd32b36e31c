#include "zip/ZipRecords.h"

namespace qv::zip {
namespace {

constexpr std::uint32_t kLocalSignature = 0x04034B50;
constexpr std::uint32_t kCentralSignature = 0x02014B50;
constexpr std::uint32_t kDescriptorSignature = 0x08074B50;
constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::uint16_t kTimeExtraId = 0x5455;
constexpr std::uint8_t kTimeExtraFlags = 7;  // last write, last access, creation

// Writes little-endian fields one after the other.
class Fields {
public:
    explicit Fields(std::uint8_t* out) : m_out(out) {}
    Fields& U8(std::uint8_t v) {
        *m_out++ = v;
        return *this;
    }
    Fields& U16(std::uint16_t v) { return U8(static_cast<std::uint8_t>(v)).U8(static_cast<std::uint8_t>(v >> 8)); }
    Fields& U32(std::uint32_t v) {
        return U16(static_cast<std::uint16_t>(v)).U16(static_cast<std::uint16_t>(v >> 16));
    }
    template <class Bytes>
    Fields& Append(const Bytes& bytes) {
        for (auto b : bytes) U8(static_cast<std::uint8_t>(b));
        return *this;
    }

private:
    std::uint8_t* m_out;
};

// The fields local and central headers share, from the version needed on.
void CommonFields(Fields& f, const ZipEntryRecord& r) {
    f.U16(r.versionNeeded).U16(r.flags).U16(r.method);
    f.U16(static_cast<std::uint16_t>(r.dosStamp)).U16(static_cast<std::uint16_t>(r.dosStamp >> 16));
    f.U32(r.crc).U32(r.compressedSize).U32(r.uncompressedSize);
    f.U16(static_cast<std::uint16_t>(r.name.size()));
}

}  // namespace

void SetTimeExtras(ZipEntryRecord& record, std::uint32_t lastWrite, std::uint32_t lastAccess, std::uint32_t creation) {
    Fields(record.localExtra.data()).U16(kTimeExtraId).U16(13).U8(kTimeExtraFlags).U32(lastWrite).U32(lastAccess).U32(creation);
    Fields(record.centralExtra.data()).U16(kTimeExtraId).U16(5).U8(kTimeExtraFlags).U32(lastWrite);
}

std::vector<std::uint8_t> LocalHeader(const ZipEntryRecord& r) {
    std::vector<std::uint8_t> bytes(30 + r.name.size() + r.localExtra.size());
    Fields f(bytes.data());
    f.U32(kLocalSignature);
    CommonFields(f, r);
    f.U16(static_cast<std::uint16_t>(r.localExtra.size()));
    f.Append(r.name).Append(r.localExtra);
    return bytes;
}

std::vector<std::uint8_t> CentralHeader(const ZipEntryRecord& r) {
    std::vector<std::uint8_t> bytes(46 + r.name.size() + r.centralExtra.size());
    Fields f(bytes.data());
    f.U32(kCentralSignature).U16(r.versionMadeBy);
    CommonFields(f, r);
    f.U16(static_cast<std::uint16_t>(r.centralExtra.size()));
    f.U16(0).U16(0).U16(0);  // comment length, disk, internal attributes
    f.U32(r.externalAttributes).U32(r.localHeaderOffset);
    f.Append(r.name).Append(r.centralExtra);
    return bytes;
}

std::array<std::uint8_t, 16> DataDescriptor(const ZipEntryRecord& r) {
    std::array<std::uint8_t, 16> bytes{};
    Fields(bytes.data()).U32(kDescriptorSignature).U32(r.crc).U32(r.compressedSize).U32(r.uncompressedSize);
    return bytes;
}

std::array<std::uint8_t, 22> EndRecord(std::uint16_t entries, std::uint32_t directorySize,
                                       std::uint32_t directoryOffset) {
    std::array<std::uint8_t, 22> bytes{};
    Fields(bytes.data()).U32(kEndSignature).U16(0).U16(0).U16(entries).U16(entries).U32(directorySize).U32(directoryOffset).U16(0);
    return bytes;
}

}  // namespace qv::zip
