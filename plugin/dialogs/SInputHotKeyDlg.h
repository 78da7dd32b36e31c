#pragma once
// Asks for a global hotkey. The value holds the key flags (Alt 1, Ctrl 2,
// Shift 4) in the high 16 bits and the virtual key in the low 16 bits, as
// the hotkey service registers it.
#include <cstdint>

#include "platform/ui/SHostDialog.h"

namespace qv::ui {
class SHotKeyCtrl;
}

class SInputHotKeyDlg : public qv::ui::SHostDialog {
    QV_CLASS_NAME(SInputHotKeyDlg, qv::ui::SHostDialog, u"dlginputhotkey", qv::ui::kObjectWindow)

public:
    SInputHotKeyDlg(std::uint32_t hotkey, const qv::ui::SStringW& layoutName, const qv::ui::SStringW& title);

    // After OK: the chosen value and its text ("Ctrl+F1").
    std::uint32_t GetHotKey() const { return m_hotkey; }
    const qv::ui::SStringW& GetHotKeyText() const { return m_hotkeyText; }

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override;

private:
    void OnInitDialog();
    void OnOK();

    qv::ui::SStringW m_title;
    qv::ui::SStringW m_hotkeyText;
    qv::ui::SHotKeyCtrl* m_hotkeyCtrl = nullptr;
    std::uint32_t m_hotkey;
};
