#include "platform/ui/controls/STabPage.h"

namespace qv::ui {

std::span<const AttrRow> STabPage::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrCall<&STabPage::SetTitleAttr>(u"title", AttrEffect::NoRepaint),
    };
    return kRows;
}

HRESULT STabPage::SetTitleAttr(const SStringW& value, bool loading) {
    m_title.SetText(value);
    if (!loading && GetParent()) GetParent()->Invalidate();
    return S_OK;
}

void STabPage::SetTitle(const SStringW& title) { SetAttribute(u"title", title, false); }

void STabPage::OnLanguageChanged() {
    m_title.Translate();
    SWindow::OnLanguageChanged();
}

}  // namespace qv::ui
