#pragma once
// The recording area of the main window: records the card's line input into
// a temporary MP3 file, plays the recording back with its clock, position
// slider and level meter, and saves a copy where the user chooses. It also
// answers the system's sleep, resume and session end, where it stops its
// streams and closes or reopens the card's session. Last page of the main
// window.
//
// "btn_record" and "btn_record_playback" change their check state only
// through this page, so checked means running. UI thread only; the page
// lives as long as the main window object, its controls only while the
// window exists.
#include <cstdint>
#include <memory>
#include <string>

#include "plugin/sound/AudioEngine.h"
#include "plugin/windows/MainDlgPage.h"

class CWorkSpace;

namespace qv::desktop {
class SessionEvents;
}

namespace qv::ui {
class SNotifyCenter;
class SProgress;
class SWindow;
}  // namespace qv::ui

class CEventHandlerRecord final : public IMainDlgPage {
public:
    // The ids the recording controls carry in the main window.
    static constexpr int kSliderPlayProgress = 65576;
    static constexpr int kBtnRecord = 65577;
    static constexpr int kBtnRecordSave = 65579;
    static constexpr int kBtnRecordPlayback = 65580;

    static constexpr UINT_PTR kTimerRecordClock = 1002;
    static constexpr UINT_PTR kTimerPlayClock = 1003;
    static constexpr UINT_PTR kTimerRecordLevel = 1008;
    static constexpr UINT_PTR kTimerPlayLevel = 1009;

    enum State : int { kIdle = 0, kRecording = 1, kPlaying = 3 };

    // The temporary recording in the app-data folder; subscribes to the end
    // of playback and to the card's arrival and removal.
    CEventHandlerRecord();
    // Releases recorder and player.
    ~CEventHandlerRecord() override;
    CEventHandlerRecord(const CEventHandlerRecord&) = delete;
    CEventHandlerRecord& operator=(const CEventHandlerRecord&) = delete;

    void Init(CMainDlg& owner) override;
    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override;

    // Application events.
    bool OnPlaybackMsg(qv::ui::EventArgs* e);
    bool OnDeviceChanged(qv::ui::EventArgs* e);

    State GetState() const { return m_state; }
    const std::u16string& TempPath() const { return m_tempPath; }
    const CAudioEngine& Engine() const { return m_engine; }

private:
    static constexpr UINT kClockMs = 200;
    static constexpr UINT kLevelMs = 20;
    static constexpr UINT kClockAfterSeekMs = 500;
    static constexpr UINT kFailureTipMs = 3000;
    static constexpr UINT kSavedTipMs = 2000;

    struct Controls {
        qv::ui::SWindow* recordTime = nullptr;
        qv::ui::SWindow* playTime = nullptr;
        qv::ui::SWindow* record = nullptr;
        qv::ui::SWindow* playback = nullptr;
        qv::ui::SWindow* save = nullptr;
        qv::ui::SProgress* slider = nullptr;
        qv::ui::SProgress* level = nullptr;
    };

    void FindControls();
    void SetState(State state);
    bool TempFileExists() const;
    void EnableSaveAndPlayback(bool enable);

    // Timers.
    bool OnTimer(UINT_PTR id);
    void ShowRecordClock();
    void ShowPlayClock();
    void ShowLevel(qv::audio::IAudioStream* stream);

    // Commands.
    void OnBtnRecord();
    void StartRecording();
    // Stops and releases the recorder; a recording that could not be
    // written whole says so at the record button when tell is set.
    void StopRecording(bool tell);
    void OnBtnPlayback();
    void OnBtnSave();
    void SaveRecording();
    bool OnSliderState(qv::ui::EventArgs* e);
    void OnSliderPos(qv::ui::EventArgs* e);

    // The system's sleep, resume and session end.
    void OnQueryEndSession();
    void OnPowerBroadcast(WPARAM event);
    void StopForSessionEnd();
    void OnDestroy();

    void ShowTip(int id, const qv::ui::SStringW& text, UINT ms);
    CWorkSpace* WorkSpace() const;

    CMainDlg* m_owner = nullptr;
    bool m_initialised = false;
    CAudioEngine m_engine;
    std::u16string m_tempPath;
    // The device name by which the engine chooses the card.
    const char16_t* m_deviceName;
    qv::ui::SWindow* m_container = nullptr;
    Controls m_controls;
    State m_state = kIdle;
    // Set while a command waits in ProcessPendingMessages: a second press
    // meanwhile is ignored.
    bool m_busy = false;
    std::unique_ptr<qv::desktop::SessionEvents> m_sessionEvents;
    qv::ui::SNotifyCenter* m_center = nullptr;
    // Tells code that pumped messages whether the page still exists.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
