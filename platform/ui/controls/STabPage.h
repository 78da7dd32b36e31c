#pragma once
// A page of a tab control (layout tag "page"); "title" is its tab's text.
#include "platform/ui/SWindow.h"

namespace qv::ui {

class STabPage : public SWindow {
    QV_CLASS_NAME(STabPage, SWindow, u"page", kObjectWindow)
    QV_ATTRIBUTES(SWindow)

public:
    SStringW GetTitle() const { return m_title.GetText(); }
    void SetTitle(const SStringW& title);
    void OnLanguageChanged() override;

private:
    HRESULT SetTitleAttr(const SStringW& value, bool loading);

    STrText m_title;
};

}  // namespace qv::ui
