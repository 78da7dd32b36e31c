#pragma once
// The file chooser of zenity, for desktops without the portal.
#include <string>
#include <vector>

#include "platform/ui/desktop/FileChooserResult.h"
#include "platform/ui/desktop/FileDialog.h"

namespace qv::desktop {

// Unavailable when zenity is not installed or could not show its dialog.
FileChooserResult RunZenityFileChooser(const FileDialogOptions& options, bool save);

// zenity's command line for the request (argv[0] is "zenity").
std::vector<std::string> ZenityArguments(const FileDialogOptions& options, bool save);

}  // namespace qv::desktop
