#include "platform/ui/AttrTable.h"

#include "platform/os/Log.h"
#include "platform/ui/AttrParse.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SWindow.h"

namespace qv::ui {

bool AttrNameEquals(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y - u'A' + u'a');
        if (x != y) return false;
    }
    return true;
}

bool ParseAttrValue(const SStringW& text, int& out) {
    auto v = ParseInt(text);
    if (v) out = *v;
    return v.has_value();
}

bool ParseAttrValue(const SStringW& text, bool& out) {
    auto v = ParseBool(text);
    if (v) out = *v;
    return v.has_value();
}

bool ParseAttrValue(const SStringW& text, COLORREF& out) {
    auto v = ParseColor(text);
    if (v) out = *v;
    return v.has_value();
}

bool ParseAttrValue(const SStringW& text, double& out) {
    auto v = ParseDouble(text);
    if (v) out = *v;
    return v.has_value();
}

bool ParseAttrValue(const SStringW& text, SStringW& out) {
    out = text;
    return true;
}

bool ParseAttrValue(const SStringW& text, CSize& out) {
    auto v = ParseSize(text);
    if (v) out = *v;
    return v.has_value();
}

bool ParseAttrValue(const SStringW& text, ISkinObj*& out) {
    SApplication* app = SApplication::getSingletonPtr();
    ISkinObj* skin = app ? app->GetSkin(text) : nullptr;
    if (!skin) {
        QV_LOGW("skin %s not found", text.ToUtf8().c_str());
        return false;
    }
    out = skin;
    return true;
}

std::optional<HRESULT> ApplyAttrRows(std::span<const AttrRow> rows, SObject& self, const SStringW& name,
                                     const SStringW& value, bool loading) {
    for (const AttrRow& row : rows) {
        if (!AttrNameEquals(row.name, name)) continue;
        HRESULT hr = row.set(self, value, loading);
        if (FAILED(hr)) return hr;
        if (row.effect == AttrEffect::NoRepaint) hr = S_FALSE;
        if (row.effect == AttrEffect::Relayout && !loading) {
            if (auto* wnd = dynamic_cast<SWindow*>(&self)) wnd->RequestRelayout();
        }
        return self.AfterAttribute(name, value, loading, hr);
    }
    return std::nullopt;
}

}  // namespace qv::ui
