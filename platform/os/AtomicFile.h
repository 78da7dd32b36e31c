#pragma once
// Replaces a file's content so that a reader (or a crash) sees either the old
// file whole or the new one: the bytes go to a temporary file in the same
// folder, are flushed to disk, and the temporary file is renamed over the
// target.
#include <optional>
#include <string>
#include <string_view>

namespace qv::os {

[[nodiscard]] bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Reads a whole file; nullopt when it cannot be opened or read.
[[nodiscard]] std::optional<std::string> ReadWholeFile(const std::string& path);

// Test seam: called after the temporary file is written and flushed, just
// before the rename. Returning false abandons the write (the temporary file is
// removed and the target left as it was). Null removes the hook.
using BeforeReplaceHook = bool (*)(const char* tempPath, const char* targetPath);
void SetBeforeReplaceHook(BeforeReplaceHook hook);

}  // namespace qv::os
