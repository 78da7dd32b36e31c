#pragma once
// What the program takes from "the system" for its own popups: the tool-tip
// colours and the default GUI font. On this desktop the skin is the system:
// the colours come from its palette and the font is its UI font.
#include "platform/ui/Color.h"
#include "platform/ui/FontStyle.h"

namespace qv::ui {

constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;

// COLOR_INFOBK: the skin's "panel" colour; COLOR_INFOTEXT: its "text"
// colour (the palette's values when the skin has none). Other indexes: black.
COLORREF GetSysColor(int index);
// The skin's UI font with every part resolved.
SFont GetDefaultGuiFont();

}  // namespace qv::ui
