#pragma once
// The modal device information box: shows a text the main window composed
// from the card's answers, in the label "txt_info".
#include <string>

#include "platform/ui/SHostDialog.h"

class CDlgDeviceInfo : public qv::ui::SHostDialog {
    QV_CLASS_NAME(CDlgDeviceInfo, qv::ui::SHostDialog, u"DlgDeviceInfo", qv::ui::kObjectWindow)

public:
    // The text is borrowed: the caller keeps it alive for the modal loop.
    explicit CDlgDeviceInfo(const std::u16string& text);

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override;

private:
    const std::u16string& m_text;
    qv::ui::SWindow* m_info = nullptr;
};
