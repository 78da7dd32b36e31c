#include "platform/ui/FontStyle.h"

#include "platform/os/Log.h"
#include "platform/ui/AttrParse.h"
#include "platform/ui/AttrTable.h"
#include "platform/ui/SApplication.h"

namespace qv::ui {

void FontStyle::InheritFrom(const FontStyle& outer) {
    if (face.IsEmpty()) face = outer.face;
    if (size <= 0) size = outer.size;
    if (bold < 0) bold = outer.bold;
}

void FontStyle::Override(const FontStyle& inner) {
    if (!inner.face.IsEmpty()) face = inner.face;
    if (inner.size > 0) size = inner.size;
    if (inner.bold >= 0) bold = inner.bold;
}

SFont FontStyle::Resolve() const {
    SFont font;
    font.face = face;
    if (size > 0) font.size = size;
    font.bold = bold > 0;
    return font;
}

bool ParseFontStyle(std::u16string_view text, FontStyle& style) {
    constexpr std::u16string_view kRef = u"@font/";
    FontStyle parsed;
    std::u16string_view rest = text;
    while (!rest.empty()) {
        size_t comma = rest.find(u',');
        std::u16string_view part = rest.substr(0, comma);
        rest = comma == std::u16string_view::npos ? std::u16string_view() : rest.substr(comma + 1);
        if (part.starts_with(kRef)) {
            SApplication* app = SApplication::getSingletonPtr();
            const FontStyle* named = app ? app->GetNamedFont(SStringW(part.substr(kRef.size()))) : nullptr;
            if (!named) {
                QV_LOGW("font %s not in the skin's font table", SStringW(part).ToUtf8().c_str());
                return false;
            }
            parsed.Override(*named);
            continue;
        }
        size_t colon = part.find(u':');
        if (colon == std::u16string_view::npos) {
            if (part.empty()) continue;
            return false;
        }
        std::u16string_view key = part.substr(0, colon), val = part.substr(colon + 1);
        if (AttrNameEquals(key, u"face")) {
            parsed.face = SStringW(val);
        } else if (AttrNameEquals(key, u"size")) {
            auto v = ParseInt(val);
            if (!v || *v <= 0) return false;
            parsed.size = *v;
        } else if (AttrNameEquals(key, u"bold")) {
            auto v = ParseBool(val);
            if (!v) return false;
            parsed.bold = *v ? 1 : 0;
        } else {
            return false;
        }
    }
    style.Override(parsed);
    return true;
}

}  // namespace qv::ui
