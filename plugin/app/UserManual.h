#pragma once
// The user manual, opened with the desktop's viewer for PDF files.
#include <string_view>

#include "platform/os/Types.h"

// manualFile ("/Manuals/...pdf") is joined to the program folder. A missing
// file opens nothing (0).
BOOL OpenUserManual(std::u16string_view programFolder, std::u16string_view manualFile);
