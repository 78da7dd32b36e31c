// The effect page's presets: the preset buttons and their banks' default
// buttons, the save dialogs, the custom buttons' menu with the preset files,
// and the names on the custom buttons.
#include "families/ThisFamily.h"
#include "platform/os/Log.h"
#include "platform/ui/SMenu.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/SHostWnd.h"
#include "plugin/pages/ButtonText.h"
#include "plugin/dialogs/DlgSaveEffect.h"
#include "plugin/dialogs/DlgSavePreset.h"
#include "plugin/pages/EventHandlerEffect.h"
#include "plugin/dialogs/FileDialogHelper.h"
#include "plugin/windows/MainDlg.h"
#include "plugin/workspace/PresetFile.h"
#include "plugin/workspace/SettingsStore.h"
#include "plugin/workspace/WorkSpace.h"
#include "plugin/workspace/WorkSpaceParams.h"
#include "plugin/model/RecordText.h"

namespace {

using qv::ui::SStringW;
using qv::ui::SWindow;

// Preset names longer than this are cut on their buttons.
constexpr int kPresetNameWhole = 5;
// The values of the cloud list's built-in entry.
constexpr int kBuiltInCloudBank = 4;
constexpr DWORD kPresetFileFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
constexpr UINT kExportFailedTipMs = 3000;

int FirstCustomSlot(int bank) { return ThisFamily().presetBanks[static_cast<std::size_t>(bank)].firstCustomSlot; }

// The filter list of the preset files' dialogs: the family's name, "*.data;".
std::u16string PresetFileFilter() {
    std::u16string filter = ThisFamily().window.presetFileFilter;
    filter += u'\0';
    filter += u"*.data;";
    filter += u'\0';
    return filter;
}

HWND DialogOwner(HWND fallback) {
    const HWND active = qv::ui::GetActiveWindow();
    return active ? active : fallback;
}

}  // namespace

void CEventHandlerEffect::OnBtnPreset(int id) {
    m_presetChosen = true;
    const int bank = (id - kFirstPresetButton) / 100;
    const int slot = (id - kFirstPresetButton) % 100;
    CParamModel* model = Model();
    if (model && model->ApplyCustomPreset(slot, bank)) {
        CheckEffectButton(bank - 1, slot - 1);
        return;
    }
    if (bank >= 1 && bank <= kBankCount && slot >= FirstCustomSlot(bank) && slot < FirstCustomSlot(bank) + kCustomPresetSlots)
        ShowTip(id, u"您尚未保存预设！");
}

void CEventHandlerEffect::OnBtnPresetGroup(int id) {
    const int bank = id - kFirstPresetGroupButton;
    CParamModel* model = Model();
    if (bank < 1 || bank > kBankCount || !model) return;
    const std::vector<SWindow*>& list = m_presetLists[static_cast<std::size_t>(bank - 1)];
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] && list[i]->IsChecked()) {
            model->ApplyCustomPreset(static_cast<int>(i) + 1, bank);
            return;
        }
    }
    // No preset of the bank is chosen: its values come back from the effect.
    if (m_listEffectId == -1)
        model->ApplyCustomPreset(0, kBuiltInCloudBank);
    else if (m_listEffectId != 0)
        model->ApplyDownloadedEffectGroup(bank, m_listEffectId);
    else
        model->ApplyEffectGroup(FirstCheckedEffectButton(), bank);
}

int CEventHandlerEffect::FirstCheckedEffectButton() const {
    for (int i = 0; i < kEffectButtonCount; ++i) {
        const SWindow* button = m_effectButtons[static_cast<std::size_t>(i)];
        if (button && button->IsChecked()) return i;
    }
    return 0;
}

void CEventHandlerEffect::ClearEffectChecks() {
    for (const std::vector<SWindow*>& list : m_presetLists)
        for (SWindow* button : list)
            if (button) button->SetCheck(false);
    m_presetChosen = false;
}

void CEventHandlerEffect::CheckEffectButton(int list, int index) {
    if (list < 0 || list >= kBankCount) return;
    const std::vector<SWindow*>& buttons = m_presetLists[static_cast<std::size_t>(list)];
    if (index < 0 || index >= static_cast<int>(buttons.size())) return;
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i]) buttons[i]->SetCheck(static_cast<int>(i) == index);
}

// ---------------------------------------------------------------- saving

void CEventHandlerEffect::OnBtnSavePreset(int id) {
    const int bank = id - kFirstSavePresetButton;
    if (bank < 1 || bank > kBankCount || !m_owner) return;
    const std::weak_ptr<bool> alive = m_alive;
    CDlgSavePreset dialog(m_workspace, bank);
    if (dialog.DoModal(OwnerHwnd()) != IDOK || alive.expired() || !m_owner) return;
    ShowTip(id, u"保存成功！");
    UpdatePresetButtons();
}

void CEventHandlerEffect::OnBtnSaveEffect() {
    if (!m_owner) return;
    const std::weak_ptr<bool> alive = m_alive;
    CDlgSaveEffect dialog(m_workspace);
    if (dialog.DoModal(OwnerHwnd()) != IDOK || alive.expired() || !m_owner) return;
    UpdateDeviceEffectButtons();
    ShowTip(kSaveEffectButton, u"保存音效成功！");
}

void CEventHandlerEffect::UpdatePresetButtons() {
    CParamModel* model = Model();
    if (!model) return;
    for (int bank = 1; bank <= kBankCount; ++bank) {
        for (int j = 0; j < kCustomPresetSlots; ++j) {
            SWindow* button = m_customPresetButtons[static_cast<std::size_t>(bank - 1)][static_cast<std::size_t>(j)];
            const GroupPreset* preset = model->FindCustomPreset(FirstCustomSlot(bank) + j, bank);
            if (!button || !preset) continue;
            const std::u16string_view name = FieldText(preset->name);
            button->SetToolTipText(SStringW(std::u16string(name)));
            button->SetWindowText(SStringW(ButtonText(name, kPresetNameWhole)));
        }
    }
}

// ---------------------------------------------------------------- files

bool CEventHandlerEffect::OnBtnPresetMenu(qv::ui::EventArgs* e) {
    if (!m_owner) return false;
    m_menuTarget = e->idFrom;
    qv::ui::SMenu menu;
    if (!menu.LoadMenu(u"SMENU::menu_preset")) {
        QV_LOGE("preset menu not found");
        return true;
    }
    const qv::ui::CPoint at = qv::ui::GetDisplayBackend().GetCursorPos();
    menu.TrackPopupMenu(0, at.x, at.y, OwnerHwnd(), 100);
    return true;
}

void CEventHandlerEffect::OnPresetFileDialog(bool import) {
    if (m_menuTarget < 0 || !Model()) return;
    const int bank = (m_menuTarget % kFirstPresetButton) / 100;
    const int slot = m_menuTarget % 100;
    // Only the custom buttons of the three banks have files.
    if (bank < 1 || bank > kBankCount) return;
    const int customIndex = slot - FirstCustomSlot(bank);
    if (customIndex < 0 || customIndex >= kCustomPresetSlots) return;
    if (import)
        ImportPreset(bank, slot, customIndex);
    else
        ExportPreset(bank, slot);
}

void CEventHandlerEffect::ImportPreset(int bank, int slot, int customIndex) {
    const int target = m_menuTarget;
    const std::weak_ptr<bool> alive = m_alive;
    CFileDialogHelper dialog(true, kPresetFileFlags, PresetFileFilter(), u"data", DialogOwner(OwnerHwnd()));
    if (dialog.DoModal(OwnerHwnd()) != 1 || alive.expired() || !m_owner || !Model()) return;
    // Read only: a name typed into the dialog leaves no file behind.
    const std::optional<GroupPreset> preset = ReadPresetFile(dialog.GetPathName());
    if (!preset) {
        ShowTip(target, u"文件打开失败！");
        return;
    }
    CSettingsStore::GetStore(1)->Load(dialog.GetPathName());
    CParamModel* model = Model();
    if (!model->SaveCustomPreset(customIndex, bank, *preset)) {
        ShowTip(target, u"参数错误！");
        return;
    }
    if (SWindow* button = m_owner->FindChildByID(target); button && button->IsChecked())
        model->ApplyCustomPreset(slot, bank);
    UpdatePresetButtons();
}

void CEventHandlerEffect::ExportPreset(int bank, int slot) {
    const int target = m_menuTarget;
    GroupPreset preset{};
    if (!Model()->GetCustomPreset(slot, bank, preset) || preset.valueCount == 0) {
        ShowTip(target, u"您尚未保存预设！");
        return;
    }
    const std::weak_ptr<bool> alive = m_alive;
    CFileDialogHelper dialog(false, kPresetFileFlags, PresetFileFilter(), u"data", DialogOwner(OwnerHwnd()));
    if (dialog.DoModal(OwnerHwnd()) != 1 || alive.expired() || !m_owner) return;
    if (!WritePresetFile(dialog.GetPathName(), preset)) {
        ShowTip(target, u"保存失败，请尝试保存到其他路径！", kExportFailedTipMs);
        return;
    }
    CSettingsStore::GetStore(1)->Load(dialog.GetPathName());
    ShowTip(target, u"文件保存成功！");
}
