#pragma once
// Parsers for layout attribute values. Each returns std::nullopt for text it
// cannot read, so a caller can refuse the attribute.
#include <optional>
#include <string_view>

#include "platform/ui/Color.h"
#include "platform/ui/Geometry.h"

namespace qv::ui {

// Decimal or "0x" hexadecimal, with an optional sign.
std::optional<int> ParseInt(std::u16string_view text);
std::optional<double> ParseDouble(std::u16string_view text);
// "0" and "false" are false, any other non-empty text is true.
std::optional<bool> ParseBool(std::u16string_view text);
// "#RRGGBB" (opaque) or "#RRGGBBAA", also "rgb(r,g,b)" and "rgba(r,g,b,a)",
// and "@color/name" from the running application's colour table.
std::optional<COLORREF> ParseColor(std::u16string_view text);
// "%d,%d".
std::optional<CSize> ParseSize(std::u16string_view text);
std::optional<CPoint> ParsePoint(std::u16string_view text);
// "l,t,r,b".
std::optional<CRect> ParseRect(std::u16string_view text);

}  // namespace qv::ui
