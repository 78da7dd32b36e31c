#pragma once
// Profile (INI) files with the Windows semantics the program relies on.
//
// - Section and key names compare ignoring case and surrounding blanks; the
//   first occurrence wins.
// - Values are read trimmed of blanks, and of one pair of enclosing quotes.
// - A file that starts with the UTF-16LE byte-order mark is read and written as
//   UTF-16LE; any other file as UTF-8 (a UTF-8 mark is kept). New files are
//   UTF-8.
// - Writing keeps every other line byte for byte (comments, order, blank
//   lines, line ends); new lines take the file's line end (CRLF by default).
// - Every write replaces the file atomically; a file reached through a
//   symbolic link is written through to the link's target. Only regular
//   files are used: a folder, FIFO or device reads as unreadable (defaults)
//   and refuses writes, without blocking.
// - A UTF-16 file's stray odd last byte is not a character and is dropped by
//   the next write.
// - A file larger than kMaxProfileFileBytes, with more than kMaxProfileLines
//   lines or with a NUL character (no text holds one) reads as unreadable, as
//   a folder does, and refuses writes; so does a write that would make it so.
//   No exception leaves these functions: a failure reads as an unreadable
//   file or refuses the write.
// - A parsed copy of the file read last is kept while the file's identity,
//   size and times are unchanged, so reading many keys parses it once; copies
//   of other files only while all together hold a few MiB. A lookup costs the
//   same whatever the file's size.
// - File names are UTF-16; backslashes are taken as '/'.
// - The struct form is the upper-case hex of the bytes followed by a checksum
//   byte (the sum of the bytes mod 256). A missing key, a wrong length, a
//   non-hex digit or a wrong checksum read as missing.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/Types.h"

namespace qv::os {

// Far above any file the program writes (the state file with hundreds of
// user effects is a fraction of it).
inline constexpr std::size_t kMaxProfileFileBytes = 4u << 20;
inline constexpr std::size_t kMaxProfileLines = 65536;

enum class ProfileFileState { Missing, Usable, Damaged };
// Whether the file can be read as a profile file. Damaged: it exists (or a
// link names it) but reads as unreadable; why then says what is wrong.
[[nodiscard]] ProfileFileState CheckProfileFile(std::u16string_view file, std::string* why = nullptr);

// Copies the value (or `def` when the key is missing; null def is empty) into
// out, cut to size-1 characters; returns the characters copied. A null key
// lists the section's keys, a null section the section names, each
// zero-terminated with a final extra zero.
DWORD GetPrivateProfileString(const char16_t* section, const char16_t* key, const char16_t* def,
                              char16_t* out, DWORD size, const char16_t* file);

// The value parsed as a decimal integer (blanks, an optional sign, digits;
// text without digits gives 0); `def` when the key is missing or empty.
int GetPrivateProfileInt(const char16_t* section, const char16_t* key, int def,
                         const char16_t* file);

// Sets key=value in section, creating the file and the section as needed. A
// null value deletes the key, a null key deletes the section with its lines.
// Names or values that would break the file's lines are refused (FALSE).
BOOL WritePrivateProfileString(const char16_t* section, const char16_t* key,
                               const char16_t* value, const char16_t* file);

// Reads size bytes stored in the struct form; FALSE (data untouched) when the
// key is missing, the length or checksum is wrong.
BOOL GetPrivateProfileStruct(const char16_t* section, const char16_t* key, void* data, UINT size,
                             const char16_t* file);
// The struct form of size bytes, as the write below stores it.
std::u16string ProfileStructText(const void* data, UINT size);
// Writes size bytes in the struct form; null data deletes the key.
BOOL WritePrivateProfileStruct(const char16_t* section, const char16_t* key, const void* data,
                               UINT size, const char16_t* file);

}  // namespace qv::os

namespace qv::os {

// Several writes to one profile file, applied in order to one reading of it
// and stored with a single atomic replace: a reader (or a crash) sees the
// file before all of them or after all of them. Same rules as the single
// writes above; one refused name or value refuses the whole batch.
class ProfileBatch {
public:
    explicit ProfileBatch(std::u16string_view file) : m_file(file) {}

    // Null value deletes the key; null key deletes the section.
    void WriteString(const char16_t* section, const char16_t* key, const char16_t* value);
    void WriteStruct(const char16_t* section, const char16_t* key, const void* data, UINT size);
    // Applies and stores every write; FALSE (file untouched) on a refusal or
    // a failed read or write.
    [[nodiscard]] BOOL Commit();

private:
    struct Op {
        std::u16string section;
        std::optional<std::u16string> key;
        std::optional<std::u16string> value;
        bool invalid = false;  // no section given
    };
    std::u16string m_file;
    std::vector<Op> m_ops;
};

}  // namespace qv::os
