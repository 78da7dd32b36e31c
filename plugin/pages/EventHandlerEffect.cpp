#include "plugin/pages/EventHandlerEffect.h"

#include "controls/CTipWnd.h"
#include "controls/QvEQ.h"
#include "controls/SMoveThumb.h"
#include "families/ThisFamily.h"
#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SMessageBox.h"
#include "platform/ui/SNotifyCenter.h"
#include "platform/ui/controls/SScrollView.h"
#include "platform/ui/controls/STabCtrl.h"
#include "plugin/app/AppEvents.h"
#include "plugin/app/PluginApp.h"
#include "plugin/cloud/CloudEffectDetailDownloader.h"
#include "plugin/cloud/CloudEffectListDownloader.h"
#include "plugin/cloud/CloudEffectLists.h"
#include "plugin/dialogs/DlgUpgradeFirmware.h"
#include "plugin/model/ControlId.h"
#include "plugin/model/RecordText.h"
#include "plugin/pages/ButtonText.h"
#include "plugin/pages/EffectPageView.h"
#include "plugin/pages/ParamControlBinder.h"
#include "plugin/windows/MainDlg.h"
#include "plugin/workspace/SettingsStore.h"
#include "plugin/workspace/WorkSpace.h"
#include "plugin/workspace/WorkSpaceParams.h"

namespace {

using qv::ui::SStringW;
using qv::ui::SWindow;

constexpr const char16_t* kTabSection = u"nCurSelTabIndex";
constexpr const char16_t* kEffectTabKey = u"tabEffecet";
constexpr const char16_t* kEffectListTabKey = u"tabCloudEffecet";
constexpr const char16_t* kPointSection = u"Point";
constexpr const char16_t* kReverbScrollKey = u"reverbScrollview";
constexpr const char16_t* kTitle = u"Halvena音频";
constexpr const char16_t* kUpgradeQuestion =
    u"检测到设备的固件版本与软件不兼容，您需要升级固件才可以正常使用。是否现在升级固件？";

// The named id of the cloud list's retry link "btn_cloud_retry".
constexpr int kCloudRetryLink = 65560;

constexpr std::int32_t kParamEffectSelector = 8;
constexpr std::int32_t kParamVoiceSwitch = 15;
constexpr double kEqGainOffsetDb = 12.0;
constexpr double kEqBandFrequencies[] = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
constexpr double kEqBandQ = 1.7;
// The EQ curve's bandwidth handles; the page only shows the curve.
constexpr int kBandwidthThumbs[] = {4, 5};
// Effect names longer than this are cut on their buttons.
constexpr int kEffectNameWhole = 7;

// Knobs (8000 + id) with their value boxes (6000 + id).
constexpr int kKnobParams[] = {0, 1, 2, 3, 9, 16, 17, 20, 22, 23, 38};
// On/off switches (7000 + id).
constexpr int kSwitchParams[] = {5, 6, 10, 43, 44};
// Option buttons (600000 + option x 1000 + id): the scale and the key.
constexpr std::pair<int, int> kOptionParams[] = {{18, 2}, {19, 12}};

// One upgrade question at a time in the process.
bool g_upgradeQuestionOpen = false;

}  // namespace

CEventHandlerEffect::CEventHandlerEffect() {
    IPluginApp* app = CurrentPluginApp();
    m_workspace = app ? app->GetWorkSpace() : nullptr;
    m_center = qv::ui::SNotifyCenter::getSingletonPtr();
    if (!m_center) return;
    SubscribeAppEvent<EventParamChanged>(*m_center, &CEventHandlerEffect::OnParamChanged, this);
    SubscribeAppEvent<EventThreadCloudEffectFinishEvent>(*m_center, &CEventHandlerEffect::OnCloudEffectFinish, this);
    SubscribeAppEvent<EventCommonThreadFinishEvent>(*m_center, &CEventHandlerEffect::OnThreadFinish, this);
    SubscribeAppEvent<EventDeviceChanged>(*m_center, &CEventHandlerEffect::OnDeviceChanged, this);
    SubscribeAppEvent<EventNeedUpgradeFirmware>(*m_center, &CEventHandlerEffect::OnUpgradeFirmware, this);
}

CEventHandlerEffect::~CEventHandlerEffect() {
    OnDestroy();
    // The centre may have gone first; only the one subscribed to is told.
    if (m_center && qv::ui::SNotifyCenter::getSingletonPtr() == m_center) m_center->unsubscribeAll(this);
}

CParamModel* CEventHandlerEffect::Model() const {
    CWorkSpaceParams* params = m_workspace ? m_workspace->Params() : nullptr;
    return params ? &params->Model() : nullptr;
}

HWND CEventHandlerEffect::OwnerHwnd() const { return m_owner ? m_owner->GetHwnd() : nullptr; }

// ---------------------------------------------------------------- start

void CEventHandlerEffect::Init(CMainDlg& owner) {
    m_owner = &owner;
    CWorkSpaceParams* params = m_workspace ? m_workspace->Params() : nullptr;
    if (SWindow* content = owner.FindChildByName(u"param_content"); content && params) {
        m_binder = std::make_unique<CParamControlBinder>(params, content);
        BindParamControls();
    }
    if (params) params->SetThrottleWindow(&owner);
    FindControls();
    RestoreTabs();
    InstallEffectListAdapters();
    InitEqCurve();
    RestoreScrollOrigin();

    EventDeviceChanged changed(&owner);
    OnDeviceChanged(&changed);
    UpdatePresetButtons();
    UpdateDeviceEffectButtons();
    if (params) params->FireParamChanged();
    UpdateCurrentEffect();
    StartCloudEffectFetch();
    AskForUpgradeWhenNeeded();
    m_initialised = true;
}

void CEventHandlerEffect::BindParamControls() {
    using namespace qv::binder;
    auto bindPair = [this](int id, int control) {
        m_binder->BindParam(id, control, ValueBoxControlId(id), -1);
        m_binder->BindParam(id, ValueBoxControlId(id), control, kBindValueBox);
    };
    for (int id : kKnobParams) bindPair(id, KnobControlId(id));
    for (int id = kFirstEqBand; id <= kLastEqBand; ++id) bindPair(id, BandSliderControlId(id));
    for (int id : kSwitchParams) m_binder->BindParam(id, SwitchControlId(id), 0, -1);
    for (const auto& [id, options] : kOptionParams)
        for (int option = 0; option < options; ++option) m_binder->BindParam(id, OptionControlId(option, id), 0, -1);
}

void CEventHandlerEffect::FindControls() {
    for (int i = 0; i < kEffectButtonCount; ++i) m_effectButtons[static_cast<std::size_t>(i)] = m_owner->FindChildByID(kFirstEffectButton + i);
    const FamilyData& family = ThisFamily();
    for (int bank = 1; bank <= kBankCount; ++bank) {
        const int firstCustom = family.presetBanks[static_cast<std::size_t>(bank)].firstCustomSlot;
        std::vector<SWindow*>& list = m_presetLists[static_cast<std::size_t>(bank - 1)];
        list.clear();
        for (int slot = 1; slot < firstCustom + kCustomPresetSlots; ++slot)
            list.push_back(m_owner->FindChildByID(kFirstPresetButton + 100 * bank + slot));
        for (int j = 0; j < kCustomPresetSlots; ++j) {
            SWindow* button = m_owner->FindChildByID(kFirstPresetButton + 100 * bank + firstCustom + j);
            m_customPresetButtons[static_cast<std::size_t>(bank - 1)][static_cast<std::size_t>(j)] = button;
            if (button) button->SubscribeEvent(qv::ui::EVT_CTXMENU, qv::ui::MemberSlot(&CEventHandlerEffect::OnBtnPresetMenu, this), this);
        }
    }
    m_overlays.notElectric = m_owner->FindChildByName(u"forbid_not_electric_param");
    m_overlays.electric = m_owner->FindChildByName(u"forbid_electric_param");
    m_overlays.deviceConnection = m_owner->FindChildByName(u"forbid_device_conn_status");
    m_overlays.reverbPitch = m_owner->FindChildByName(u"forbid_reverb_pitch_param");
    m_overlays.pitch = m_owner->FindChildByName(u"forbid_pitch_param");
    m_effectTitle = m_owner->FindChildByName(u"txt_eff_title");
    m_pitchTab = m_owner->FindChildByName2<qv::ui::STabCtrl>(u"tab_reverb_pitch");
    m_saveEffectButton = m_owner->FindChildByID(kSaveEffectButton);
    m_effectTabs = m_owner->FindChildByID2<qv::ui::STabCtrl>(kEffectTabs);
    m_effectListTabs = m_owner->FindChildByID2<qv::ui::STabCtrl>(kEffectListTabs);
    m_eqCurve = m_owner->FindChildByName2<qv::controls::QvEQ>(u"eq_curve");
    m_appTitle = m_owner->FindChildByName(u"txt_app_title");
    m_reverbScrollView = m_owner->FindChildByName2<qv::ui::SScrollView>(u"reverb_scrollview");
}

void CEventHandlerEffect::RestoreTabs() {
    const CSettingsStore* store = CSettingsStore::GetStore(0);
    if (!store) return;
    if (m_effectTabs) m_effectTabs->SetCurSel(store->ReadInt(kTabSection, kEffectTabKey));
    if (m_effectListTabs) m_effectListTabs->SetCurSel(store->ReadInt(kTabSection, kEffectListTabKey));
}

void CEventHandlerEffect::InitEqCurve() {
    if (!m_eqCurve) return;
    for (double frequency : kEqBandFrequencies) m_eqCurve->AddBand(0.0, frequency, kEqBandQ);
    m_eqCurve->UpdateFromModel();
    for (int thumb : kBandwidthThumbs)
        if (qv::controls::SMoveThumb* handle = m_eqCurve->GetSpecialThumb(thumb)) handle->SetVisible(false);
    if (CParamModel* model = Model()) {
        for (int band = 0; band <= kLastEqBand - kFirstEqBand; ++band)
            m_eqCurve->SetBandGain(band, model->GetValue(kFirstEqBand + band) - kEqGainOffsetDb);
    }
    m_eqCurve->UpdateFromModel();
}

void CEventHandlerEffect::RestoreScrollOrigin() {
    const CSettingsStore* store = CSettingsStore::GetStore(0);
    std::int32_t origin[2] = {};
    if (!m_reverbScrollView || !store || !store->ReadStruct(kPointSection, kReverbScrollKey, origin, sizeof origin)) return;
    m_reverbScrollOrigin = qv::ui::CPoint(origin[0], origin[1]);
    m_reverbScrollView->SetViewOrigin(m_reverbScrollOrigin);
}

void CEventHandlerEffect::AskForUpgradeWhenNeeded() {
    if (!m_workspace || !m_workspace->IsDeviceConnected() || !m_workspace->NeedsUpgrade()) return;
    // Asked once the main window and every page are up, not from inside the
    // window's initialisation.
    std::weak_ptr<bool> alive = m_alive;
    qv::os::PostTask(qv::os::GetCurrentThreadId(), [this, alive] {
        if (alive.expired() || !m_owner || !m_owner->IsWindow()) return;
        EventNeedUpgradeFirmware ask(m_owner);
        OnUpgradeFirmware(&ask);
    });
}

// ---------------------------------------------------------------- maps

BOOL CEventHandlerEffect::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    (void)hwnd;
    (void)lParam;
    switch (msg) {
    case WM_TIMER:
        if (!OnTimer(static_cast<UINT_PTR>(wParam))) return FALSE;
        result = 0;
        return TRUE;
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        if (id != kCmdImportPreset && id != kCmdExportPreset) return FALSE;
        OnPresetFileDialog(id == kCmdImportPreset);
        result = 0;
        return TRUE;
    }
    case 0x465:  // sent by the framework's children; nothing to answer
        result = 0;
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;  // the window's own handling follows
    default:
        return FALSE;
    }
}

BOOL CEventHandlerEffect::_HandleEvent(qv::ui::EventArgs* e) {
    const int id = e->idFrom;
    switch (e->GetID()) {
    case qv::ui::EVT_CMD:
        if (id == kSaveEffectButton) {
            OnBtnSaveEffect();
        } else if (id >= kFirstEffectButton && id <= kFirstEffectButton + 100) {
            OnBtnEffect(id);
        } else if (id >= kFirstPresetButton && id <= kLastPresetButton) {
            OnBtnPreset(id);
        } else if (id >= kFirstSavePresetButton && id <= kLastSavePresetButton) {
            OnBtnSavePreset(id);
        } else if (id >= kFirstPresetGroupButton && id <= kLastPresetGroupButton) {
            OnBtnPresetGroup(id);
        } else if (id == kCloudRetryLink) {
            FetchCloudEffectList();
        } else {
            break;
        }
        return TRUE;
    case qv::ui::EVT_TAB_SELCHANGED:
        if (id != kEffectTabs && id != kEffectListTabs) break;
        OnTabSelChanged(e);
        return TRUE;
    case qv::ui::EVT_SCROLLVIEW_ORIGINCHANGED:
        if (e->nameFrom != u"reverb_scrollview") break;
        OnScrollViewOriginChanged(e);
        return TRUE;
    default:
        break;
    }
    return m_binder && m_binder->OnEvent(e);
}

bool CEventHandlerEffect::OnTimer(UINT_PTR id) {
    if (id == kTimerCloudFailure) {
        OnCloudFailureTimer();
        return true;
    }
    CWorkSpaceParams* params = m_workspace ? m_workspace->Params() : nullptr;
    return params && params->OnTimer(id);
}

void CEventHandlerEffect::OnDestroy() {
    // No download outlives the page's window, nor its plug-in.
    StopCloudDownloads();
    if (!m_owner) return;
    if (CWorkSpaceParams* params = m_workspace ? m_workspace->Params() : nullptr) {
        // What the throttle still holds reaches the card; the next window
        // takes the throttle over.
        if (!params->Model().GetChangedParams().empty()) params->SendChangedParams();
        params->SetThrottleWindow(nullptr);
    }
    m_binder.reset();
    m_effectButtons.fill(nullptr);
    m_overlays = Overlays{};
    m_effectTitle = nullptr;
    for (auto& bank : m_customPresetButtons) bank.fill(nullptr);
    m_saveEffectButton = nullptr;
    m_reverbScrollView = nullptr;
    m_pitchTab = nullptr;
    m_eqCurve = nullptr;
    m_appTitle = nullptr;
    for (auto& list : m_presetLists) list.clear();
    m_effectTabs = nullptr;
    m_effectListTabs = nullptr;
    m_cloudAdapter.reset();
    m_downloadAdapter.reset();
    m_fetchAnimation = nullptr;
    m_cloudRefreshPanel = nullptr;
    m_owner = nullptr;
    m_initialised = false;
}

void CEventHandlerEffect::OnTabSelChanged(qv::ui::EventArgs* e) {
    auto* changed = qv::ui::EventCast<qv::ui::EventTabSelChanged>(e);
    CSettingsStore* store = CSettingsStore::GetStore(0);
    if (!changed || !store) return;
    store->WriteInt(kTabSection, e->idFrom == kEffectTabs ? kEffectTabKey : kEffectListTabKey, changed->uNewSel);
}

void CEventHandlerEffect::OnScrollViewOriginChanged(qv::ui::EventArgs* e) {
    if (auto* changed = qv::ui::EventCast<qv::ui::EventScrollViewOriginChanged>(e)) m_reverbScrollOrigin = changed->ptNewOrigin;
}

// ---------------------------------------------------------------- effects

void CEventHandlerEffect::OnBtnEffect(int id) {
    CParamModel* model = Model();
    if (!model) return;
    const int index = id - kFirstEffectButton;
    const int deviceEffects = static_cast<int>(model->GetDeviceEffects().size());
    if (index < deviceEffects) {
        model->ApplyDeviceEffect(index);
    } else if (index < kEffectButtonCount) {
        if (!model->ApplyMyCustomEffect(index - deviceEffects)) {
            ShowTip(id, u"您尚未保存该音效！");
            UpdateCurrentEffect();  // the pressed button shows the effect that is still current
            return;
        }
    }
    UpdateCurrentEffect();
    if (m_presetChosen) ClearEffectChecks();
}

void CEventHandlerEffect::UpdateCurrentEffect() {
    CParamModel* model = Model();
    if (!model || !m_owner) return;
    for (SWindow* button : m_effectButtons)
        if (button) button->SetCheck(false);
    const EffectRecord& current = model->GetCurrentEffect();
    m_listEffectId = current.id;
    CurrentEffectState state;
    state.listEffectId = current.id;
    state.effectCode = model->GetCurrentEffectCode();
    state.effectNumber = model->GetValue(kParamEffectNumber);
    state.voiceSwitch = model->GetValue(kParamVoiceSwitch);
    const EffectPageView view = EffectPageViewFor(state);

    if (view.checkedButton >= 0 && view.checkedButton < kEffectButtonCount) {
        if (SWindow* button = m_effectButtons[static_cast<std::size_t>(view.checkedButton)]) button->SetCheck(true);
    }
    if (m_overlays.notElectric && m_overlays.electric && m_overlays.reverbPitch && m_overlays.pitch) {
        m_overlays.notElectric->SetVisible(view.notElectricOverlay);
        m_overlays.electric->SetVisible(view.electricOverlay);
        m_overlays.reverbPitch->SetVisible(view.reverbPitchOverlay);
    }
    if (m_saveEffectButton) m_saveEffectButton->SetVisible(view.saveEffectButton);
    if (m_pitchTab) m_pitchTab->SetCurSel(view.pitchPage);
    if (m_overlays.pitch) m_overlays.pitch->SetVisible(view.pitchOverlay);
    if (m_effectTitle) m_effectTitle->SetWindowText(SStringW::Format(u"当前音效：%s", std::u16string(FieldText(current.name)).c_str()));
    // "回荡" heads the cloud list except under 电音.
    if (m_workspace)
        SyncBuiltInCloudEntry(m_workspace->CloudEffects(), state.effectNumber, ThisFamily().cloudListHasBuiltInEntry);
    NotifyEffectLists();
}

void CEventHandlerEffect::UpdateDeviceEffectButtons() {
    CParamModel* model = Model();
    if (!model) return;
    const auto& deviceEffects = model->GetDeviceEffects();
    const auto& userEffects = model->GetUserEffects();
    const int firstSaved = ThisFamily().builtInEffectCount;
    for (int i = firstSaved; i < kEffectButtonCount; ++i) {
        SWindow* button = m_effectButtons[static_cast<std::size_t>(i)];
        const EffectRecord* record = nullptr;
        if (i < static_cast<int>(deviceEffects.size())) {
            record = &deviceEffects[static_cast<std::size_t>(i)];
        } else if (std::size_t user = static_cast<std::size_t>(i) - deviceEffects.size(); user < userEffects.size()) {
            record = userEffects[user].emptyFlag != 0 ? nullptr : &userEffects[user];
        }
        if (!button || !record) continue;
        const std::u16string_view name = FieldText(record->name);
        button->SetToolTipText(SStringW(std::u16string(name)));
        button->SetWindowText(SStringW(ButtonText(name, kEffectNameWhole)));
    }
}

// ---------------------------------------------------------------- device

bool CEventHandlerEffect::OnDeviceChanged(qv::ui::EventArgs* e) {
    (void)e;
    if (!m_owner) return false;
    const bool usable = m_workspace && m_workspace->IsDeviceConnected() && !m_workspace->NeedsUpgrade();
    std::u16string title = kTitle;
    if (usable) title += ThisFamily().window.titleSuffix;
    if (m_appTitle) m_appTitle->SetWindowText(SStringW(title));
    if (m_overlays.deviceConnection) m_overlays.deviceConnection->SetVisible(!usable);
    return true;
}

bool CEventHandlerEffect::OnUpgradeFirmware(qv::ui::EventArgs* e) {
    (void)e;
    if (g_upgradeQuestionOpen || !m_workspace) return true;
    g_upgradeQuestionOpen = true;
    // The modal loops below may see the main window, and this page with it, go.
    const std::weak_ptr<bool> alive = m_alive;
    CWorkSpace* workspace = m_workspace;
    const HWND owner = OwnerHwnd();
    if (qv::ui::SMessageBox(owner, kUpgradeQuestion, u"提示", MB_YESNO) == IDYES) {
        workspace->CloseSession();
        CDlgUpgradeFirmware upgrade(workspace, owner);
        upgrade.DoModal(owner);
        if (!alive.expired()) {
            EventDeviceChanged changed(m_owner);
            OnDeviceChanged(&changed);
        }
    } else {
        workspace->CloseSession();
        workspace->DisconnectDevice();
    }
    g_upgradeQuestionOpen = false;
    return true;
}

bool CEventHandlerEffect::OnParamChanged(qv::ui::EventArgs* e) {
    auto* changed = qv::ui::EventCast<EventParamChanged>(e);
    if (!changed || changed->params.empty() || !m_owner) return false;
    bool effectChanged = false;
    for (const auto& [id, value] : changed->params) {
        if (id == kParamEffectNumber || id == kParamEffectSelector) effectChanged = true;
        if (id >= kFirstEqBand && id <= kLastEqBand) SetEqBandGain(id - kFirstEqBand, value);
    }
    if (effectChanged) UpdateCurrentEffect();
    return false;  // the other pages may want it too
}

void CEventHandlerEffect::SetEqBandGain(int band, std::int32_t value) {
    if (!m_eqCurve) return;
    m_eqCurve->SetBandGain(band, value - kEqGainOffsetDb);
    m_eqCurve->UpdateFromModel();
}

void CEventHandlerEffect::ShowTip(int id, const char16_t* text, UINT ms) {
    if (m_owner) qv::controls::CTipWnd::ShowTipAtCtrl(id, m_owner, text, ms);
}
