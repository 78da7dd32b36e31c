#pragma once
// The plug-in's own files found damaged at start: each is renamed aside (the
// run goes on with defaults) and the user is told once, in a message box,
// which file it was and where its old bytes are. UI thread only.
#include <string>

#include "platform/os/Types.h"

// Sets the file aside when it cannot be read and keeps a notice of it.
void SetAsideIfDamaged(const std::u16string& file);
// Logs each kept notice and shows it once over the owner (only where a box
// can be seen and answered: on a real display, or through an installed
// message-box service), then forgets them. The number of notices kept.
int TellAboutDamagedFiles(HWND owner);
