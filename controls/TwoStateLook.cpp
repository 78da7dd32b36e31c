#include "controls/TwoStateLook.h"

#include "controls/ControlAttr.h"

namespace qv::controls {

using namespace qv::ui;

namespace {

// The number at the end of "text1", "tip2", "colortext1"...: 2 is the
// checked state's.
bool ForChecked(const SStringW& name) { return name.GetAt(name.GetLength() - 1) == u'2'; }

}  // namespace

bool TwoStateLook::SetAttribute(SWindow& wnd, const SStringW& name, const SStringW& value, HRESULT& hr) {
    const bool checked = wnd.IsChecked();
    hr = S_FALSE;
    if (name.EqualsNoCase(u"multitip")) {
        m_multiTip = value != u"0";
        if (m_multiTip) ApplyTip(wnd, checked);
    } else if (name.EqualsNoCase(u"multitext")) {
        m_multiText = value != u"0";
        if (m_multiText) ApplyText(wnd, checked);
    } else if (name.EqualsNoCase(u"multicolor")) {
        m_multiColor = value != u"0";
        if (m_multiColor) ApplyColor(wnd, checked);
    } else if (name.EqualsNoCase(u"tip1") || name.EqualsNoCase(u"tip2")) {
        (ForChecked(name) ? m_tip2 : m_tip1).SetText(value);
        if (m_multiTip && ForChecked(name) == checked) ApplyTip(wnd, checked);
    } else if (name.EqualsNoCase(u"text1") || name.EqualsNoCase(u"text2")) {
        (ForChecked(name) ? m_text2 : m_text1).SetText(value);
        if (m_multiText && ForChecked(name) == checked) ApplyText(wnd, checked);
    } else if (name.EqualsNoCase(u"colortext1") || name.EqualsNoCase(u"colortext2")) {
        if (!ParseInto(value, ForChecked(name) ? m_colorText2 : m_colorText1)) {
            hr = E_FAIL;
            return true;
        }
        hr = S_OK;
        if (m_multiColor && ForChecked(name) == checked) ApplyColor(wnd, checked);
    } else if (name.EqualsNoCase(u"focusSkin")) {
        if (!ParseSkin(value, m_focusSkin)) hr = E_FAIL;
    } else {
        return false;
    }
    return true;
}

void TwoStateLook::Apply(SWindow& wnd, bool checked) const {
    if (m_multiTip) ApplyTip(wnd, checked);
    if (m_multiText) ApplyText(wnd, checked);
    if (m_multiColor) ApplyColor(wnd, checked);
}

void TwoStateLook::ApplyTip(SWindow& wnd, bool checked) const { wnd.SetToolTipText((checked ? m_tip2 : m_tip1).GetSource()); }
void TwoStateLook::ApplyText(SWindow& wnd, bool checked) const { wnd.SetWindowText((checked ? m_text2 : m_text1).GetSource()); }
void TwoStateLook::ApplyColor(SWindow& wnd, bool checked) const { wnd.SetTextColor(checked ? m_colorText2 : m_colorText1); }

void TwoStateLook::Translate() {
    for (STrText* t : {&m_tip1, &m_tip2, &m_text2, &m_text1}) t->Translate();
}

}  // namespace qv::controls
