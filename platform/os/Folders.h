#pragma once
// The program's folders. Paths come without a final '/', except the temp
// folder, which keeps it as the Windows temp path does.
#include <optional>
#include <string>
#include <string_view>

namespace qv::os {

// $XDG_DATA_HOME (when absolute), else ~/.local/share.
std::u16string LocalAppDataFolder();
// $XDG_CONFIG_HOME (when absolute), else ~/.config.
std::u16string UserConfigFolder();
// LocalAppDataFolder()/name, created (with its parents) when missing;
// nullopt, with the reason logged, when it cannot be made.
[[nodiscard]] std::optional<std::u16string> MakeAppDataFolder(std::u16string_view name = u"Quorvel");
// $TMPDIR (when absolute), else /tmp, with a final '/'.
std::u16string TempFolder();
// The running executable (from /proc/self/exe) and its folder.
std::u16string ExecutablePath();
std::u16string ExecutableFolder();
// The executable's file name without folder and extension ("quorvel").
std::u16string ExecutableBaseName();
// Creates the folder and its missing parents; true when it exists afterwards.
[[nodiscard]] bool MakeFolderChain(const std::string& nativePath);
// As MakeFolderChain, and true only when the folder is the user's own and
// nobody else may write to it.
[[nodiscard]] bool MakePrivateFolder(const std::string& nativePath);
// TempFolder()/quorvel-<uid>: made 0700 when missing; empty when the name is
// taken by anything but a private folder of the user (a link, someone
// else's folder, one open to others).
std::u16string PrivateTempFolder();
// $XDG_STATE_HOME (when absolute), else ~/.local/state.
std::u16string UserStateFolder();

}  // namespace qv::os
