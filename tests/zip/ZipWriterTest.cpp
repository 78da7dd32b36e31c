#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <thread>

#include "platform/os/Utf.h"
#include "tests/zip/ZipInspect.h"
#include "tests/zip/ZipTestIo.h"
#include "zip/ZipWriter.h"

namespace {

using qv::test::Bytes;
using qv::test::InspectedEntry;
using qv::test::InspectZip;
using qv::test::FedPipe;
using qv::test::TempFolder;

std::u16string Describe(ZipResult code) {
    char16_t buffer[80];
    DescribeZipResult(code, buffer, 80);
    return buffer;
}

// The source keeps a pointer to the text: it must outlive the addition.
ZipSource Text(const std::string& text) { return ZipSource::Memory(text.data(), static_cast<std::uint32_t>(text.size())); }
ZipSource Text(const char* literal) { return ZipSource::Memory(literal, static_cast<std::uint32_t>(std::strlen(literal))); }

// Writes an archive into memory the writer maps itself and returns its bytes.
Bytes MemoryArchive(const std::function<void(ZipWriterHandle*)>& add) {
    ZipWriterHandle* zip = OpenZipWriter(ZipTarget::Memory(nullptr, 32u << 20));
    EXPECT_NE(zip, nullptr);
    add(zip);
    void* buffer = nullptr;
    std::uint32_t length = 0;
    EXPECT_EQ(GetZipBuffer(zip, &buffer, &length), kZipOk);
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    Bytes out(bytes, bytes + length);
    EXPECT_EQ(FinishZipWriter(zip), kZipOk);
    return out;
}

std::vector<InspectedEntry> Entries(const Bytes& archive) {
    auto entries = InspectZip(archive);
    EXPECT_TRUE(entries.has_value());
    return entries.value_or(std::vector<InspectedEntry>{});
}

TEST(ZipResultText, DescribesCodesAndTheLastResult) {
    EXPECT_EQ(Describe(kZipDuplicateFailed), u"Culdn't duplicate handle");
    EXPECT_EQ(Describe(kZipMemoryFull), u"Caller: not enough space allocated for memory zipfile");
    EXPECT_EQ(Describe(0x123), u"unknown zip result code");
    EXPECT_EQ(AddZipFolder(nullptr, u"a"), kZipBadArguments);
    EXPECT_EQ(Describe(kZipLastResult), u"Caller: faulty arguments");

    char16_t buffer[8] = {u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x'};
    EXPECT_EQ(DescribeZipResult(kZipOk, buffer, 5), 7u);
    EXPECT_EQ(std::u16string(buffer), u"Succ");
    buffer[0] = u'x';
    EXPECT_EQ(DescribeZipResult(kZipOk, buffer, 0), 7u);
    EXPECT_EQ(DescribeZipResult(kZipOk, nullptr, 8), 7u);
    EXPECT_EQ(buffer[0], u'x');
}

TEST(ZipWriter, RefusesMissingAndForeignHandles) {
    ZipWriterHandle reader{1, nullptr};
    void* buffer;
    std::uint32_t length;
    for (ZipWriterHandle* handle : {static_cast<ZipWriterHandle*>(nullptr), &reader}) {
        const ZipResult expected = handle ? kZipMixedHandle : kZipBadArguments;
        EXPECT_EQ(AddZipEntry(handle, u"a", Text("x")), expected);
        EXPECT_EQ(AddZipFolder(handle, u"a"), expected);
        EXPECT_EQ(GetZipBuffer(handle, &buffer, &length), expected);
        EXPECT_EQ(FinishZipWriter(handle), expected);
        EXPECT_FALSE(IsZipWriterHandle(handle));
    }
    ZipWriterHandle* zip = OpenZipWriter(ZipTarget::Memory(nullptr, 4096));
    EXPECT_TRUE(IsZipWriterHandle(zip));
    EXPECT_EQ(FinishZipWriter(zip), kZipOk);
}

TEST(ZipWriter, NamesChooseTheMethodAndFlags) {
    const std::string text = "some text some text some text";
    const Bytes archive = MemoryArchive([&](ZipWriterHandle* zip) {
        for (const char16_t* name : {u"dir\\file.txt", u"pack.ZIP", u"x.tar.gz", u"y.Tgz", u"old.Z", u"notes.zipx",
                                     u"noext", u"a.zip/inner", u"中文名.txt"})
            EXPECT_EQ(AddZipEntry(zip, name, Text(text)), kZipOk);
        EXPECT_EQ(AddZipFolder(zip, u"folder"), kZipOk);
        EXPECT_EQ(AddZipFolder(zip, u"sub\\dir/"), kZipOk);
    });
    struct Expected {
        const char* name;
        std::uint16_t method;
        std::uint16_t flags;
    };
    const Expected expected[] = {{"dir/file.txt", 8, 2},      {"pack.ZIP", 0, 0}, {"x.tar.gz", 0, 0},
                                 {"y.Tgz", 0, 0},             {"old.Z", 0, 0},    {"notes.zipx", 8, 2},
                                 {"noext", 8, 2},             {"a.zip/inner", 8, 2},
                                 {"中文名.txt", 8, 0x802},     {"folder/", 0, 0},  {"sub/dir/", 0, 0}};
    const auto entries = Entries(archive);
    ASSERT_EQ(entries.size(), std::size(expected));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(entries[i].name, expected[i].name);
        EXPECT_EQ(entries[i].method, expected[i].method);
        EXPECT_EQ(entries[i].flags, expected[i].flags);
        EXPECT_EQ(entries[i].localFlags, expected[i].flags);
        const bool folder = entries[i].name.back() == '/';
        EXPECT_EQ(qv::test::EntryContent(entries[i]), folder ? Bytes{} : Bytes(text.begin(), text.end()));
    }
}

TEST(ZipWriter, RefusesFaultyArguments) {
    const std::u16string longest(260, u'n');
    struct Case {
        std::u16string name;
        ZipSource source;
        ZipResult result;
    };
    const Case cases[] = {
        {u"", Text("x"), kZipBadArguments},
        {longest, Text("x"), kZipOk},
        {longest + u"n", Text("x"), kZipBadArguments},
        // 258 bytes and a 3-byte character: refused rather than cut inside it.
        {std::u16string(258, u'n') + u"中", Text("x"), kZipBadArguments},
        {u"a", ZipSource::Memory(nullptr, 5), kZipBadArguments},
        {u"a", ZipSource::Memory("x", 0), kZipBadArguments},
        {u"a", ZipSource::Descriptor(-1), kZipBadArguments},
        {u"a", ZipSource::File(nullptr), kZipBadArguments},
        {u"a", ZipSource::File(u"/nonexistent/qvzip/file"), kZipOpenFailed},
    };
    for (const Case& c : cases) {
        ZipWriterHandle* zip = OpenZipWriter(ZipTarget::Memory(nullptr, 4096));
        EXPECT_EQ(AddZipEntry(zip, c.name.c_str(), c.source), c.result) << c.name.size();
        EXPECT_EQ(FinishZipWriter(zip), kZipOk);
    }
    EXPECT_EQ(OpenZipWriter(ZipTarget::File(nullptr)), nullptr);
    EXPECT_EQ(OpenZipWriter(ZipTarget::File(u"/nonexistent/qvzip/a.zip")), nullptr);
    EXPECT_EQ(qv::zip::LastResult(), kZipOpenFailed);
    EXPECT_EQ(OpenZipWriter(ZipTarget::Descriptor(-1)), nullptr);
    EXPECT_EQ(OpenZipWriter(ZipTarget::Memory(nullptr, 0)), nullptr);
    EXPECT_EQ(qv::zip::LastResult(), kZipMemoryFull);
}

TEST(ZipWriter, AFailedAdditionStaysButTheArchiveStillEnds) {
    const Bytes archive = MemoryArchive([](ZipWriterHandle* zip) {
        EXPECT_EQ(AddZipEntry(zip, u"kept.txt", Text("kept")), kZipOk);
        EXPECT_EQ(AddZipEntry(zip, u"missing", ZipSource::File(u"/nonexistent/qvzip/file")), kZipOpenFailed);
        EXPECT_EQ(AddZipEntry(zip, u"later.txt", Text("later")), kZipPreviousError);
        EXPECT_EQ(AddZipFolder(zip, u"later"), kZipPreviousError);
    });
    const auto entries = Entries(archive);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(qv::test::EntryContent(entries[0]), (Bytes{'k', 'e', 'p', 't'}));

    ZipWriterHandle* zip = OpenZipWriter(ZipTarget::Memory(nullptr, 4096));
    void* buffer;
    std::uint32_t first, second;
    ASSERT_EQ(GetZipBuffer(zip, &buffer, &first), kZipOk);
    EXPECT_EQ(AddZipFolder(zip, u"late"), kZipEnded);
    ASSERT_EQ(GetZipBuffer(zip, &buffer, &second), kZipOk);
    EXPECT_EQ(second, first);
    EXPECT_EQ(FinishZipWriter(zip), kZipOk);
}

// The memory is never filled to its last byte: 52 bytes of header and 100 of
// data need 153 bytes.
TEST(ZipWriter, MemoryExactlyFullFailsAndFileArchivesHaveNoBuffer) {
    const std::string data(100, 'd');
    for (std::uint32_t capacity : {152u, 153u}) {
        Bytes memory(capacity);
        ZipWriterHandle* zip = OpenZipWriter(ZipTarget::Memory(memory.data(), capacity));
        EXPECT_EQ(AddZipEntry(zip, u"a.zip", Text(data)), capacity == 152 ? kZipMemoryFull : kZipOk);
        FinishZipWriter(zip);
    }
    TempFolder folder;
    const std::u16string path = qv::os::Utf8ToUtf16(folder.File("a.zip"));
    ZipWriterHandle* zip = OpenZipWriter(ZipTarget::File(path.c_str()));
    void* buffer;
    std::uint32_t length;
    EXPECT_EQ(GetZipBuffer(zip, &buffer, &length), kZipNotInMemory);
    EXPECT_EQ(FinishZipWriter(zip), kZipOk);
    EXPECT_EQ(qv::test::ReadFileBytes(folder.File("a.zip")).size(), 22u);
}

TEST(ZipWriter, ReadErrorsFailTheEntry) {
    TempFolder folder;
    for (const char16_t* name : {u"a.txt", u"a.zip"}) {
        const int directory = open(folder.Path().c_str(), O_RDONLY);
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        for (int unreadable : {directory, ends[1]}) {
            ZipWriterHandle* zip = OpenZipWriter(ZipTarget::Memory(nullptr, 4096));
            EXPECT_EQ(AddZipEntry(zip, name, ZipSource::Descriptor(unreadable)), kZipReadFailed);
            EXPECT_EQ(AddZipEntry(zip, u"b", Text("b")), kZipPreviousError);
            EXPECT_EQ(FinishZipWriter(zip), kZipOk);
        }
        close(directory);
        close(ends[0]);
        close(ends[1]);
    }
}

TEST(ZipWriter, StoredBytesMustMatchTheKnownLength) {
    struct Case {
        const char16_t* name;
        std::size_t sent;
        ZipResult result;
    };
    for (const Case c : {Case{u"a.zip", 50, kZipSizeMismatch}, Case{u"a.zip", 150, kZipSizeMismatch},
                         Case{u"a.zip", 100, kZipOk}, Case{u"a.txt", 50, kZipOk}}) {
        FedPipe source(std::string(c.sent, 's'));
        ZipWriterHandle* zip = OpenZipWriter(ZipTarget::Memory(nullptr, 4096));
        EXPECT_EQ(AddZipEntry(zip, c.name, ZipSource::Descriptor(source.ReadEnd(), 100)), c.result) << c.sent;
        void* buffer;
        std::uint32_t length;
        ASSERT_EQ(GetZipBuffer(zip, &buffer, &length), kZipOk);
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        const auto entries = Entries(Bytes(bytes, bytes + length));
        if (c.result == kZipOk) {
            ASSERT_EQ(entries.size(), 1u);
            EXPECT_EQ(entries[0].uncompressedSize, c.sent);
            EXPECT_EQ(entries[0].localUncompressedSize, c.sent);
        }
        FinishZipWriter(zip);
    }
}

TEST(ZipWriter, FailedWritesAreReported) {
    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    ZipWriterHandle* zip = OpenZipWriter(ZipTarget::Descriptor(full));
    EXPECT_EQ(AddZipEntry(zip, u"a.txt", Text("text")), kZipWriteFailed);
    EXPECT_EQ(FinishZipWriter(zip), kZipWriteFailed);
    close(full);

    // Room for the entry and for an end record, not for the central header:
    // no end record may follow a directory that is not whole.
    const Bytes whole = MemoryArchive([](ZipWriterHandle* z) { AddZipEntry(z, u"a.txt", Text("text")); });
    const std::uint32_t directory = qv::test::ReadU32(whole, whole.size() - 6);
    Bytes memory(directory + 30, 0xCC);
    zip = OpenZipWriter(ZipTarget::Memory(memory.data(), static_cast<std::uint32_t>(memory.size())));
    EXPECT_EQ(AddZipEntry(zip, u"a.txt", Text("text")), kZipOk);
    void* buffer;
    std::uint32_t length;
    EXPECT_EQ(GetZipBuffer(zip, &buffer, &length), kZipWriteFailed);
    EXPECT_EQ(FinishZipWriter(zip), kZipOk);
    EXPECT_EQ(Bytes(memory.begin() + directory, memory.end()), Bytes(30, 0xCC));
}

TEST(ZipWriter, RefusesWhatNeedsZip64) {
    TempFolder folder;
    const std::string big = folder.File("big");
    const int fd = open(big.c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_EQ(ftruncate(fd, 0x100000000LL), 0);  // sparse: takes no space
    close(fd);
    const std::u16string bigName = qv::os::Utf8ToUtf16(big);
    ZipWriterHandle* zip = OpenZipWriter(ZipTarget::Memory(nullptr, 4096));
    EXPECT_EQ(AddZipEntry(zip, u"big", ZipSource::File(bigName.c_str())), kZipBadArguments);
    FinishZipWriter(zip);
    FedPipe source("x");
    zip = OpenZipWriter(ZipTarget::Memory(nullptr, 4096));
    EXPECT_EQ(AddZipEntry(zip, u"big", ZipSource::Descriptor(source.ReadEnd(), 0x100000000LL)), kZipBadArguments);
    FinishZipWriter(zip);

    const Bytes archive = MemoryArchive([](ZipWriterHandle* z) {
        for (int i = 0; i < 0xFFFF; ++i) {
            const std::u16string name = u"d" + qv::os::Utf8ToUtf16(std::to_string(i));
            if (AddZipFolder(z, name.c_str()) != kZipOk) return ADD_FAILURE() << i;
        }
        EXPECT_EQ(AddZipFolder(z, u"one too many"), kZipBadArguments);
    });
    EXPECT_EQ(archive[archive.size() - 12] | archive[archive.size() - 11] << 8, 0xFFFF);
    EXPECT_EQ(Entries(archive).size(), 0xFFFFu);
}

// Sizes not known ahead are written as 0 (never 0xFFFFFFFF) in the local
// header, and the data descriptor after the data carries them.
TEST(ZipWriter, UnknownSizesAreZeroUntilTheDescriptor) {
    const std::string data(5000, 'u');
    FedPipe source(data);
    qv::test::DrainedPipe target;
    ZipWriterHandle* zip = OpenZipWriter(ZipTarget::Descriptor(target.WriteEnd()));
    EXPECT_EQ(AddZipEntry(zip, u"a.txt", ZipSource::Descriptor(source.ReadEnd())), kZipOk);
    EXPECT_EQ(FinishZipWriter(zip), kZipOk);
    const auto entries = Entries(target.Collect());
    ASSERT_EQ(entries.size(), 1u);
    const InspectedEntry& e = entries[0];
    EXPECT_EQ(e.localFlags, 8);
    EXPECT_EQ(e.localUncompressedSize, 0u);
    EXPECT_EQ(e.localCompressedSize, 0u);
    ASSERT_TRUE(e.descriptor.has_value());
    EXPECT_EQ(qv::test::ReadU32(*e.descriptor, 4), e.crc);
    EXPECT_EQ(qv::test::ReadU32(*e.descriptor, 8), e.compressedSize);
    EXPECT_EQ(qv::test::ReadU32(*e.descriptor, 12), data.size());
    EXPECT_EQ(qv::test::EntryContent(e), Bytes(data.begin(), data.end()));

    // A stored entry's size cannot be left to the descriptor.
    FedPipe unknown(data);
    qv::test::DrainedPipe again;
    zip = OpenZipWriter(ZipTarget::Descriptor(again.WriteEnd()));
    EXPECT_EQ(AddZipEntry(zip, u"a.zip", ZipSource::Descriptor(unknown.ReadEnd())), kZipChangedMind);
    EXPECT_EQ(FinishZipWriter(zip), kZipOk);
}

// Times of files: DOS stamps in local time, clamped to what the format
// holds; the extended field in seconds, clamped to 32 bits.
TEST(ZipWriter, TimesAreLocalAndClamped) {
    const char* oldZone = std::getenv("TZ");
    const std::string savedZone = oldZone ? oldZone : "";
    setenv("TZ", "CST-8", 1);  // eight hours east of UTC, no daylight saving
    tzset();
    struct Case {
        std::int64_t mtime;
        std::uint32_t dosStamp;
        std::uint32_t utTime;
    };
    const std::uint32_t dos1980 = (1u << 5 | 1u) << 16;
    const std::uint32_t dos2107 = (127u << 9 | 12u << 5 | 31u) << 16 | (23u << 11 | 59u << 5 | 29u);
    const Case cases[] = {
        {1704164646, (44u << 9 | 1u << 5 | 2u) << 16 | (11u << 11 | 4u << 5 | 3u), 1704164646},  // 2024-01-02 03:04:06 UTC
        {157766400, dos1980, 157766400},  // 1975
        {-100, dos1980, 0},
        {7258118400, dos2107, 0xFFFFFFFFu},  // 2200
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mtime);
        const std::string path = folder.File("t");
        qv::test::WriteFileBytes(path, {'t'});
        const timespec times[2] = {{c.mtime, 0}, {c.mtime, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        const std::u16string name = qv::os::Utf8ToUtf16(path);
        const auto entries = Entries(MemoryArchive([&](ZipWriterHandle* zip) {
            EXPECT_EQ(AddZipEntry(zip, u"t", ZipSource::File(name.c_str())), kZipOk);
        }));
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].dosStamp, c.dosStamp);
        EXPECT_EQ(qv::test::ReadU32(entries[0].centralExtra, 5), c.utTime);
        EXPECT_EQ(qv::test::ReadU32(entries[0].localExtra, 5), c.utTime);
        EXPECT_EQ(qv::test::ReadU32(entries[0].localExtra, 9), c.utTime);
    }
    // "Now" is local time too.
    const std::time_t before = std::time(nullptr);
    const auto now = Entries(MemoryArchive([](ZipWriterHandle* zip) { AddZipEntry(zip, u"n", Text("n")); }));
    std::tm utc{};
    gmtime_r(&before, &utc);
    const unsigned hour = (now.at(0).dosStamp >> 11) & 31;
    EXPECT_TRUE(hour == static_cast<unsigned>((utc.tm_hour + 8) % 24) || hour == static_cast<unsigned>((utc.tm_hour + 9) % 24));
    if (oldZone)
        setenv("TZ", savedZone.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(ZipWriter, LastResultIsPerThread) {
    EXPECT_EQ(AddZipFolder(nullptr, u"x"), kZipBadArguments);
    std::thread other([] {
        ZipWriterHandle* zip = OpenZipWriter(ZipTarget::Memory(nullptr, 4096));
        EXPECT_EQ(FinishZipWriter(zip), kZipOk);
        EXPECT_EQ(qv::zip::LastResult(), kZipOk);
    });
    other.join();
    EXPECT_EQ(qv::zip::LastResult(), kZipBadArguments);
}

}  // namespace
