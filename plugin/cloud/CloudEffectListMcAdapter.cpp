#include "plugin/cloud/CloudEffectListMcAdapter.h"

#include "platform/os/Log.h"
#include "platform/ui/EventArgs.h"
#include "platform/ui/SWindow.h"
#include "plugin/cloud/CloudEffectDetailDownloader.h"
#include "plugin/cloud/CloudEffectLists.h"
#include "plugin/cloud/EffectListRows.h"
#include "plugin/model/RecordText.h"
#include "plugin/workspace/WorkSpace.h"
#include "plugin/workspace/WorkSpaceParams.h"

CCloudEffectListMcAdapter::CCloudEffectListMcAdapter(std::vector<CloudEffectItem>* list, CWorkSpace& workspace,
                                                     IEffectListPage* page)
    : m_list(list), m_workspace(workspace), m_page(page) {}

int CCloudEffectListMcAdapter::getCount() { return m_list ? static_cast<int>(m_list->size()) : 0; }

qv::ui::SStringW CCloudEffectListMcAdapter::GetColumnName(int column) const { return EffectListColumnName(column); }

void CCloudEffectListMcAdapter::getView(int position, qv::ui::SWindow* pItem, pugi::xml_node xmlTemplate) {
    if (!pItem || position < 0 || position >= getCount()) return;
    EnsureRowBuilt(pItem, xmlTemplate);
    const CloudEffectItem& row = (*m_list)[static_cast<std::size_t>(position)];
    SetRowName(pItem, std::u16string(FieldText(row.name)));
    const bool downloaded = IsCloudEffectDownloaded(m_workspace, row.id);
    BindUseButton(pItem, row.id, downloaded, m_workspace, m_page, this);

    qv::ui::SWindow* download = pItem->FindChildByName(u"btn_download");
    if (!download) return;
    download->SetUserData(static_cast<ULONG_PTR>(position));
    download->GetEventSet().UnsubscribeOwner(this);
    download->SubscribeEvent(qv::ui::EVT_CMD, [this](qv::ui::EventArgs* e) { return OnBtnDownload(e); }, this);
    if (!downloaded) download->SetWindowText(row.status == kCloudEffectDownloading ? u"下载中" : u"下载");
    download->SetVisible(!downloaded);
}

bool CCloudEffectListMcAdapter::OnBtnDownload(qv::ui::EventArgs* e) {
    auto* button = e ? dynamic_cast<qv::ui::SWindow*>(e->Sender()) : nullptr;
    if (!button || !m_list) return false;
    const ULONG_PTR index = button->GetUserData();
    if (index >= m_list->size()) {
        QV_LOGW("download of row %lu refused: the list has %zu rows", static_cast<unsigned long>(index), m_list->size());
        return false;
    }
    CloudEffectItem& row = (*m_list)[index];
    QV_TRACE("CCloudEffectListMcAdapter::OnBtnDownload id=%ld  status=%ld\n", static_cast<long>(row.id),
             static_cast<long>(row.status));
    if (row.status != kCloudEffectNotDownloaded) return false;
    CWorkSpaceParams* params = m_workspace.Params();
    if (!params || !m_page) return false;
    auto downloader = std::make_shared<CCloudEffectDetailDownloader>(row.id, params->Model().GetDescriptors());
    row.status = kCloudEffectDownloading;
    downloader->Start();
    m_page->KeepDetailDownloader(std::move(downloader));
    notifyDataSetChanged();
    return true;
}
