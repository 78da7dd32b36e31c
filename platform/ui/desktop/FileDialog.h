#pragma once
// Open and save file dialogs. Both are modal: the caller's thread keeps
// dispatching its messages while the dialog is up, as a Windows dialog loop
// does. A test installs its own service to choose files without a desktop.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/Types.h"

namespace qv::desktop {

struct FileFilter {
    std::u16string name;                   // "mp3文件(*.mp3)"
    std::vector<std::u16string> patterns;  // {"*.mp3"}
};

struct FileDialogOptions {
    HWND owner = nullptr;
    std::u16string title;  // empty: the desktop's own title
    std::vector<FileFilter> filters;
    std::u16string initialFolder;
    std::u16string initialName;       // file name proposed in the dialog
    std::u16string defaultExtension;  // appended to a saved name that has none
    bool mustExist = true;            // open: only an existing file is an answer
    bool overwritePrompt = true;      // save: ask before replacing a file
};

class IFileDialogService {
public:
    virtual ~IFileDialogService() = default;
    // The chosen path, or nothing when the user cancelled or no dialog could
    // be shown.
    virtual std::optional<std::u16string> OpenFile(const FileDialogOptions& options) = 0;
    virtual std::optional<std::u16string> SaveFile(const FileDialogOptions& options) = 0;
};

// The service in use: the desktop portal, else zenity, unless a test
// installed another.
IFileDialogService& FileDialogService();
// Installs a replacement (not owned); null restores the default.
void SetFileDialogService(IFileDialogService* service);

// A Windows filter list, pairs of zero-terminated strings ended by an empty
// one ("mp3文件(*.mp3)\0*.mp3;\0\0"), as filters; empty patterns are dropped.
std::vector<FileFilter> ParseFilterList(std::u16string_view list);

// path with ".ext" appended when its file name has no extension; the default
// extension may be given as "mp3", ".mp3" or "*.mp3".
std::u16string WithDefaultExtension(std::u16string path, std::u16string_view defaultExtension);

}  // namespace qv::desktop
