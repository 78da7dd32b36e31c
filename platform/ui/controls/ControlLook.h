#pragma once
// The colours controls draw with when the layout gives them no skin, and
// small helpers shared by the controls.
#include "platform/ui/Color.h"
#include "platform/ui/SStringW.h"

namespace qv::ui {

class ISkinObj;

namespace look {
constexpr COLORREF kPanel = RGBA(0x2A, 0x2C, 0x33, 255);
constexpr COLORREF kLine = RGBA(0x3A, 0x3D, 0x46, 255);
constexpr COLORREF kText = RGBA(0xE6, 0xE8, 0xEE, 255);
constexpr COLORREF kTextSecondary = RGBA(0x9A, 0xA0, 0xAE, 255);
constexpr COLORREF kAccent = RGBA(0x3D, 0xA9, 0xFC, 255);
constexpr COLORREF kHover = RGBA(0x34, 0x37, 0x40, 255);
constexpr COLORREF kSelection = RGBA(0x3D, 0xA9, 0xFC, 0x80);
}  // namespace look

// A skin of the application's pool by name; null (and a warning) when unknown.
ISkinObj* FindSkin(const SStringW& name);

}  // namespace qv::ui
