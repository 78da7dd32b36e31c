#include "plugin/dialogs/DlgSaveEffect.h"

#include "families/FamilyData.h"
#include "platform/ui/SMessageBox.h"
#include "platform/ui/controls/SComboBox.h"
#include "plugin/app/ResNames.h"
#include "plugin/workspace/WorkSpace.h"
#include "plugin/workspace/WorkSpaceParams.h"

namespace {

// The user's effects are the buttons 自定义4 .. 自定义15.
constexpr int kFirstUserEffectNumber = 4;

}  // namespace

CDlgSaveEffect::CDlgSaveEffect(CWorkSpace* workspace)
    : COkCancelDialog(res::layout::XML_SAVEEFFECT), m_workspace(workspace) {}

BOOL CDlgSaveEffect::_HandleEvent(qv::ui::EventArgs* e) {
    if (e->GetID() == qv::ui::EVT_CB_SELCHANGE && e->nameFrom == u"combo_save_type") {
        if (m_initialised) OnSaveTypeChanged();
        return TRUE;
    }
    return COkCancelDialog::_HandleEvent(e);
}

void CDlgSaveEffect::OnInitDialog() {
    m_saveType = FindChildByName2<qv::ui::SComboBox>(u"combo_save_type");
    m_saveTo = FindChildByName2<qv::ui::SComboBox>(u"combo_save_to");
    if (m_saveType) m_saveType->SetCurSel(0);
    if (m_saveTo) m_saveTo->SetCurSel(0);
    m_name = FindChildByName(u"edit_name");
    m_initialised = true;
}

void CDlgSaveEffect::OnSaveTypeChanged() {
    if (!m_saveType || !m_saveTo) return;
    m_saveTo->ResetContent();
    if (m_saveType->GetCurSel() == kDeviceEffect) {
        for (int n = 1; n <= kDeviceCustomEffectCount; ++n)
            m_saveTo->AddString(qv::ui::SStringW::Format(u"设备自定义%d", n));
    } else {
        for (int n = 0; n < kUserEffectCount; ++n)
            m_saveTo->AddString(qv::ui::SStringW::Format(u"自定义%d", kFirstUserEffectNumber + n));
    }
}

void CDlgSaveEffect::OnOK() {
    const int type = m_saveType ? m_saveType->GetCurSel() : -1;
    if (type < 0) return Tell(u"请选择保存类型！");
    const int position = m_saveTo ? m_saveTo->GetCurSel() : -1;
    if (position < 0) return Tell(u"请选择保存位置！");
    qv::ui::SStringW name = m_name ? m_name->GetWindowText() : qv::ui::SStringW();
    name.Trim();
    if (name.IsEmpty()) return Tell(u"音效名称不能为空！");
    CWorkSpaceParams* params = m_workspace ? m_workspace->Params() : nullptr;
    if (!params) return Tell(u"保存失败！");
    if (!m_workspace->IsDeviceConnected()) return Tell(u"您未连接设备，请先连接设备！");
    if (!params->Model().SaveCustomEffect(name.str(), type, position)) return Tell(u"保存失败！");
    EndDialog(IDOK);
}

void CDlgSaveEffect::Tell(const char16_t* text) { qv::ui::SMessageBox(GetHwnd(), text, u"提示", MB_OK); }
