#pragma once
// The desktop's file chooser through the org.freedesktop.portal.FileChooser
// interface on the session bus.
#include <string>
#include <string_view>

#include "platform/ui/desktop/FileChooserResult.h"
#include "platform/ui/desktop/FileDialog.h"

namespace qv::desktop {

// Unavailable when there is no session bus or no portal answers.
FileChooserResult RunPortalFileChooser(const FileDialogOptions& options, bool save);

// "file:///a%20b" -> "/a b"; empty for anything but a local file URI.
std::string FileUriToPath(std::string_view uri);

}  // namespace qv::desktop
