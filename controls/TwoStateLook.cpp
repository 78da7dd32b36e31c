#include "controls/TwoStateLook.h"

#include "platform/ui/AttrTable.h"

namespace qv::controls {

using namespace qv::ui;

void TwoStateLook::SetFlag(SWindow& wnd, Aspect aspect, bool on) {
    (aspect == kTip ? m_multiTip : aspect == kCaption ? m_multiText : m_multiColor) = on;
    if (on) Show(wnd, aspect, wnd.IsChecked());
}

void TwoStateLook::SetText(SWindow& wnd, Aspect aspect, bool forChecked, const SStringW& text) {
    STrText& slot = aspect == kTip ? (forChecked ? m_tip2 : m_tip1) : (forChecked ? m_text2 : m_text1);
    slot.SetText(text);
    const bool flagged = aspect == kTip ? m_multiTip : m_multiText;
    if (flagged && forChecked == wnd.IsChecked()) Show(wnd, aspect, forChecked);
}

bool TwoStateLook::SetColor(SWindow& wnd, bool forChecked, const SStringW& text) {
    if (!ParseAttrValue(text, forChecked ? m_colorText2 : m_colorText1)) return false;
    if (m_multiColor && forChecked == wnd.IsChecked()) Show(wnd, kColor, forChecked);
    return true;
}

void TwoStateLook::Apply(SWindow& wnd, bool checked) const {
    if (m_multiTip) Show(wnd, kTip, checked);
    if (m_multiText) Show(wnd, kCaption, checked);
    if (m_multiColor) Show(wnd, kColor, checked);
}

void TwoStateLook::Show(SWindow& wnd, Aspect aspect, bool checked) const {
    switch (aspect) {
    case kTip: wnd.SetToolTipText((checked ? m_tip2 : m_tip1).GetSource()); break;
    case kCaption: wnd.SetWindowText((checked ? m_text2 : m_text1).GetSource()); break;
    case kColor: wnd.SetTextColor(checked ? m_colorText2 : m_colorText1); break;
    }
}

void TwoStateLook::Translate() {
    for (STrText* t : {&m_tip1, &m_tip2, &m_text2, &m_text1}) t->Translate();
}

}  // namespace qv::controls
