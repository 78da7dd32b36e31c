#include "platform/ui/desktop/DesktopFileDialogService.h"

#include <sys/stat.h>

#include "platform/os/Log.h"
#include "platform/os/Utf.h"
#include "platform/ui/desktop/PortalFileChooser.h"
#include "platform/ui/desktop/ZenityFileChooser.h"

namespace qv::desktop {

std::optional<std::u16string> DesktopFileDialogService::OpenFile(const FileDialogOptions& options) {
    return Run(options, false);
}

std::optional<std::u16string> DesktopFileDialogService::SaveFile(const FileDialogOptions& options) {
    return Run(options, true);
}

std::optional<std::u16string> DesktopFileDialogService::Run(const FileDialogOptions& options, bool save) {
    FileChooserResult result = RunPortalFileChooser(options, save);
    if (result.kind == FileChooserResult::Unavailable) result = RunZenityFileChooser(options, save);
    if (result.kind == FileChooserResult::Unavailable) {
        QV_LOGE("no file chooser: neither the desktop portal nor zenity is available");
        return std::nullopt;
    }
    if (result.kind != FileChooserResult::Chosen || result.path.empty()) return std::nullopt;
    if (save) return WithDefaultExtension(std::move(result.path), options.defaultExtension);
    struct stat st {};
    if (options.mustExist && stat(os::Utf16ToUtf8(result.path).c_str(), &st) != 0) {
        QV_LOGE("the chosen file does not exist: %s", os::Utf16ToUtf8(result.path).c_str());
        return std::nullopt;
    }
    return result.path;
}

}  // namespace qv::desktop
