#pragma once
// Reading attribute values into a control's members: each helper leaves the
// member alone and returns false for a value it cannot read, so the
// attribute can be refused.
#include <cmath>

#include "platform/ui/AttrParse.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/controls/ControlLook.h"

namespace qv::controls {

inline bool ParseInto(std::u16string_view text, int& out) {
    auto v = qv::ui::ParseInt(text);
    if (v) out = *v;
    return v.has_value();
}

inline bool ParseInto(std::u16string_view text, qv::ui::CSize& out) {
    auto v = qv::ui::ParseSize(text);
    if (v) out = *v;
    return v.has_value();
}

inline bool ParseInto(std::u16string_view text, qv::ui::CPoint& out) {
    auto v = qv::ui::ParsePoint(text);
    if (v) out = *v;
    return v.has_value();
}

// An empty or unreadable colour is refused.
inline bool ParseInto(std::u16string_view text, qv::ui::COLORREF& out) {
    auto v = qv::ui::ParseColor(text);
    if (v) out = *v;
    return v.has_value();
}

// A number that is not finite is refused.
template <class T>
bool ParseFinite(std::u16string_view text, T& out) {
    auto v = qv::ui::ParseDouble(text);
    if (!v || !std::isfinite(*v)) return false;
    out = static_cast<T>(*v);
    return true;
}

// A skin of the application's pool by name.
inline bool ParseSkin(const qv::ui::SStringW& name, qv::ui::ISkinObj*& out) {
    qv::ui::ISkinObj* skin = qv::ui::FindSkin(name);
    if (skin) out = skin;
    return skin != nullptr;
}

}  // namespace qv::controls
