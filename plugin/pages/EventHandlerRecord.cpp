#include "plugin/pages/EventHandlerRecord.h"

#include <sys/stat.h>

#include <algorithm>

#include "controls/CTipWnd.h"
#include "families/ThisFamily.h"
#include "platform/os/Folders.h"
#include "platform/os/Path.h"
#include "platform/ui/SNotifyCenter.h"
#include "platform/ui/controls/SProgress.h"
#include "platform/ui/desktop/SessionEvents.h"
#include "plugin/app/AppEvents.h"
#include "plugin/windows/MainDlg.h"
#include "plugin/workspace/WorkSpace.h"

namespace {

using qv::ui::SStringW;
using qv::ui::SWindow;

constexpr const char16_t* kZeroClock = u"00:00:00";

// "hh:mm:ss" of a position in the units of unitsPerSecond; "00:00:00" when
// the units are unknown (nothing open).
SStringW ClockText(std::uint32_t position, std::uint32_t unitsPerSecond) {
    const qv::audio::ClockTime t = qv::audio::ClockTimeOf(unitsPerSecond ? position / unitsPerSecond : 0);
    return SStringW::Format(u"%02u:%02u:%02u", t.hours, t.minutes, t.seconds);
}

std::uint32_t WholeSeconds(const qv::audio::AudioPosition& position, const qv::audio::AudioDuration& duration) {
    return duration.unitsPerSecond ? position.milliseconds / duration.unitsPerSecond : 0;
}

}  // namespace

CEventHandlerRecord::CEventHandlerRecord() : m_deviceName(ThisFamily().deviceName) {
    if (const auto folder = qv::os::MakeAppDataFolder()) m_tempPath = *folder + u"/tmp_record.mp3";
    m_center = qv::ui::SNotifyCenter::getSingletonPtr();
    if (!m_center) return;
    SubscribeAppEvent<EventPlaybackMsg>(*m_center, &CEventHandlerRecord::OnPlaybackMsg, this);
    SubscribeAppEvent<EventDeviceChanged>(*m_center, &CEventHandlerRecord::OnDeviceChanged, this);
}

CEventHandlerRecord::~CEventHandlerRecord() {
    OnDestroy();
    m_engine.ReleaseAll();
    // The centre may have gone first; only the one subscribed to is told.
    if (m_center && qv::ui::SNotifyCenter::getSingletonPtr() == m_center) m_center->unsubscribeAll(this);
}

// ---------------------------------------------------------------- start

void CEventHandlerRecord::Init(CMainDlg& owner) {
    m_owner = &owner;
    FindControls();
    EnableSaveAndPlayback(TempFileExists());
    for (qv::ui::SProgress* bar : {m_controls.slider, m_controls.level}) {
        if (!bar) continue;
        bar->SetRange(0, 100);
        bar->SetValue(0);
        bar->EnableWindow(false);
    }
    if (m_controls.slider) {
        // Pressing and releasing the thumb: the state change does not bubble.
        m_controls.slider->SubscribeEvent(qv::ui::EVT_STATECHANGED,
                                          qv::ui::MemberSlot(&CEventHandlerRecord::OnSliderState, this), this);
    }
    if (m_engine.IsRecording()) SetState(kRecording);
    else if (m_engine.IsPlaying()) SetState(kPlaying);
    m_sessionEvents = qv::desktop::SessionEvents::Open();
    if (m_sessionEvents) m_sessionEvents->AddWindow(owner.GetHwnd());
    m_initialised = true;
}

void CEventHandlerRecord::FindControls() {
    m_controls = Controls{};
    m_container = m_owner->FindChildByName(u"container_record");
    if (!m_container) return;
    m_controls.recordTime = m_container->FindChildByName(u"txt_record_time");
    m_controls.playTime = m_container->FindChildByName(u"txt_play_time");
    m_controls.record = m_container->FindChildByName(u"btn_record");
    m_controls.playback = m_container->FindChildByName(u"btn_record_playback");
    m_controls.save = m_container->FindChildByName(u"btn_record_save");
    m_controls.slider = m_container->FindChildByName2<qv::ui::SProgress>(u"slider_play_progress");
    m_controls.level = m_container->FindChildByName2<qv::ui::SProgress>(u"channel_volume");
}

bool CEventHandlerRecord::TempFileExists() const {
    struct stat info {};
    return !m_tempPath.empty() && stat(qv::os::NativePath(m_tempPath).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void CEventHandlerRecord::EnableSaveAndPlayback(bool enable) {
    if (m_controls.playback) m_controls.playback->EnableWindow(enable);
    if (m_controls.save) m_controls.save->EnableWindow(enable);
}

// ---------------------------------------------------------------- state

void CEventHandlerRecord::SetState(State state) {
    m_state = state;
    Controls& c = m_controls;
    switch (state) {
    case kIdle:
        if (m_owner) {
            for (UINT_PTR id : {kTimerRecordClock, kTimerPlayClock, kTimerRecordLevel, kTimerPlayLevel}) m_owner->KillTimer(id);
        }
        if (c.record) c.record->SetCheck(false);
        if (c.playback) c.playback->SetCheck(false);
        if (c.playTime) c.playTime->SetWindowText(kZeroClock);
        if (c.slider) {
            c.slider->SetValue(0);
            c.slider->EnableWindow(false);
        }
        if (TempFileExists()) EnableSaveAndPlayback(true);
        if (c.level) {
            c.level->SetValue(0);
            c.level->EnableWindow(false);
        }
        break;
    case kRecording:
        if (c.record) c.record->SetCheck(true);
        if (c.playback) c.playback->EnableWindow(false);
        if (c.slider) c.slider->EnableWindow(false);
        if (c.save) c.save->EnableWindow(false);
        if (c.playTime) c.playTime->SetWindowText(kZeroClock);
        if (c.recordTime && m_owner) {
            c.recordTime->SetWindowText(kZeroClock);
            m_owner->SetTimer(kTimerRecordClock, kClockMs);
            m_owner->SetTimer(kTimerRecordLevel, kLevelMs);
        }
        break;
    case kPlaying:
        if (m_owner) {
            m_owner->SetTimer(kTimerPlayClock, kClockMs);
            m_owner->SetTimer(kTimerPlayLevel, kLevelMs);
        }
        if (c.playback) c.playback->SetCheck(true);
        if (c.slider) {
            qv::audio::AudioDuration length;
            (void)m_engine.GetPlayerDuration(&length);
            if (c.recordTime) {
                c.recordTime->SetWindowText(SStringW::Format(u"%02u:%02u:%02u", length.clock.hours,
                                                             length.clock.minutes, length.clock.seconds));
            }
            c.slider->SetRange(0, length.wholeSeconds ? static_cast<int>(length.wholeSeconds) : 1);
            c.slider->SetValue(0);
            c.slider->EnableWindow(true);
        }
        break;
    }
}

// ---------------------------------------------------------------- maps

BOOL CEventHandlerRecord::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_TIMER:
        if (!OnTimer(static_cast<UINT_PTR>(wParam))) return FALSE;
        result = 0;
        return TRUE;
    case WM_POWERBROADCAST:
        OnPowerBroadcast(wParam);
        return FALSE;
    case WM_QUERYENDSESSION:
        OnQueryEndSession();
        return FALSE;
    case WM_ENDSESSION:
        // The session goes on after all: the card's session is closed, so
        // the program ends.
        if (wParam == 0) qv::os::PostQuitMessage(0);
        return FALSE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;  // the window's own handling follows
    default:
        return FALSE;
    }
}

BOOL CEventHandlerRecord::_HandleEvent(qv::ui::EventArgs* e) {
    const int id = e->idFrom;
    switch (e->GetID()) {
    case qv::ui::EVT_CMD:
        if (id == kBtnRecord) OnBtnRecord();
        else if (id == kBtnRecordPlayback) OnBtnPlayback();
        else if (id == kBtnRecordSave) OnBtnSave();
        else return FALSE;
        return TRUE;
    case qv::ui::EVT_SLIDER_POS:
        if (id != kSliderPlayProgress) return FALSE;
        OnSliderPos(e);
        return TRUE;
    default:
        return FALSE;
    }
}

bool CEventHandlerRecord::OnTimer(UINT_PTR id) {
    switch (id) {
    case kTimerRecordClock:
        ShowRecordClock();
        // A recorder that stopped by itself could not write its file.
        if (m_state == kRecording && m_engine.GetRecorder() && !m_engine.IsRecording()) {
            StopRecording(true);
            SetState(kIdle);
        }
        return true;
    case kTimerPlayClock:
        ShowPlayClock();
        return true;
    case kTimerRecordLevel:
        ShowLevel(m_engine.GetRecorder());
        return true;
    case kTimerPlayLevel:
        ShowLevel(m_engine.GetPlayer());
        return true;
    default:
        return false;
    }
}

void CEventHandlerRecord::ShowRecordClock() {
    qv::audio::AudioPosition position;
    qv::audio::AudioDuration duration;
    if (!m_controls.recordTime || !m_engine.GetRecorderPosition(&position)) return;
    (void)m_engine.GetRecorderDuration(&duration);
    m_controls.recordTime->SetWindowText(ClockText(position.milliseconds, duration.unitsPerSecond));
}

void CEventHandlerRecord::ShowPlayClock() {
    qv::audio::AudioPosition position;
    qv::audio::AudioDuration duration;
    if (!m_engine.GetPlayerPosition(&position)) return;
    (void)m_engine.GetPlayerDuration(&duration);
    if (m_controls.slider) m_controls.slider->SetValue(static_cast<int>(WholeSeconds(position, duration)));
    if (m_controls.playTime) m_controls.playTime->SetWindowText(ClockText(position.milliseconds, duration.unitsPerSecond));
}

void CEventHandlerRecord::ShowLevel(qv::audio::IAudioStream* stream) {
    int left = 0;
    int right = 0;
    if (!stream || !m_controls.level || !stream->GetLevel(&left, &right)) return;
    m_controls.level->SetValue(static_cast<int>(std::max(static_cast<unsigned>(left), static_cast<unsigned>(right))));
}

// ---------------------------------------------------------------- events

bool CEventHandlerRecord::OnPlaybackMsg(qv::ui::EventArgs* e) {
    auto* msg = qv::ui::EventCast<EventPlaybackMsg>(e);
    if (!msg || msg->object != &m_engine || msg->message != kPlaybackEndMessage || !m_container) return false;
    // An end that arrives after the page moved on (the player was stopped,
    // or a recording began) is old news.
    if (m_state == kPlaying) SetState(kIdle);
    return true;
}

bool CEventHandlerRecord::OnDeviceChanged(qv::ui::EventArgs*) {
    CWorkSpace* workspace = WorkSpace();
    if (workspace && workspace->IsDeviceConnected()) return true;
    StopRecording(m_initialised);
    m_engine.StopPlay();
    m_engine.ReleasePlayer();
    SetState(kIdle);
    return true;
}

void CEventHandlerRecord::OnDestroy() {
    m_sessionEvents.reset();
    if (m_owner) {
        // Nothing could stop them once the window is gone (it may be made
        // again from the tray with a page of its own): the take is completed.
        StopRecording(false);
        m_engine.StopPlay();
        m_engine.ReleasePlayer();
        m_state = kIdle;
    }
    if (m_controls.slider) m_controls.slider->GetEventSet().UnsubscribeOwner(this);
    m_controls = Controls{};
    m_container = nullptr;
    m_owner = nullptr;
    m_initialised = false;
}

void CEventHandlerRecord::ShowTip(int id, const SStringW& text, UINT ms) {
    if (m_container) qv::controls::CTipWnd::ShowTipAtCtrl(id, m_container, text, ms);
}
