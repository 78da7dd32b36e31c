#include "platform/ui/STrText.h"

#include "platform/ui/SApplication.h"

namespace qv::ui {

void STrText::SetText(const SStringW& source) {
    m_source = source;
    Translate();
}

void STrText::Translate() {
    SApplication* app = SApplication::getSingletonPtr();
    if (!app) {
        m_translated = m_source;
        return;
    }
    m_translated = app->TranslateText(m_source);
}

SStringW DisplayText(const SStringW& text) {
    if (text.Find(u'&') < 0) return text;
    std::u16string out;
    const std::u16string& s = text.str();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            if (i + 1 < s.size() && s[i + 1] == u'&') {
                out.push_back(u'&');
                ++i;
            }
            continue;
        }
        out.push_back(s[i]);
    }
    return SStringW(std::move(out));
}

}  // namespace qv::ui
