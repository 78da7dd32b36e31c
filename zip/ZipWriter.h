#pragma once
// Writes zip archives: to a new file, an open descriptor or memory; entries
// from files, descriptors or memory blocks, and empty folders; deflated
// (level 8) or stored, optionally with the traditional zip cipher. There is
// no reading side.
//
// Every operation but DescribeZipResult and IsZipWriterHandle stores its
// result as the calling thread's last result. Once an addition fails, every
// later addition gives kZipPreviousError; the archive can still be ended with
// the entries that were complete. One thread at a time may use a handle.
//
// The format's 32-bit limits hold: a source of 4 GiB or more, an archive
// growing past 4 GiB or a 65536th entry is refused (kZipBadArguments).
#include <cstdint>

#include "zip/ZipResult.h"

class ZipWriterState;

// kind is kZipWriterKind for every handle OpenZipWriter returns; a handle of
// another kind is refused with kZipMixedHandle, a null one with kZipBadArguments.
struct ZipWriterHandle {
    std::int32_t kind;
    ZipWriterState* state;
};
inline constexpr std::int32_t kZipWriterKind = 2;

// Where the archive goes.
struct ZipTarget {
    enum class Kind { File, Descriptor, Memory };
    Kind kind = Kind::File;
    const char16_t* fileName = nullptr;
    int fd = -1;
    void* buffer = nullptr;
    std::uint32_t capacity = 0;

    // Created anew; an existing file is replaced.
    static ZipTarget File(const char16_t* name) { return {Kind::File, name, -1, nullptr, 0}; }
    // Written from its current position on and left open. Offsets in the
    // archive count from that position. Pipes and other descriptors that
    // cannot seek get a data descriptor after every entry.
    static ZipTarget Descriptor(int fd) { return {Kind::Descriptor, nullptr, fd, nullptr, 0}; }
    // The caller's buffer, or with a null buffer memory the writer maps and
    // frees. The archive must stay short of the capacity by at least a byte.
    static ZipTarget Memory(void* buffer, std::uint32_t capacity) {
        return {Kind::Memory, nullptr, -1, buffer, capacity};
    }
};

// Where an entry's bytes come from.
struct ZipSource {
    enum class Kind { File, Descriptor, Memory };
    Kind kind = Kind::File;
    const char16_t* fileName = nullptr;
    int fd = -1;
    std::int64_t length = -1;
    const void* data = nullptr;
    std::uint32_t size = 0;

    static ZipSource File(const char16_t* name) { return {Kind::File, name, -1, -1, nullptr, 0}; }
    // A seekable descriptor is read whole from its start, with its file's
    // size, times and attributes. Any other (a pipe) is read to its end; the
    // length, when known, is written ahead in the local header.
    static ZipSource Descriptor(int fd, std::int64_t length = -1) {
        return {Kind::Descriptor, nullptr, fd, length, nullptr, 0};
    }
    static ZipSource Memory(const void* data, std::uint32_t size) {
        return {Kind::Memory, nullptr, -1, -1, data, size};
    }
};

// Null on failure (the last result tells why). password: null or empty for
// no encryption; the writer keeps its own copy.
ZipWriterHandle* OpenZipWriter(const ZipTarget& target, const char* password = nullptr);

// Adds one entry under name ("\" becomes "/"; at most 260 bytes of UTF-8;
// an absolute name or one with a ".." part is refused, kZipBadArguments).
// A file source must be a regular file (kZipOpenFailed otherwise) and not
// the archive being written (kZipBadArguments).
// Names ending in .Z, .zip, .zoo, .arc, .lzh, .arj, .gz or .tgz are stored,
// all others deflated.
ZipResult AddZipEntry(ZipWriterHandle* zip, const char16_t* name, const ZipSource& source);
// Adds an empty folder; a final "/" is added when missing.
ZipResult AddZipFolder(ZipWriterHandle* zip, const char16_t* name);

// Ends a memory archive (when not yet ended) and gives its bytes, which stay
// the writer's until FinishZipWriter. kZipNotInMemory for other targets.
ZipResult GetZipBuffer(ZipWriterHandle* zip, void** buffer, std::uint32_t* length);

// Ends the archive when not yet ended, releases what the writer opened or
// mapped and frees the handle, whatever the result. A file archive is
// written to a new temporary file beside its target and takes the target's
// place only here, once whole: on a failure no file is left and an older
// archive of that name stays as it was.
ZipResult FinishZipWriter(ZipWriterHandle* zip);
// Frees the handle without ending the archive: a file archive leaves no
// file and an older archive of that name stays.
ZipResult AbandonZipWriter(ZipWriterHandle* zip);

// The text of a result code (kZipLastResult: of the last result). Copies at
// most size - 1 characters and a terminating zero when buffer is given and
// size > 0; returns the length of the whole text.
std::uint32_t DescribeZipResult(ZipResult code, char16_t* buffer, std::uint32_t size);

bool IsZipWriterHandle(const ZipWriterHandle* zip);
