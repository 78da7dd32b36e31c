#pragma once
// The effect side of the main window: the effect buttons, the preset banks
// of the EQ, reverb and voice change with their custom slots, the mixer's
// knobs, switches and sliders (through the parameter binder), the EQ curve,
// the window title, the overlays that lock what the current effect does not
// use or what needs a card, and the question that leads to the firmware
// upgrade, and the cloud and downloaded effect lists with the downloads they
// start. First page of the main window: its maps are tried first.
//
// UI thread only. The page lives as long as the main window object; its
// controls only while the window exists.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/Geometry.h"
#include "plugin/cloud/CloudEffectListMcAdapter.h"
#include "plugin/cloud/DownloaderSet.h"
#include "plugin/windows/MainDlgPage.h"

class CCloudEffectListDownloader;
class CDownloadEffectListMcAdapter;
class CParamControlBinder;
class CParamModel;
class CWorkSpace;

namespace qv::controls {
class QvEQ;
}

namespace qv::ui {
class SNotifyCenter;
class SScrollView;
class STabCtrl;
class SWindow;
}  // namespace qv::ui

class CEventHandlerEffect final : public IMainDlgPage, public IEffectListPage {
public:
    static constexpr int kFirstEffectButton = 10000;
    static constexpr int kEffectButtonCount = 24;
    static constexpr int kFirstPresetButton = 11000;
    static constexpr int kLastPresetButton = 11600;
    static constexpr int kFirstSavePresetButton = 12000;
    static constexpr int kLastSavePresetButton = 12006;
    static constexpr int kSaveEffectButton = 12100;
    static constexpr int kFirstPresetGroupButton = 13000;
    static constexpr int kLastPresetGroupButton = 13003;
    static constexpr int kEffectTabs = 900;
    static constexpr int kEffectListTabs = 901;
    static constexpr int kBankCount = 3;  // preset banks 1 EQ, 2 reverb, 3 voice change
    static constexpr UINT kCmdImportPreset = 100;
    static constexpr UINT kCmdExportPreset = 101;
    static constexpr UINT_PTR kTimerCloudFailure = 1005;
    static constexpr UINT_PTR kTimerCloudSoundFetch = 1006;

    // Takes the workspace from the application object and subscribes to the
    // application events it answers.
    CEventHandlerEffect();
    ~CEventHandlerEffect() override;
    CEventHandlerEffect(const CEventHandlerEffect&) = delete;
    CEventHandlerEffect& operator=(const CEventHandlerEffect&) = delete;

    void Init(CMainDlg& owner) override;
    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override;

    // Application events.
    bool OnParamChanged(qv::ui::EventArgs* e);
    bool OnDeviceChanged(qv::ui::EventArgs* e);
    bool OnUpgradeFirmware(qv::ui::EventArgs* e);
    // The list downloader's and the detail downloaders' finish events.
    bool OnCloudEffectFinish(qv::ui::EventArgs* e);
    bool OnThreadFinish(qv::ui::EventArgs* e);

    // The retry link: fetches the cloud effect list again (and, through
    // timer 1006, the sound pads' cloud sounds).
    void FetchCloudEffectList();
    // A row's use button: applies the entry as the current effect.
    void OnUseCloudEffect(std::int32_t effectId) override;
    void KeepDetailDownloader(std::shared_ptr<CCloudEffectDetailDownloader> downloader) override;

    // The checked effect button, the overlays, the pitch tab and the title
    // of the current effect.
    void UpdateCurrentEffect();
    // Names of the device custom and user effects on their buttons.
    void UpdateDeviceEffectButtons();
    // Names of the saved custom presets on their buttons.
    void UpdatePresetButtons();

private:
    struct Overlays {
        qv::ui::SWindow* notElectric = nullptr;
        qv::ui::SWindow* electric = nullptr;
        qv::ui::SWindow* deviceConnection = nullptr;
        qv::ui::SWindow* reverbPitch = nullptr;
        qv::ui::SWindow* pitch = nullptr;
    };

    CParamModel* Model() const;
    // Init's steps.
    void BindParamControls();
    void FindControls();
    void RestoreTabs();
    void InitEqCurve();
    void RestoreScrollOrigin();
    void InstallEffectListAdapters();
    // Starts a list download, stopping one that still runs.
    void StartCloudEffectFetch();
    void OnCloudFailureTimer();
    // Stops and joins the list and detail downloaders.
    void StopCloudDownloads();
    void NotifyEffectLists();
    // Asks the firmware question once the window is up, when the card is in
    // update mode.
    void AskForUpgradeWhenNeeded();

    // Event map entries.
    void OnBtnEffect(int id);
    void OnBtnPreset(int id);
    void OnBtnSavePreset(int id);
    void OnBtnPresetGroup(int id);
    void OnBtnSaveEffect();
    bool OnBtnPresetMenu(qv::ui::EventArgs* e);
    void OnTabSelChanged(qv::ui::EventArgs* e);
    void OnScrollViewOriginChanged(qv::ui::EventArgs* e);
    bool OnTimer(UINT_PTR id);
    // The window goes: pending changes reach the card, and nothing of it is
    // used afterwards.
    void OnDestroy();

    // Preset files (import: WM_COMMAND 100, export: 101) of the menu's button.
    void OnPresetFileDialog(bool import);
    void ImportPreset(int bank, int slot, int customIndex);
    void ExportPreset(int bank, int slot);

    void ClearEffectChecks();
    // In the radio list of a bank (0-based) checks one button, unchecks the others.
    void CheckEffectButton(int list, int index);
    int FirstCheckedEffectButton() const;
    void SetEqBandGain(int band, std::int32_t value);
    void ShowTip(int id, const char16_t* text, UINT ms = 2000);
    HWND OwnerHwnd() const;

    CMainDlg* m_owner = nullptr;
    bool m_initialised = false;
    std::unique_ptr<CParamControlBinder> m_binder;
    CWorkSpace* m_workspace = nullptr;
    std::array<qv::ui::SWindow*, kEffectButtonCount> m_effectButtons{};
    Overlays m_overlays;
    qv::ui::SWindow* m_effectTitle = nullptr;
    std::array<std::array<qv::ui::SWindow*, 4>, kBankCount> m_customPresetButtons{};
    qv::ui::SWindow* m_saveEffectButton = nullptr;
    int m_menuTarget = -1;
    qv::ui::SScrollView* m_reverbScrollView = nullptr;
    qv::ui::CPoint m_reverbScrollOrigin;
    qv::ui::STabCtrl* m_pitchTab = nullptr;
    qv::controls::QvEQ* m_eqCurve = nullptr;
    qv::ui::SWindow* m_appTitle = nullptr;
    std::array<std::vector<qv::ui::SWindow*>, kBankCount> m_presetLists;
    bool m_presetChosen = false;
    std::int32_t m_listEffectId = 0;
    std::shared_ptr<CCloudEffectListMcAdapter> m_cloudAdapter;
    std::shared_ptr<CDownloadEffectListMcAdapter> m_downloadAdapter;
    std::shared_ptr<CCloudEffectListDownloader> m_listDownloader;
    CDownloaderSet<CCloudEffectDetailDownloader> m_detailDownloads;
    qv::ui::SWindow* m_fetchAnimation = nullptr;
    qv::ui::SWindow* m_cloudRefreshPanel = nullptr;
    qv::ui::STabCtrl* m_effectTabs = nullptr;
    qv::ui::STabCtrl* m_effectListTabs = nullptr;
    qv::ui::SNotifyCenter* m_center = nullptr;
    // Tells tasks posted by the page whether it still exists.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
