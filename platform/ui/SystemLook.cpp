#include "platform/ui/SystemLook.h"

#include "platform/ui/SApplication.h"

namespace qv::ui {
namespace {

COLORREF SkinColor(const char16_t* name, COLORREF fallback) {
    SApplication* app = SApplication::getSingletonPtr();
    auto color = app ? app->GetNamedColor(name) : std::nullopt;
    return color.value_or(fallback);
}

}  // namespace

COLORREF GetSysColor(int index) {
    switch (index) {
    case COLOR_INFOBK: return SkinColor(u"panel", RGBA(0x2A, 0x2C, 0x33, 0xFF));
    case COLOR_INFOTEXT: return SkinColor(u"text", RGBA(0xE6, 0xE8, 0xEE, 0xFF));
    default: return RGBA(0, 0, 0, 0xFF);
    }
}

SFont GetDefaultGuiFont() {
    SApplication* app = SApplication::getSingletonPtr();
    return app ? app->GetDefaultFont().Resolve() : SFont{};
}

}  // namespace qv::ui
