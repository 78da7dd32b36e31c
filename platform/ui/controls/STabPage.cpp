#include "platform/ui/controls/STabPage.h"

namespace qv::ui {

HRESULT STabPage::SetAttribute(const SStringW& name, const SStringW& value, bool loading) {
    if (name == u"title") {
        m_title.SetText(value);
        if (!loading && GetParent()) GetParent()->Invalidate();
        return AfterAttribute(name, value, loading, S_FALSE);
    }
    return SWindow::SetAttribute(name, value, loading);
}

void STabPage::SetTitle(const SStringW& title) { SetAttribute(u"title", title, false); }

void STabPage::OnLanguageChanged() {
    m_title.Translate();
    SWindow::OnLanguageChanged();
}

}  // namespace qv::ui
