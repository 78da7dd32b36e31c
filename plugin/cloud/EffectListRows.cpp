#include "plugin/cloud/EffectListRows.h"

#include "platform/ui/EventArgs.h"
#include "platform/ui/SWindow.h"
#include "plugin/cloud/CloudEffectListMcAdapter.h"
#include "plugin/workspace/WorkSpace.h"
#include "plugin/workspace/WorkSpaceParams.h"

qv::ui::SStringW EffectListColumnName(int column) { return qv::ui::SStringW::Format(u"col%d", column + 1); }

void EnsureRowBuilt(qv::ui::SWindow* row, pugi::xml_node xmlTemplate) {
    if (row && row->GetChildrenCount() == 0 && xmlTemplate) row->CreateChildren(xmlTemplate);
}

void SetRowName(qv::ui::SWindow* row, const qv::ui::SStringW& name) {
    if (qv::ui::SWindow* label = row->FindChildByName(u"txt_name")) label->SetWindowText(name);
}

std::int32_t CurrentEffectId(CWorkSpace& workspace) {
    CWorkSpaceParams* params = workspace.Params();
    return params ? params->Model().GetCurrentEffect().id : 0;
}

void BindUseButton(qv::ui::SWindow* row, std::int32_t effectId, bool shown, CWorkSpace& workspace,
                   IEffectListPage* page, const void* owner) {
    qv::ui::SWindow* button = row->FindChildByName(u"btn_use");
    if (!button) return;
    button->SetUserData(static_cast<ULONG_PTR>(static_cast<std::uint32_t>(effectId)));
    // Rows are bound again whenever they show another entry: one
    // subscription per button, reading the id it carries at the click.
    button->GetEventSet().UnsubscribeOwner(owner);
    button->SubscribeEvent(
        qv::ui::EVT_CMD,
        [button, page](qv::ui::EventArgs*) {
            if (page) page->OnUseCloudEffect(static_cast<std::int32_t>(static_cast<std::uint32_t>(button->GetUserData())));
            return true;
        },
        owner);
    button->SetVisible(shown);
    const bool current = effectId == CurrentEffectId(workspace);
    button->SetCheck(current);
    button->SetWindowText(current ? u"使用中" : u"使用");
}
