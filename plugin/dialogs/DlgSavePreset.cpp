#include "plugin/dialogs/DlgSavePreset.h"

#include "platform/ui/SMessageBox.h"
#include "platform/ui/controls/SComboBox.h"
#include "plugin/app/ResNames.h"
#include "plugin/workspace/WorkSpace.h"
#include "plugin/workspace/WorkSpaceParams.h"

namespace {

constexpr const char16_t* kCaption = u"提示";

}  // namespace

CDlgSavePreset::CDlgSavePreset(CWorkSpace* workspace, int bank)
    : COkCancelDialog(res::layout::XML_SAVEPRESET), m_workspace(workspace), m_bank(bank) {}

void CDlgSavePreset::OnInitDialog() {
    m_saveTo = FindChildByName2<qv::ui::SComboBox>(u"combo_save_to");
    if (m_saveTo) m_saveTo->SetCurSel(-1);
    if (qv::ui::SWindow* title = FindChildByName(u"txt_title")) {
        CWorkSpaceParams* params = m_workspace ? m_workspace->Params() : nullptr;
        const std::u16string* group = params ? params->Model().GetGroupName(m_bank) : nullptr;
        title->SetWindowText(qv::ui::SStringW::Format(u"保存预设-%s", group ? group->c_str() : u""));
    }
    m_name = FindChildByName(u"edit_name");
    m_initialised = true;
}

void CDlgSavePreset::OnOK() {
    const int slot = m_saveTo ? m_saveTo->GetCurSel() : -1;
    if (slot < 0) {
        qv::ui::SMessageBox(GetHwnd(), u"请选择预设的保存位置！", kCaption, MB_OK);
        return;
    }
    qv::ui::SStringW name = m_name ? m_name->GetWindowText() : qv::ui::SStringW();
    name.Trim();
    if (name.IsEmpty()) {
        qv::ui::SMessageBox(GetHwnd(), u"预设名称不能为空！", kCaption, MB_OK);
        return;
    }
    CWorkSpaceParams* params = m_workspace ? m_workspace->Params() : nullptr;
    if (params && params->Model().SaveCurrentAsPreset(name.str(), m_bank, slot)) {
        EndDialog(IDOK);
        return;
    }
    qv::ui::SMessageBox(GetHwnd(), u"保存失败！", kCaption, MB_OK);
}
