#pragma once
// Replaces a file's content so that a reader (or a crash) sees either the old
// file whole or the new one: the bytes go to a temporary file in the same
// folder, are flushed to disk, and the temporary file is renamed over the
// target. A path that is a symbolic link is written through to the file the
// link names, so the link stays. Only regular files are read or replaced:
// anything else (a folder, a FIFO, a device) is refused without blocking.
#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/os/UniqueFd.h"

namespace qv::os {

[[nodiscard]] bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// The file a path finally names once its symbolic links are followed (it
// may not exist yet); nullopt for a loop of links.
[[nodiscard]] std::optional<std::string> ResolveLinks(const std::string& path);

// Opens a regular file for reading without ever blocking; info gets its
// status. Invalid with errno ENOENT when it is missing, EINVAL when it is
// not a regular file.
[[nodiscard]] UniqueFd OpenRegularFile(const std::string& path, struct stat& info);
// Reads from the descriptor to its end (expected: the size to make room
// for); nullopt on a read error.
[[nodiscard]] std::optional<std::string> ReadToEnd(int fd, std::size_t expected = 0);
// Reads a whole regular file; nullopt when it cannot be opened or read.
[[nodiscard]] std::optional<std::string> ReadWholeFile(const std::string& path);

// Test seam: called after the temporary file is written and flushed, just
// before the rename. Returning false abandons the write (the temporary file is
// removed and the target left as it was). Null removes the hook.
using BeforeReplaceHook = bool (*)(const char* tempPath, const char* targetPath);
void SetBeforeReplaceHook(BeforeReplaceHook hook);

}  // namespace qv::os
