#pragma once
// The about box: a popup from a skin layout, centred over the main window
// (the screen when there is none), that closes itself when it loses the
// activation. Nothing is shown when the layout cannot be created.
#include "platform/os/Types.h"

BOOL ShowAboutBox(const char16_t* layoutName);
// Closes an open about box (at the end of the run).
void CloseAboutBox();
