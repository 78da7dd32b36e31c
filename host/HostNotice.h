#pragma once
// Problems the host meets while no plug-in runs (a lock folder it must not
// use, a plug-in that cannot start, a file of its own set aside): the text
// goes to the program's log file and standard error, and, when the program
// runs on a display, into a message box over the skin the host carries.
#include <string>

void TellUser(const std::u16string& text);
