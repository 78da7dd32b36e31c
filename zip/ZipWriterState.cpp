#include "zip/ZipWriterState.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

#include "platform/os/Path.h"
#include "platform/os/Utf.h"
#include "zip/ZipTime.h"

using namespace qv::zip;

namespace {

constexpr std::uint64_t kMax32 = 0xFFFFFFFFu;
constexpr std::size_t kMaxEntries = 0xFFFF;
constexpr unsigned kCipherHeaderLength = 12;
constexpr int kDeflateLevel = 8;

// Archives and compressed files gain nothing from deflate.
bool HasStoredSuffix(const std::u16string& name) {
    const std::size_t dot = name.rfind(u'.');
    if (dot == std::u16string::npos) return false;
    const std::u16string_view suffix = std::u16string_view(name).substr(dot);
    for (std::u16string_view stored : {u".Z", u".zip", u".zoo", u".arc", u".lzh", u".arj", u".gz", u".tgz"})
        if (qv::os::EqualsNoCase(suffix, stored)) return true;
    return false;
}

// An absolute name, or one with a ".." part, would unpack outside the
// folder the archive is unpacked in.
bool LeavesTheFolder(std::u16string_view name) {
    if (name.front() == u'/') return true;
    for (std::size_t start = 0; start <= name.size();) {
        const std::size_t end = std::min(name.find(u'/', start), name.size());
        if (name.substr(start, end - start) == u"..") return true;
        start = end + 1;
    }
    return false;
}

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

ZipResult OpenSource(EntrySource& source, const ZipSource& spec) {
    switch (spec.kind) {
        case ZipSource::Kind::File:
            return spec.fileName ? source.OpenFile(qv::os::NativePath(spec.fileName)) : kZipBadArguments;
        case ZipSource::Kind::Descriptor:
            return source.OpenDescriptor(spec.fd, spec.length);
        case ZipSource::Kind::Memory:
            return source.OpenMemory(spec.data, spec.size);
    }
    return kZipBadArguments;
}

// The writer's side of the compressor: input from the entry's source, output
// into the archive. After a failed write the input is cut short, since
// nothing more can land.
class EntryStream : public IDeflateStream {
public:
    EntryStream(ZipWriterState& state, EntrySource& source) : m_state(state), m_source(source) {}

    int ReadInput(std::uint8_t* buffer, unsigned size) override {
        return m_writeResult == kZipOk ? m_source.Read(buffer, size) : 0;
    }
    void WriteOutput(const std::uint8_t* data, unsigned length) override {
        if (m_writeResult == kZipOk) m_writeResult = m_state.Write(data, length);
    }
    ZipResult WriteResult() const { return m_writeResult; }

private:
    ZipWriterState& m_state;
    EntrySource& m_source;
    ZipResult m_writeResult = kZipOk;
};

}  // namespace

ZipResult ZipWriterState::Open(const ZipTarget& target, const char* password) {
    if (password && *password) m_password = password;
    switch (target.kind) {
        case ZipTarget::Kind::File:
            return target.fileName ? m_output.OpenFile(qv::os::NativePath(target.fileName)) : kZipBadArguments;
        case ZipTarget::Kind::Descriptor:
            return m_output.OpenDescriptor(target.fd);
        case ZipTarget::Kind::Memory:
            return m_output.OpenMemory(target.buffer, target.capacity);
    }
    return kZipBadArguments;
}

ZipResult ZipWriterState::AddEntry(const char16_t* name, const ZipSource* source) {
    if (m_error != kZipOk) return kZipPreviousError;
    if (m_ended) return kZipEnded;
    ZipResult result;
    try {
        result = WriteEntry(name ? name : u"", source);
    } catch (const std::bad_alloc&) {
        result = kZipNoMemory;
    }
    m_encrypting = false;
    if (result != kZipOk) m_error = result;
    return result;
}

// Writes one entry: the local header, the data, then the completed sizes.
ZipResult ZipWriterState::WriteEntry(std::u16string name, const ZipSource* source) {
    const bool folder = source == nullptr;
    std::replace(name.begin(), name.end(), u'\\', u'/');
    if (name.empty() || LeavesTheFolder(name)) return kZipBadArguments;
    if (folder && name.back() != u'/') name += u'/';

    ZipEntryRecord record;
    record.name = qv::os::Utf16ToUtf8(name);
    if (record.name.size() > kMaxNameBytes) return kZipBadArguments;
    if (m_entries.size() >= kMaxEntries || m_output.Written() > kMax32) return kZipBadArguments;
    record.method = folder || HasStoredSuffix(name) ? kMethodStored : kMethodDeflated;

    EntrySource entrySource;
    if (folder) {
        entrySource.OpenFolder();
    } else if (const ZipResult opened = OpenSource(entrySource, *source); opened != kZipOk) {
        return opened;
    }
    // An archive inside a folder being zipped would read itself forever.
    dev_t device = 0;
    ino_t inode = 0;
    if (m_output.FileIdentity(device, inode) && entrySource.IsFile(device, inode)) return kZipBadArguments;
    const bool encrypted = m_password.has_value() && !folder;
    const unsigned cipherHeader = encrypted ? kCipherHeaderLength : 0;
    const std::int64_t size = entrySource.Size();
    const bool stored = record.method == kMethodStored;
    if (stored && size >= 0 && static_cast<std::uint64_t>(size) + cipherHeader > kMax32) return kZipBadArguments;

    record.flags = kFlagDataDescriptor;
    if (encrypted) record.flags |= kFlagEncrypted;
    if (!IsAscii(record.name)) record.flags |= kFlagUtf8Name;
    record.dosStamp = DosStamp(entrySource.LastWrite());
    // Unknown sizes are 0 until the data is written.
    record.compressedSize = stored && size >= 0 ? static_cast<std::uint32_t>(size) + cipherHeader : 0;
    record.uncompressedSize = size >= 0 ? static_cast<std::uint32_t>(size) : 0;
    record.externalAttributes = entrySource.Attributes();
    record.localHeaderOffset = static_cast<std::uint32_t>(m_output.Written());
    SetTimeExtras(record, UnixTime32(entrySource.LastWrite()), UnixTime32(entrySource.LastAccess()),
                  UnixTime32(entrySource.Creation()));
    const std::vector<std::uint8_t> header = LocalHeader(record);
    if (Write(header.data(), header.size()) != kZipOk) return kZipWriteFailed;

    const std::int64_t anticipatedCompressed = size >= 0 || !stored ? std::int64_t{record.compressedSize} : -1;
    if (const ZipResult data = WriteData(entrySource, record, encrypted); data != kZipOk) return data;
    if (const ZipResult completed = CompleteEntry(record, encrypted, anticipatedCompressed); completed != kZipOk)
        return completed;
    m_entries.push_back(std::move(record));
    return kZipOk;
}

// The encryption header and the data; on success the record holds the
// CRC-32 and the real sizes.
ZipResult ZipWriterState::WriteData(EntrySource& source, ZipEntryRecord& record, bool encrypted) {
    const std::uint64_t dataStart = m_output.Written();
    if (encrypted) {
        m_cipher.Start(*m_password);
        // The last header byte lets readers check the password: with a data
        // descriptor it is the high byte of the DOS time.
        std::array<std::uint8_t, 12> header = m_cipher.MakeHeader(static_cast<std::uint8_t>(record.dosStamp >> 8));
        m_encrypting = true;
        if (const ZipResult written = Write(header.data(), header.size()); written != kZipOk) return written;
    }
    if (!source.IsFolder()) {
        const ZipResult data =
            record.method == kMethodStored ? CopyStored(source) : Deflate(source, &record.flags);
        if (data != kZipOk) return data;
    }
    m_encrypting = false;
    const std::uint64_t compressed = m_output.Written() - dataStart;
    if (source.TooLarge() || compressed > kMax32 || m_output.Written() > kMax32) return kZipBadArguments;
    record.crc = source.Crc();
    record.compressedSize = static_cast<std::uint32_t>(compressed);
    record.uncompressedSize = static_cast<std::uint32_t>(source.BytesRead());
    return kZipOk;
}

ZipResult ZipWriterState::CopyStored(EntrySource& source) {
    for (;;) {
        const int got = source.Read(m_copyBuffer.data(), static_cast<unsigned>(m_copyBuffer.size()));
        if (got <= 0) break;
        if (const ZipResult written = Write(m_copyBuffer.data(), static_cast<std::size_t>(got)); written != kZipOk)
            return written;
    }
    if (source.ReadFailed()) return kZipReadFailed;
    if (source.Size() >= 0 && source.BytesRead() != static_cast<std::uint64_t>(source.Size())) return kZipSizeMismatch;
    return kZipOk;
}

ZipResult ZipWriterState::Deflate(EntrySource& source, std::uint16_t* flags) {
    if (!m_deflate) m_deflate = std::make_unique<DeflateState>();
    EntryStream stream(*this, source);
    const ZipResult result = m_deflate->DeflateEntry(stream, flags, kDeflateLevel);
    if (stream.WriteResult() != kZipOk) return stream.WriteResult();
    if (source.ReadFailed()) return kZipReadFailed;
    return result;
}

// Where the output can go back and the entry is not encrypted, the local
// header is written again with the real values; otherwise it stays as it
// was, the central header repeats its flags, and a data descriptor follows.
ZipResult ZipWriterState::CompleteEntry(ZipEntryRecord& record, bool encrypted, std::int64_t anticipatedCompressed) {
    if (m_output.Seekable() && !encrypted) {
        record.flags &= static_cast<std::uint16_t>(~kFlagDataDescriptor);
        const std::vector<std::uint8_t> header = LocalHeader(record);
        return m_output.Rewrite(record.localHeaderOffset, header.data(), header.size());
    }
    record.flags &= static_cast<std::uint16_t>(~(kDeflateMaximumFlag | kDeflateFastFlag));
    // A stored entry's size cannot be left to the descriptor.
    if (record.method == kMethodStored && record.compressedSize != anticipatedCompressed) return kZipChangedMind;
    const std::array<std::uint8_t, 16> descriptor = DataDescriptor(record);
    return Write(descriptor.data(), descriptor.size()) == kZipOk ? kZipOk : kZipWriteFailed;
}

ZipResult ZipWriterState::Write(const std::uint8_t* data, std::size_t length) {
    if (!m_encrypting) return m_output.Write(data, length);
    if (m_scratch.size() < length) m_scratch.resize(2 * length);
    std::memcpy(m_scratch.data(), data, length);
    m_cipher.Encrypt(m_scratch.data(), length);
    return m_output.Write(m_scratch.data(), length);
}

ZipResult ZipWriterState::End() {
    if (m_ended) return kZipOk;
    m_ended = true;
    const std::uint64_t directoryOffset = m_output.Written();
    if (directoryOffset > kMax32) return kZipBadArguments;
    for (const ZipEntryRecord& record : m_entries) {
        const std::vector<std::uint8_t> header = CentralHeader(record);
        if (Write(header.data(), header.size()) != kZipOk) return kZipWriteFailed;
    }
    const std::uint64_t directorySize = m_output.Written() - directoryOffset;
    const std::array<std::uint8_t, 22> end =
        EndRecord(static_cast<std::uint16_t>(m_entries.size()), static_cast<std::uint32_t>(directorySize),
                  static_cast<std::uint32_t>(directoryOffset));
    if (Write(end.data(), end.size()) != kZipOk) return kZipWriteFailed;
    return m_output.Commit();
}
