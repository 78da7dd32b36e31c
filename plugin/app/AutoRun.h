#pragma once
// Starting the program with the user's session: an autostart entry named
// "Quorvel" whose command is the program's quoted path, nothing more.
#include <string>
#include <string_view>

#include "platform/os/Types.h"

// For the running executable.
BOOL SetAutoRun(int on);
BOOL IsAutoRun();

// On: writes (replaces) the entry for the program; off: deletes it, 0 when
// there was none.
BOOL SetAutoRunFor(std::u16string_view program, int on);
// 1 when the entry's command names the program (see AutoRunCommandNames);
// without a user entry, the machine-wide entry is asked the same.
BOOL IsAutoRunFor(std::u16string_view program);

// The entry's command for the program: its path in double quotes, escaped as
// autostart entries require.
std::u16string AutoRunCommand(std::u16string_view program);
// Whether the text between the command's first and last double quote (the
// whole command when it holds none) is the program's path, ignoring case.
bool AutoRunCommandNames(std::u16string_view command, std::u16string_view program);
