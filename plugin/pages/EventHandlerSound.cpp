#include "plugin/pages/EventHandlerSound.h"

#include "controls/CTipWnd.h"
#include "families/ThisFamily.h"
#include "platform/os/Log.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SNotifyCenter.h"
#include "platform/ui/controls/SProgress.h"
#include "platform/ui/controls/STabCtrl.h"
#include "plugin/app/AppEvents.h"
#include "plugin/app/DamagedFileNotices.h"
#include "plugin/app/PluginApp.h"
#include "plugin/cloud/CloudSoundFileDownloader.h"
#include "plugin/cloud/CloudSoundListDownloader.h"
#include "plugin/dialogs/SetVolumeDlg.h"
#include "plugin/windows/MainDlg.h"
#include "plugin/workspace/AppPaths.h"

namespace {

constexpr UINT kTipMs = 2000;

}  // namespace

CEventHandlerSound::CEventHandlerSound()
    : m_hotKeyFilter([this](int padId) { PlaySoundByCtrlId(padId); }) {}

CEventHandlerSound::~CEventHandlerSound() {
    OnDestroy();
    m_engine.ReleaseAll();
}

HWND CEventHandlerSound::OwnerHwnd() const { return m_owner ? m_owner->GetHwnd() : nullptr; }

// ---------------------------------------------------------------- start

void CEventHandlerSound::Init(CMainDlg& owner) {
    m_owner = &owner;
    SubscribeEvents();
    if (qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr()) m_hotKeyFilter.Install(*app);
    OpenMoodFile();
    m_tabs = owner.FindChildByName2<qv::ui::STabCtrl>(u"tab_sound");
    RestoreFixedTab();
    BuildLocalSoundPage();
    BuildDownloadPage();
    BuildHotkeyPage();
    FindPlayControls();
    if (m_mood.IsHotKeyEnabled() == 1) m_mood.RegisterHotKeys();
    StartCloudListFetch();
    m_initialised = true;
}

void CEventHandlerSound::SubscribeEvents() {
    m_center = qv::ui::SNotifyCenter::getSingletonPtr();
    if (!m_center) return;
    SubscribeAppEvent<EventPlaybackMsg>(*m_center, &CEventHandlerSound::OnPlaybackMsg, this);
    SubscribeAppEvent<EventThreadCloudSoundFinishEvent>(*m_center, &CEventHandlerSound::OnCloudSoundFinish, this);
    SubscribeAppEvent<EventCloudSoundFileReady>(*m_center, &CEventHandlerSound::OnCloudSoundReady, this);
    SubscribeAppEvent<EventVolumeChange>(*m_center, &CEventHandlerSound::OnVolumeChange, this);
    if (ThisFamily().soundPage.uploadsToCard)
        SubscribeAppEvent<EventDoSendData>(*m_center, &CEventHandlerSound::OnDoSendData, this);
    SubscribeAppEvent<EventDeviceChanged>(*m_center, &CEventHandlerSound::OnDeviceChanged, this);
}

void CEventHandlerSound::OpenMoodFile() {
    IPluginApp* app = CurrentPluginApp();
    if (app) m_mood.SetHotKeyWindow(app->GetHotKeyWindow());
    const std::u16string path = app ? StateFilePath(app->AppDataFolder(), ThisFamily().moodFileName) : u"";
    if (path.empty()) {
        QV_LOGE("no app-data folder: the sound pads are not kept");
        return;
    }
    // A file that cannot be read is set aside; the pads start from a new one.
    SetAsideIfDamaged(path);
    if (!m_mood.Init(path)) QV_LOGE("the mood file cannot be made: the sound pads are not kept");
}

void CEventHandlerSound::FindPlayControls() {
    qv::ui::SWindow* container = m_owner->FindChildByName(u"container_sound");
    qv::ui::SProgress* progress = nullptr;
    qv::ui::SWindow* time = nullptr;
    if (container) {
        time = container->FindChildByName(u"txt_sound_play_time");
        progress = container->FindChildByName2<qv::ui::SProgress>(u"progress_sound_play");
        m_hotkeySwitch = container->FindChildByName(u"chk_hotkey_switch");
        if (m_hotkeySwitch) m_hotkeySwitch->SetCheck(m_mood.IsHotKeyEnabled() == 1);
    }
    m_clock.Attach(m_owner, progress, time);
    m_volumeButton = m_owner->FindChildByName(u"btn_volume");
    m_fetchAnimation = m_owner->FindChildByName(u"ani_fetch_cloud_sound");
}

// ---------------------------------------------------------------- maps

BOOL CEventHandlerSound::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    (void)hwnd;
    (void)lParam;
    switch (msg) {
    case WM_COMMAND:
        if (!OnCommand(LOWORD(wParam))) return FALSE;
        result = 0;
        return TRUE;
    case WM_TIMER:
        if (wParam == kTimerPlayClock) {
            m_clock.Tick(m_engine);
        } else if (wParam == kTimerCloudSoundFetch) {
            OnCloudSoundFetchTimer();
        } else {
            return FALSE;
        }
        result = 0;
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;  // the window's own handling follows
    default:
        return FALSE;
    }
}

BOOL CEventHandlerSound::_HandleEvent(qv::ui::EventArgs* e) {
    // Only the main window's own widgets.
    auto* sender = dynamic_cast<qv::ui::SWindow*>(e->Sender());
    if (!m_owner || !sender || (sender != m_owner && !sender->IsDescendant(m_owner))) return FALSE;
    const int id = e->idFrom;
    if (e->GetID() == qv::ui::EVT_TAB_SELCHANGED) {
        if (e->nameFrom != u"tab_sound") return FALSE;
        OnTabSelChanged(e);
        return TRUE;
    }
    if (e->GetID() != qv::ui::EVT_CMD) return FALSE;
    if (id >= kFirstFavouritePad && id <= 17999) {
        PlaySoundByCtrlId(id);
    } else if (id >= kFirstCloudPad && id <= 28000) {
        OnBtnCloudSound(id);
    } else if (id == kBtnSoundStop) {
        OnBtnStop();
    } else if (id == kBtnVolume) {
        OnBtnVolume();
    } else if (id == kChkHotKeySwitch) {
        OnChkHotkeySwitch();
    } else if (id == kAddLocalPad) {
        OnBtnAddLocalSound();
    } else {
        return FALSE;
    }
    return TRUE;
}

// ---------------------------------------------------------------- end

void CEventHandlerSound::OnDestroy() {
    // Only what this page added: the window may be made again later.
    if (m_center && qv::ui::SNotifyCenter::getSingletonPtr() == m_center) m_center->unsubscribeAll(this);
    m_center = nullptr;
    StopCloudDownloads();
    if (!m_owner) return;
    CSetVolumeDlg::CloseAll();
    if (m_initialised && m_mood.IsHotKeyEnabled() == 1) m_mood.UnregisterHotKeys();
    m_hotKeyFilter.Remove();
    m_clock.Detach();
    m_tabs = nullptr;
    m_hotkeySwitch = nullptr;
    m_volumeButton = nullptr;
    m_fetchAnimation = nullptr;
    m_owner = nullptr;
    m_initialised = false;
}

// ---------------------------------------------------------------- tips

void CEventHandlerSound::ShowTip(int padId, const qv::ui::SStringW& text) {
    qv::controls::CTipWnd::ShowTipAtCtrl(padId, m_tabs, text, kTipMs);
}

void CEventHandlerSound::ShowTabTip(const qv::ui::SStringW& text) {
    if (m_owner) qv::controls::CTipWnd::ShowTipAtNamedCtrl(u"tab_sound", m_owner, text);
}
