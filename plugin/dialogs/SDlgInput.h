#pragma once
// Asks for a line of text, which must be non-empty (unless allowed), no
// longer than the maximum and free of the forbidden characters before the
// dialog ends with OK; a refusal is shown as a tip by the input.
#include "platform/ui/SHostDialog.h"

namespace qv::ui {
class SRichEdit;
}

class SDlgInput : public qv::ui::SHostDialog {
    QV_CLASS_NAME(SDlgInput, qv::ui::SHostDialog, u"dlginput", qv::ui::kObjectWindow)

public:
    static constexpr int kNoLimit = -1;

    // title: "Input" when empty; maxLength in UTF-16 units, -1 no limit.
    SDlgInput(const qv::ui::SStringW& text, const qv::ui::SStringW& title, int maxLength);

    void SetForbiddenChars(const qv::ui::SStringW& chars) { m_forbidden = chars; }
    void SetAllowEmpty(bool allow) { m_allowEmpty = allow ? 1 : 0; }
    // The accepted text after OK.
    const qv::ui::SStringW& GetText() const { return m_text; }

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override;

private:
    void OnInitDialog();
    void OnOK();
    void Refuse(const qv::ui::SStringW& message);

    qv::ui::SStringW m_title;
    qv::ui::SStringW m_text;
    qv::ui::SStringW m_forbidden;
    int m_maxLength;
    int m_allowEmpty = 0;
    qv::ui::SRichEdit* m_input = nullptr;
};
