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

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
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

}  // namespace

ZipResult ZipWriterState::Open(const ZipTarget& target, const char* text) {
    if (text && *text) password = text;
    switch (target.kind) {
        case ZipTarget::Kind::File:
            return target.fileName ? output.OpenFile(qv::os::NativePath(target.fileName)) : kZipBadArguments;
        case ZipTarget::Kind::Descriptor:
            return output.OpenDescriptor(target.fd);
        case ZipTarget::Kind::Memory:
            return output.OpenMemory(target.buffer, target.capacity);
    }
    return kZipBadArguments;
}

ZipResult ZipWriterState::AddEntry(const char16_t* name, const ZipSource* source) {
    if (error != kZipOk) return kZipPreviousError;
    if (ended) return kZipEnded;
    ZipResult result;
    try {
        result = WriteEntry(name ? name : u"", source);
    } catch (const std::bad_alloc&) {
        result = kZipNoMemory;
    }
    encrypting = false;
    if (result != kZipOk) error = result;
    return result;
}

// Writes one entry: local header, encryption header, data, then either the
// local header again with the real sizes or, where the output cannot go back
// (or the entry is encrypted), a data descriptor.
ZipResult ZipWriterState::WriteEntry(const std::u16string& givenName, const ZipSource* source) {
    const bool folder = source == nullptr;
    std::u16string name = givenName;
    std::replace(name.begin(), name.end(), u'\\', u'/');
    if (name.empty()) return kZipBadArguments;
    if (folder && name.back() != u'/') name += u'/';

    ZipEntryRecord record;
    record.name = qv::os::Utf16ToUtf8(name);
    if (record.name.size() > kMaxNameBytes) return kZipBadArguments;
    if (entries.size() >= kMaxEntries || output.Written() > kMax32) return kZipBadArguments;
    record.method = folder || HasStoredSuffix(name) ? kMethodStored : kMethodDeflated;

    EntrySource entrySource;
    if (folder) {
        entrySource.OpenFolder();
    } else if (const ZipResult opened = OpenSource(entrySource, *source); opened != kZipOk) {
        return opened;
    }
    const bool encrypted = password.has_value() && !folder;
    const unsigned cipherHeader = encrypted ? kCipherHeaderLength : 0;
    const std::int64_t size = entrySource.Size();
    const bool stored = record.method == kMethodStored;
    if (stored && size >= 0 && static_cast<std::uint64_t>(size) + cipherHeader > kMax32) return kZipBadArguments;

    record.flags = kFlagDataDescriptor;
    if (encrypted) record.flags |= kFlagEncrypted;
    if (!IsAscii(record.name)) record.flags |= kFlagUtf8Name;
    const std::uint16_t firstFlags = record.flags;
    record.dosStamp = DosStamp(entrySource.LastWrite());
    record.compressedSize = stored && size >= 0 ? static_cast<std::uint32_t>(size) + cipherHeader : 0;
    record.uncompressedSize = size >= 0 ? static_cast<std::uint32_t>(size) : 0;
    record.externalAttributes = entrySource.Attributes();
    record.localHeaderOffset = static_cast<std::uint32_t>(output.Written());
    SetTimeExtras(record, UnixTime32(entrySource.LastWrite()), UnixTime32(entrySource.LastAccess()),
                  UnixTime32(entrySource.Creation()));
    const std::uint32_t anticipatedCompressed = record.compressedSize;
    const std::vector<std::uint8_t> header = LocalHeader(record);
    if (Write(header.data(), header.size()) != kZipOk) return kZipWriteFailed;
    const std::uint64_t dataStart = output.Written();

    if (encrypted) {
        cipher.Start(*password);
        // The last header byte lets readers check the password: with a data
        // descriptor it is the high byte of the DOS time.
        std::array<std::uint8_t, 12> cipherBytes = cipher.MakeHeader(static_cast<std::uint8_t>(record.dosStamp >> 8));
        encrypting = true;
        if (const ZipResult written = Write(cipherBytes.data(), cipherBytes.size()); written != kZipOk) return written;
    }
    if (!folder) {
        const ZipResult data = stored ? CopyStored(entrySource) : Deflate(entrySource, &record.flags);
        if (data != kZipOk) return data;
    }
    encrypting = false;
    if (entrySource.TooLarge()) return kZipBadArguments;

    const std::uint64_t compressed = output.Written() - dataStart;
    if (compressed > kMax32 || output.Written() > kMax32) return kZipBadArguments;
    record.crc = entrySource.Crc();
    record.compressedSize = static_cast<std::uint32_t>(compressed);
    record.uncompressedSize = static_cast<std::uint32_t>(entrySource.BytesRead());

    if (output.Seekable() && !encrypted) {
        record.flags &= static_cast<std::uint16_t>(~kFlagDataDescriptor);
        const std::vector<std::uint8_t> final = LocalHeader(record);
        if (const ZipResult rewritten = output.Rewrite(record.localHeaderOffset, final.data(), final.size());
            rewritten != kZipOk)
            return rewritten;
    } else {
        // The local header stays as first written, and the central header
        // repeats its flags.
        record.flags = firstFlags;
        if (stored && (size < 0 || record.compressedSize != anticipatedCompressed)) return kZipChangedMind;
        const std::array<std::uint8_t, 16> descriptor = DataDescriptor(record);
        if (Write(descriptor.data(), descriptor.size()) != kZipOk) return kZipWriteFailed;
    }
    entries.push_back(std::move(record));
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
    if (!deflate) deflate = std::make_unique<DeflateState>();
    EntryStream stream(*this, source);
    const ZipResult result = deflate->DeflateEntry(stream, flags, kDeflateLevel);
    if (stream.WriteResult() != kZipOk) return stream.WriteResult();
    if (source.ReadFailed()) return kZipReadFailed;
    return result;
}

ZipResult ZipWriterState::Write(const std::uint8_t* data, std::size_t length) {
    if (!encrypting) return output.Write(data, length);
    if (scratch.size() < length) scratch.resize(2 * length);
    std::memcpy(scratch.data(), data, length);
    cipher.Encrypt(scratch.data(), length);
    return output.Write(scratch.data(), length);
}

ZipResult ZipWriterState::End() {
    if (ended) return kZipOk;
    ended = true;
    const std::uint64_t directoryOffset = output.Written();
    if (directoryOffset > kMax32) return kZipBadArguments;
    for (const ZipEntryRecord& record : entries) {
        const std::vector<std::uint8_t> header = CentralHeader(record);
        if (Write(header.data(), header.size()) != kZipOk) return kZipWriteFailed;
    }
    const std::uint64_t directorySize = output.Written() - directoryOffset;
    const std::array<std::uint8_t, 22> end =
        EndRecord(static_cast<std::uint16_t>(entries.size()), static_cast<std::uint32_t>(directorySize),
                  static_cast<std::uint32_t>(directoryOffset));
    return Write(end.data(), end.size()) == kZipOk ? kZipOk : kZipWriteFailed;
}
