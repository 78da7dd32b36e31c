#pragma once
// The sound pads of the main window: the favourites (with their global
// hotkeys), the built-in and the user's local sounds, the downloaded cloud
// sounds and a page per cloud category, built as pads from templates; each
// pad's context menu; playing a pad through the page's audio engine with the
// play clock and the volume popup; the cloud sound list and file downloads.
// Second page of the main window.
//
// UI thread only. The page lives as long as the main window object; its
// controls, subscriptions, hotkeys and message filter only from Init to the
// window's WM_DESTROY (the window may be made again while the plug-in runs).
#include <cstdint>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <vector>

#include "plugin/cloud/DownloaderSet.h"
#include "plugin/pages/SoundPlayClock.h"
#include "plugin/sound/AudioEngine.h"
#include "plugin/sound/MoodConfig.h"
#include "plugin/sound/MoodHotKeyFilter.h"
#include "plugin/sound/SoundItem.h"
#include "plugin/sound/SoundPadIds.h"
#include "plugin/windows/MainDlgPage.h"

class CCloudSoundFileDownloader;
class CCloudSoundListDownloader;

namespace qv::ui {
class SNotifyCenter;
class SProgress;
class SScrollView;
class STabCtrl;
class SWindow;
}  // namespace qv::ui

class CEventHandlerSound final : public IMainDlgPage {
public:
    static constexpr UINT_PTR kTimerPlayClock = CSoundPlayClock::kTimerId;
    static constexpr UINT_PTR kTimerCloudSoundFetch = 1006;
    // The named ids of "btn_sound_stop", "btn_volume" and "chk_hotkey_switch".
    static constexpr int kBtnSoundStop = 65569;
    static constexpr int kBtnVolume = 65570;
    static constexpr int kChkHotKeySwitch = 65571;
    // The fixed pages of "tab_sound"; the cloud pages follow.
    static constexpr int kFixedTabs = 3;
    // What a cloud sound's download is for, once its file is here.
    static constexpr int kPurposePlay = 0;
    static constexpr int kPurposeFavourite = 1;
    static constexpr int kPurposeSend = 2;

    CEventHandlerSound();
    ~CEventHandlerSound() override;
    CEventHandlerSound(const CEventHandlerSound&) = delete;
    CEventHandlerSound& operator=(const CEventHandlerSound&) = delete;

    void Init(CMainDlg& owner) override;
    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override;

    // Application events.
    bool OnPlaybackMsg(qv::ui::EventArgs* e);
    bool OnCloudSoundFinish(qv::ui::EventArgs* e);
    bool OnCloudSoundReady(qv::ui::EventArgs* e);
    bool OnVolumeChange(qv::ui::EventArgs* e);
    bool OnDoSendData(qv::ui::EventArgs* e);
    bool OnDeviceChanged(qv::ui::EventArgs* e);

    // Plays the pad with that id (a click, a favourite's hotkey); a pad that
    // does not play tips "播放失败".
    void PlaySoundByCtrlId(int id);
    // 1 when the item plays.
    int PlaySoundItem(const SoundItem& item);

    CMoodConfig& Mood() { return m_mood; }
    CAudioEngine& Engine() { return m_engine; }
    const CSoundPlayClock& PlayClock() const { return m_clock; }
    int LastPlayedPad() const { return m_lastPlayedPad; }
    // Downloads the page has started and not yet released.
    int RunningFileDownloads() const { return m_fileDownloads.Count(); }
    bool IsFetchingCloudList() const { return m_listDownloader != nullptr; }

private:
    // Init's steps.
    void SubscribeEvents();
    void OpenMoodFile();
    void RestoreFixedTab();
    void FindPlayControls();
    void StartCloudListFetch();

    // Pads (EventHandlerSoundPads.cpp).
    void AddPadButtons(PadKind kind, qv::ui::SScrollView* view, const std::vector<SoundItem>& list, int category = 0);
    qv::ui::SWindow* InsertPad(qv::ui::SScrollView* view, pugi::xml_node node, int id, bool withMenu);
    void BuildLocalSoundPage();
    void BuildDownloadPage();
    void BuildHotkeyPage();
    void RefreshHotkeyPage() { BuildHotkeyPage(); }
    void BuildCloudPages();
    void SelectStoredTab(int first);
    void OnTabSelChanged(qv::ui::EventArgs* e);
    // The item a pad plays or a command works on; none for an index past its list.
    std::optional<SoundItem> PadItem(int id);

    // The pad menu and its commands (EventHandlerSoundMenu.cpp).
    bool ShowPadMenu(qv::ui::EventArgs* e);
    bool OnCommand(UINT id);
    void AddToFavourites();
    void RemoveFavourite();
    void EditHotKey(bool remove);
    void DeleteCustomSound();
    void RenameCustomSound();
    void OnBtnAddLocalSound();
    void OnChkHotkeySwitch();
    // Sends the menu pad's sound into the card's key slot 1 .. 3; a cloud
    // sound not downloaded yet is downloaded first and sent when it is here.
    void SendPadToDevice(int slot);

    // Cloud sounds (EventHandlerSoundCloud.cpp).
    void OnBtnCloudSound(int id);
    void DownloadCloudSound(const SoundItem& item, int padId, int purpose);
    void OnCloudSoundFetchTimer();
    void StopCloudDownloads();

    // Playing (EventHandlerSoundPlay.cpp).
    void SetPlayState(bool stopped);
    // A pad that does not play: the tip with the engine's reason, stopped.
    void FailPlaying(int padId);
    void OnBtnStop();
    void OnBtnVolume();
    // Stops the player and the play clock.
    void StopPlaying();

    void OnDestroy();
    void ShowTip(int padId, const qv::ui::SStringW& text);
    void ShowTabTip(const qv::ui::SStringW& text);
    HWND OwnerHwnd() const;

    CMainDlg* m_owner = nullptr;
    bool m_initialised = false;
    CMoodConfig m_mood;
    CAudioEngine m_engine;
    CSoundPlayClock m_clock;
    int m_lastPlayedPad = 0;
    int m_menuPad = 0;
    // The key of the last send command: where the send window writes.
    std::int16_t m_lastSendSlot = 1;
    SoundItem m_currentSound{};
    qv::ui::STabCtrl* m_tabs = nullptr;
    qv::ui::SWindow* m_hotkeySwitch = nullptr;
    qv::ui::SWindow* m_volumeButton = nullptr;
    qv::ui::SWindow* m_fetchAnimation = nullptr;
    // Set while the cloud pages are rebuilt: the tab changes that makes are
    // not the user's choice and are not stored.
    bool m_rebuildingTabs = false;
    CMoodHotKeyFilter m_hotKeyFilter;
    std::shared_ptr<CCloudSoundListDownloader> m_listDownloader;
    CDownloaderSet<CCloudSoundFileDownloader> m_fileDownloads;
    qv::ui::SNotifyCenter* m_center = nullptr;
    // Tells code after a modal loop whether the page still exists.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
