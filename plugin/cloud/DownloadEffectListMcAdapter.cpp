#include "plugin/cloud/DownloadEffectListMcAdapter.h"

#include "platform/ui/SWindow.h"
#include "plugin/cloud/EffectListRows.h"
#include "plugin/model/RecordText.h"
#include "plugin/workspace/WorkSpace.h"
#include "plugin/workspace/WorkSpaceParams.h"

CDownloadEffectListMcAdapter::CDownloadEffectListMcAdapter(CWorkSpace& workspace, IEffectListPage* page)
    : m_workspace(workspace), m_page(page) {}

int CDownloadEffectListMcAdapter::getCount() {
    CWorkSpaceParams* params = m_workspace.Params();
    return params ? params->Model().GetDownloadedEffects().GetCount() : 0;
}

qv::ui::SStringW CDownloadEffectListMcAdapter::GetColumnName(int column) const { return EffectListColumnName(column); }

void CDownloadEffectListMcAdapter::getView(int position, qv::ui::SWindow* pItem, pugi::xml_node xmlTemplate) {
    CWorkSpaceParams* params = m_workspace.Params();
    const EffectRecord* record = params ? params->Model().GetDownloadedEffects().GetAt(position) : nullptr;
    if (!pItem || !record) return;
    EnsureRowBuilt(pItem, xmlTemplate);
    SetRowName(pItem, std::u16string(FieldText(record->name)));
    BindUseButton(pItem, record->id, true, m_workspace, m_page, this);
}
