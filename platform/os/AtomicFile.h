#pragma once
// Replaces a file's content so that a reader (or a crash) sees either the old
// file whole or the new one: the bytes go to a temporary file in the same
// folder, are flushed to disk, and the temporary file is renamed over the
// target. The temporary file is always a new one (O_CREAT|O_EXCL|O_NOFOLLOW):
// nothing already at its name, a planted link least of all, is written.
// A symbolic link at the path is replaced by the new file, and what it named
// is left alone (the program's own files); a caller writing where the user
// chose asks for the link to be followed instead: the file it names is
// replaced, by a temporary file in that file's folder, and the link stays.
// Only regular files are read or replaced: anything else (a folder, a FIFO, a
// device) is refused without blocking.
#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/os/UniqueFd.h"

namespace qv::os {

enum class LinkAtPath {
    Replace,  // the name takes the new file
    Follow,   // the file the link names takes it
};

[[nodiscard]] bool ReplaceFileAtomically(const std::string& path, std::string_view bytes,
                                         LinkAtPath link = LinkAtPath::Replace);
// The same with a copy of the regular file source, streamed: a source of any
// size. false (errno set) when the source cannot be read or the copy not
// completed; the file at path is then as it was.
[[nodiscard]] bool CopyFileAtomically(const std::string& source, const std::string& path,
                                      LinkAtPath link = LinkAtPath::Replace);
// A new empty file for writing (with the mode) that has taken the name's
// place: a regular file or a link there is replaced, never written through.
// Invalid (errno set) when the name is a folder or no file could be made.
[[nodiscard]] UniqueFd CreateFileInPlaceOf(const std::string& path, mode_t mode);

// The file a path finally names once the kernel has followed its symbolic
// links; a link that names nothing yet gets its (empty) file made first.
// nullopt for a loop of links or a link that cannot be followed.
[[nodiscard]] std::optional<std::string> ResolveLinks(const std::string& path);
// Creates a new file beside target (same folder) for writing, exclusively;
// tempPath gets its name. Invalid when no new name could be made.
[[nodiscard]] UniqueFd CreateTempFileBeside(const std::string& target, std::string& tempPath);

// Opens a regular file for reading without ever blocking; info gets its
// status. Invalid with errno ENOENT when it is missing, EINVAL when it is
// not a regular file.
[[nodiscard]] UniqueFd OpenRegularFile(const std::string& path, struct stat& info);
// Reads from the descriptor to its end (expected: the size to make room
// for); nullopt on a read error, with errno EFBIG past limit bytes and
// ENOMEM when memory runs out (nothing is thrown).
[[nodiscard]] std::optional<std::string> ReadToEnd(int fd, std::size_t expected = 0,
                                                   std::size_t limit = SIZE_MAX);
// Reads a whole regular file of at most limit bytes; nullopt when it cannot
// be opened or read, or is larger.
[[nodiscard]] std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit = 16u << 20);

// Test seam: called after the temporary file is written and flushed, just
// before the rename. Returning false abandons the write (the temporary file is
// removed and the target left as it was). Null removes the hook.
using BeforeReplaceHook = bool (*)(const char* tempPath, const char* targetPath);
void SetBeforeReplaceHook(BeforeReplaceHook hook);
// Test seam: the temporary name tried at each attempt (0, 1, ...) instead of
// the target's name with ".tmp" and six random characters. Null removes it.
using TempNameHook = std::string (*)(const std::string& target, int attempt);
void SetTempNameHook(TempNameHook hook);

}  // namespace qv::os
