#pragma once
// A font as a window or the skin gives it: face, pixel size and weight, each
// of which may be left open. A window's open parts come from its parent,
// and at the top from the skin's UI font.
#include <string_view>

#include "platform/ui/SStringW.h"

namespace qv::ui {

// A font to draw with. An empty face means the UI font; CJK text falls back
// through fontconfig.
struct SFont {
    SStringW face;
    int size = 12;  // pixels
    bool bold = false;
};

struct FontStyle {
    SStringW face;   // empty: open
    int size = 0;    // pixels; 0: open
    int bold = -1;   // 0 or 1; -1: open

    // Fills the parts this style leaves open from `outer`.
    void InheritFrom(const FontStyle& outer);
    // Sets the parts `inner` gives.
    void Override(const FontStyle& inner);
    // The font to draw with; open parts take SFont's defaults.
    SFont Resolve() const;
};

// Reads "face:宋体,size:12,bold:1" (any subset, any order) into the parts it
// names. "@font/name" takes the parts of a font of the skin's table, and
// parts written after it ("@font/title,bold:1") win. False for an unknown
// font name, an unknown key or a bad number; style is then unchanged.
bool ParseFontStyle(std::u16string_view text, FontStyle& style);

}  // namespace qv::ui
