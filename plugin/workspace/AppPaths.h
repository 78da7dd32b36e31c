#pragma once
// Where the plug-in keeps its files. Folders come without a final '/'.
#include <string>
#include <string_view>

#include "platform/os/Types.h"

// The settings and state file of the family (fileName "DorbIIConfigData.db"
// or "ZenkConfigData.db") in the app-data folder; empty when the app-data
// folder is unknown, so that nothing is written beside the file system root.
std::u16string StateFilePath(std::u16string_view appDataFolder, std::u16string_view fileName);

// Points settings store 0 at the family's state file in the app-data folder.
BOOL LoadStateStore(std::u16string_view appDataFolder, std::u16string_view fileName);

// "EffectList.xml" in the app-data folder when it exists there, else in the
// "data" folder beside the programs.
std::u16string EffectListPath(std::u16string_view appDataFolder, std::u16string_view hostFolder);
