// The effect page's cloud and downloaded effect lists: their adapters, the
// list fetch with its animation and failure panel, the detail downloads the
// rows start, and using an entry of either list.
#include "controls/CTipWnd.h"
#include "families/ThisFamily.h"
#include "platform/os/Log.h"
#include "platform/os/Utf.h"
#include "platform/ui/SMessageBox.h"
#include "platform/ui/controls/SMCListView.h"
#include "plugin/app/AppEvents.h"
#include "plugin/cloud/CloudEffectDetailDownloader.h"
#include "plugin/cloud/CloudEffectListDownloader.h"
#include "plugin/cloud/CloudEffectLists.h"
#include "plugin/cloud/DownloadEffectListMcAdapter.h"
#include "plugin/pages/EventHandlerEffect.h"
#include "plugin/windows/MainDlg.h"
#include "plugin/workspace/WorkSpace.h"

namespace {

constexpr UINT kCloudFailureDelayMs = 1000;
constexpr UINT kCloudSoundFetchDelayMs = 100;
constexpr UINT kCloudTipMs = 2000;
constexpr DWORD kStopWaitMs = 100;

}  // namespace

void CEventHandlerEffect::InstallEffectListAdapters() {
    m_fetchAnimation = m_owner->FindChildByName(u"ani_fetch_cloud_eff");
    m_cloudRefreshPanel = m_owner->FindChildByName(u"wnd_cloud_eff_refresh");
    if (!m_workspace) return;
    m_cloudAdapter = std::make_shared<CCloudEffectListMcAdapter>(&m_workspace->CloudEffects(), *m_workspace, this);
    m_downloadAdapter = std::make_shared<CDownloadEffectListMcAdapter>(*m_workspace, this);
    if (auto* cloud = m_owner->FindChildByName2<qv::ui::SMCListView>(u"mclist_cloud_effect"))
        cloud->SetAdapter(m_cloudAdapter);
    if (auto* downloaded = m_owner->FindChildByName2<qv::ui::SMCListView>(u"mclist_download_effect"))
        downloaded->SetAdapter(m_downloadAdapter);
}

void CEventHandlerEffect::StartCloudEffectFetch() {
    if (m_listDownloader) {
        m_listDownloader->Stop(kStopWaitMs);
        m_listDownloader.reset();
    }
    m_listDownloader = std::make_shared<CCloudEffectListDownloader>(ThisFamily().cloudEffectListBody);
    m_listDownloader->Start();
    if (m_fetchAnimation) m_fetchAnimation->SetVisible(true);
}

void CEventHandlerEffect::FetchCloudEffectList() {
    if (!m_owner) return;
    if (m_cloudRefreshPanel) m_cloudRefreshPanel->SetVisible(false);
    StartCloudEffectFetch();
    m_owner->SetTimer(kTimerCloudSoundFetch, kCloudSoundFetchDelayMs);
}

bool CEventHandlerEffect::OnCloudEffectFinish(qv::ui::EventArgs* e) {
    auto* done = qv::ui::EventCast<EventThreadCloudEffectFinishEvent>(e);
    // Only the fetch running now: one stopped meanwhile may still report.
    if (!done || !done->downloader || done->downloader != m_listDownloader || !m_workspace) return false;
    if (done->success && done->list) {
        if (m_fetchAnimation) m_fetchAnimation->SetVisible(false);
        TakeFetchedCloudEffects(*m_workspace, std::move(*done->list), ThisFamily().cloudListHasBuiltInEntry);
        if (m_cloudAdapter) m_cloudAdapter->notifyDataSetChanged();
    } else {
        QV_TRACE("%s\n", done->message.ToUtf8().c_str());
        if (m_owner) m_owner->SetTimer(kTimerCloudFailure, kCloudFailureDelayMs);
    }
    m_listDownloader->Stop(kStopWaitMs);
    m_listDownloader.reset();
    e->handled++;
    return true;
}

bool CEventHandlerEffect::OnThreadFinish(qv::ui::EventArgs* e) {
    auto* done = qv::ui::EventCast<EventCommonThreadFinishEvent>(e);
    if (!done || done->kind != kThreadKindEffectDetail || !done->downloader || !m_workspace) return false;
    // Downloads this page stopped when it went report nothing.
    if (!m_detailDownloads.Release(done->downloader.get())) return false;
    const DetailOutcome outcome = FinishDetailDownload(*m_workspace, done->catalogueId, done->success, done->record);
    if (outcome.stored) {
        NotifyEffectLists();
    } else {
        QV_TRACE("%s\n", done->message.ToUtf8().c_str());
        if (m_owner) qv::controls::CTipWnd::ShowTipAtNamedCtrl(u"mclist_cloud_effect", m_owner, outcome.failureTip);
        if (m_cloudAdapter) m_cloudAdapter->notifyDataSetChanged();
    }
    e->handled++;
    return true;
}

void CEventHandlerEffect::KeepDetailDownloader(std::shared_ptr<CCloudEffectDetailDownloader> downloader) {
    m_detailDownloads.Keep(std::move(downloader));
}

void CEventHandlerEffect::OnUseCloudEffect(std::int32_t effectId) {
    if (!m_workspace) return;
    switch (UseCloudEffect(*m_workspace, effectId)) {
    case UseOutcome::kApplied:
        UpdateCurrentEffect();  // makes the id the current list effect id
        if (m_presetChosen) ClearEffectChecks();
        break;
    case UseOutcome::kApplyFailed:
        qv::ui::SMessageBox(OwnerHwnd(), u"音效使用失败!", u"提示", MB_OK);
        break;
    case UseOutcome::kNotDownloaded:
        qv::controls::CTipWnd::ShowTipAtCtrl(0, nullptr, u"您正在使用未下载的云音效！", kCloudTipMs);
        break;
    }
}

void CEventHandlerEffect::OnCloudFailureTimer() {
    if (!m_owner) return;
    m_owner->KillTimer(kTimerCloudFailure);
    if (m_fetchAnimation) m_fetchAnimation->SetVisible(false);
    if (m_cloudRefreshPanel) m_cloudRefreshPanel->SetVisible(true);
}

void CEventHandlerEffect::StopCloudDownloads() {
    if (m_listDownloader) m_listDownloader->RequestStop();
    m_detailDownloads.StopAll();
    if (m_listDownloader) m_listDownloader->Stop(kStopWaitMs);
    m_listDownloader.reset();
}

void CEventHandlerEffect::NotifyEffectLists() {
    if (m_cloudAdapter) m_cloudAdapter->notifyDataSetChanged();
    if (m_downloadAdapter) m_downloadAdapter->notifyDataSetChanged();
}
