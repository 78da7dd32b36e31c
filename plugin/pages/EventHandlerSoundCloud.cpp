// The sound page's cloud sounds: the category list fetched into cloud pages
// (at start and again through timer 1006), and each cloud pad's file
// downloaded into "CloudSound" and then played, added to the favourites or
// sent, as the pad's request said.
#include <sys/stat.h>

#include "families/ThisFamily.h"
#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/Tick.h"
#include "plugin/app/AppEvents.h"
#include "plugin/app/PluginApp.h"
#include "plugin/cloud/CloudSoundFileDownloader.h"
#include "plugin/cloud/CloudSoundFiles.h"
#include "plugin/cloud/CloudSoundListDownloader.h"
#include "plugin/model/RecordText.h"
#include "plugin/pages/EventHandlerSound.h"
#include "plugin/windows/MainDlg.h"

namespace {

constexpr DWORD kStopWaitMs = 100;

bool IsRegularFile(std::u16string_view path) {
    struct stat info {};
    return !path.empty() && ::stat(qv::os::NativePath(std::u16string(path)).c_str(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

}  // namespace

void CEventHandlerSound::StartCloudListFetch() {
    m_listDownloader = std::make_shared<CCloudSoundListDownloader>(&m_mood);
    m_listDownloader->Start();
    if (m_fetchAnimation) m_fetchAnimation->SetVisible(true);
}

void CEventHandlerSound::OnCloudSoundFetchTimer() {
    if (m_owner) m_owner->KillTimer(kTimerCloudSoundFetch);
    // One fetch at a time: the one running brings the categories.
    if (m_listDownloader || !m_owner) return;
    StartCloudListFetch();
}

bool CEventHandlerSound::OnCloudSoundFinish(qv::ui::EventArgs* e) {
    auto* done = qv::ui::EventCast<EventThreadCloudSoundFinishEvent>(e);
    if (!done || !done->downloader || done->downloader != m_listDownloader) return false;
    if (done->success)
        BuildCloudPages();
    else
        QV_TRACE("%s\n", done->message.ToUtf8().c_str());
    m_listDownloader->Stop(kStopWaitMs);
    m_listDownloader.reset();
    if (m_fetchAnimation) m_fetchAnimation->SetVisible(false);
    e->handled++;
    return true;
}

void CEventHandlerSound::OnBtnCloudSound(int id) {
    m_lastPlayedPad = id;
    const PadRef pad = PadOf(id);
    const std::optional<SoundItem> item = pad.kind == PadKind::kCloud ? m_mood.GetCloudSound(pad.category, pad.index)
                                                                      : std::nullopt;
    if (!item) return;
    const SoundItem* downloaded = FindSoundById(m_mood.GetDownloads(), item->cloudId);
    if (downloaded && IsRegularFile(FieldText(downloaded->path))) {
        const SoundItem sound = *downloaded;
        m_currentSound = sound;
        if (!PlaySoundItem(sound)) FailPlaying(id);
        return;
    }
    DownloadCloudSound(*item, id, kPurposePlay);
}

void CEventHandlerSound::DownloadCloudSound(const SoundItem& item, int padId, int purpose) {
    QV_TRACE("CEventHandlerSound::DownloadCloudSound ctrid=%d soundid=%d  status=%d", padId, item.cloudId, item.status);
    // One download per sound at a time; a sound whose file went may come again.
    if (item.kind != kSoundCloud || item.status == kSoundDownloading) return;
    IPluginApp* app = CurrentPluginApp();
    const std::optional<std::u16string> folder = app ? CloudSoundFolder(app->AppDataFolder()) : std::nullopt;
    if (!folder) {
        ShowTip(padId, u"下载文件失败");
        return;
    }
    // The file is replaced only once the new one is whole, so a sound that
    // plays from it meanwhile plays on.
    auto downloader =
        std::make_shared<CCloudSoundFileDownloader>(item, CloudSoundTargetPath(*folder, item), purpose, padId);
    const PadRef pad = PadOf(padId);
    m_mood.SetCloudSoundStatus(pad.category, pad.index, kSoundDownloading);
    QV_TRACE("begin download sound, tick=%ld", static_cast<long>(qv::os::GetTickCount()));
    downloader->Start();
    m_fileDownloads.Keep(std::move(downloader));
}

bool CEventHandlerSound::OnCloudSoundReady(qv::ui::EventArgs* e) {
    auto* ready = qv::ui::EventCast<EventCloudSoundFileReady>(e);
    // Only this page's downloads; one stopped when the page went reports nothing.
    if (!ready || !ready->downloader || !m_fileDownloads.Release(ready->downloader.get())) return false;
    e->handled++;
    const int padId = ready->request1;
    const int purpose = ready->request2;
    QV_TRACE("download sound return, tick=%ld  ctrlid=%d id=%d", static_cast<long>(qv::os::GetTickCount()), padId,
             ready->itemValue);
    const PadRef pad = PadOf(padId);
    m_mood.SetCloudSoundStatus(pad.category, pad.index, kSoundIdle);
    // The pad the user waits for hears of a failure; others only in the trace.
    const bool waitedFor = padId == m_lastPlayedPad || padId == m_menuPad;
    if (!ready->success) {
        if (waitedFor) ShowTip(padId, ready->message.IsEmpty() ? qv::ui::SStringW(u"下载文件失败") : ready->message);
        else QV_TRACE("download sound failed. ctrlid=%d id=%d", padId, ready->itemValue);
        return true;
    }
    if (!IsRegularFile(ready->filePath.str())) {
        if (waitedFor) ShowTip(padId, u"未找到下载的特效文件");
        else QV_TRACE("未找到下载的特效文件. ctrlid=%d id=%d %s", padId, ready->itemValue, ready->filePath.ToUtf8().c_str());
        return true;
    }
    m_mood.SetCloudSoundStatus(pad.category, pad.index, kSoundDownloaded);
    SoundItem item;
    MakeSoundItem(item, kSoundFile, ready->soundName.str(), ready->filePath.str(), ready->itemValue);
    const bool recordFirst = ThisFamily().soundPage.downloadRecordOrder == DownloadRecordOrder::kBeforePurpose;
    auto record = [&] {
        if (!m_mood.AddDownload(item)) ShowTip(padId, u"特效数量已达上限！");
        BuildDownloadPage();
    };
    if (recordFirst) record();
    switch (purpose) {
    case kPurposePlay:
        StopPlaying();
        m_currentSound = item;
        if (!PlaySoundItem(item)) FailPlaying(padId);
        break;
    case kPurposeFavourite:
        if (m_mood.IsInFavorites(item)) {
            ShowTabTip(qv::ui::SStringW::Format(u"收藏夹中已经存在“%s”", std::u16string(FieldText(item.name)).c_str()));
            return true;  // recorded before when the family records first
        }
        if (m_mood.AddFavorite(item))
            RefreshHotkeyPage();
        else
            ShowTip(padId, u"特效数量已达上限！");
        break;
    case kPurposeSend:
        if (padId == m_menuPad && ThisFamily().soundPage.uploadsToCard) {
            auto send = NewAppEvent<EventDoSendData>();
            send->path = item.path;
            send->builtIn = 0;
            FireAppEventAsync(std::move(send));
        }
        break;
    default:
        break;
    }
    if (!recordFirst) record();
    return true;
}

void CEventHandlerSound::StopCloudDownloads() {
    if (m_listDownloader) m_listDownloader->RequestStop();
    m_fileDownloads.StopAll();
    if (m_listDownloader) m_listDownloader->Stop(kStopWaitMs);
    m_listDownloader.reset();
}
