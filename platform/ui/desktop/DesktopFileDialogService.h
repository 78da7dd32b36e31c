#pragma once
// File dialogs of the desktop: the file-chooser portal over the session bus,
// zenity where no portal answers.
#include "platform/ui/desktop/FileDialog.h"

namespace qv::desktop {

class DesktopFileDialogService final : public IFileDialogService {
public:
    std::optional<std::u16string> OpenFile(const FileDialogOptions& options) override;
    std::optional<std::u16string> SaveFile(const FileDialogOptions& options) override;

private:
    std::optional<std::u16string> Run(const FileDialogOptions& options, bool save);
};

}  // namespace qv::desktop
