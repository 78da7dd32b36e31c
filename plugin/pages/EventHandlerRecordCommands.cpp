// The recording page's buttons and slider: record, play back, save, seek.
#include <string>
#include <string_view>

#include "platform/os/AtomicFile.h"
#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/controls/SProgress.h"
#include "plugin/app/PendingMessages.h"
#include "plugin/dialogs/FileDialogHelper.h"
#include "plugin/pages/EventHandlerRecord.h"
#include "plugin/windows/MainDlg.h"

namespace {

using qv::ui::SStringW;

// The engine's reasons go to the log; the user reads these.
constexpr const char16_t* kStartFailedTip = u"录音失败，请检查录音设备！";
constexpr const char16_t* kWriteFailedTip = u"录音写入失败，已停止录音！";
constexpr const char16_t* kPlayFailedTip = u"试听失败！";

// Overwrite prompt, no read-only box, working folder unchanged, explorer
// style, resizable (and a hook flag without a hook).
constexpr DWORD kSaveDialogFlags = 0x0088002E;

// One filter, "mp3文件(*.mp3)" for "*.mp3;", as the dialog's zero-separated list.
std::u16string SaveFilter() {
    std::u16string filter = u"mp3文件(*.mp3)";
    filter += u'\0';
    filter += u"*.mp3;";
    filter += u'\0';
    return filter;
}

}  // namespace

// ---------------------------------------------------------------- record

void CEventHandlerRecord::OnBtnRecord() {
    if (!m_controls.record || !m_controls.playback || m_busy) return;
    if (m_controls.record->IsChecked()) {
        ShowRecordClock();
        StopRecording(true);
        SetState(kIdle);
    } else {
        StartRecording();
    }
}

void CEventHandlerRecord::StartRecording() {
    if (m_engine.GetPlayer()) {
        const bool wasPlaying = m_engine.IsPlaying() != 0;
        m_engine.StopPlay();
        m_engine.ReleasePlayer();
        // The page shows what runs: nothing plays from here on, whether the
        // recording starts or not.
        if (m_state == kPlaying) SetState(kIdle);
        if (wasPlaying) {
            // Lets the output device close while the window stays alive.
            const std::weak_ptr<bool> alive = m_alive;
            m_busy = true;
            ProcessPendingMessages();
            if (alive.expired()) return;
            m_busy = false;
            if (!m_owner) return;
        }
    }
    if (!m_engine.OpenRecorder(m_deviceName, m_tempPath.c_str()) || !m_engine.StartRecorder()) {
        QV_LOGW("recording did not start: %s", m_engine.GetRecorderErrorText().ToUtf8().c_str());
        m_engine.ReleaseRecorder();
        ShowTip(kBtnRecord, kStartFailedTip, kFailureTipMs);
        return;
    }
    SetState(kRecording);
}

void CEventHandlerRecord::StopRecording(bool tell) {
    if (!m_engine.GetRecorder()) return;
    const bool whole = m_engine.StopRecorder() != 0;
    if (!whole) QV_LOGW("the recording was cut short: %s", m_engine.GetRecorderErrorText().ToUtf8().c_str());
    m_engine.ReleaseRecorder();
    if (!whole && tell) ShowTip(kBtnRecord, kWriteFailedTip, kFailureTipMs);
}

// ---------------------------------------------------------------- play back

void CEventHandlerRecord::OnBtnPlayback() {
    if (!m_controls.playback || m_busy) return;
    if (m_controls.playback->IsChecked()) {
        if (m_engine.IsPlaying()) {
            m_engine.StopPlay();
            m_engine.ReleasePlayer();
        }
        // Also when the sound has just ended and its event is on its way:
        // the button never stays checked over silence.
        SetState(kIdle);
        return;
    }
    const bool opened = m_engine.IsPlayerReady() || m_engine.OpenPlayer(m_deviceName, m_tempPath.c_str());
    if (!opened || !m_engine.StartPlayer()) {
        QV_LOGW("the recording did not play: %s", m_engine.GetPlayerErrorText().ToUtf8().c_str());
        m_engine.ReleasePlayer();
        ShowTip(kBtnRecordPlayback, kPlayFailedTip, kFailureTipMs);
        return;
    }
    SetState(kPlaying);
}

// ---------------------------------------------------------------- save

void CEventHandlerRecord::OnBtnSave() {
    if (m_engine.IsRecording()) {
        ShowTip(kBtnRecordSave, u"录音正在进行中，请先停止录音！", kFailureTipMs);
    } else if (!TempFileExists()) {
        ShowTip(kBtnRecordSave, u"您尚未录音，请先进行录音！", kFailureTipMs);
    } else {
        SaveRecording();
    }
}

void CEventHandlerRecord::SaveRecording() {
    const HWND active = qv::ui::GetActiveWindow();
    const HWND owner = active ? active : (m_owner ? m_owner->GetHwnd() : nullptr);
    const std::weak_ptr<bool> alive = m_alive;
    CFileDialogHelper dialog(false, kSaveDialogFlags, SaveFilter(), u"mp3", owner);
    if (dialog.DoModal(owner) != 1 || alive.expired() || !m_owner) return;
    // The copy replaces a file that is there only once it is complete; a
    // link the user chose is written through.
    if (!qv::os::CopyFileAtomically(qv::os::NativePath(m_tempPath), qv::os::NativePath(dialog.GetPathName()),
                                    qv::os::LinkAtPath::Follow)) {
        ShowTip(kBtnRecordSave, u"保存失败，请尝试保存到其他路径！", kFailureTipMs);
        return;
    }
    ShowTip(kBtnRecordSave, u"录音保存成功！", kSavedTipMs);
    if (m_controls.save) m_controls.save->EnableWindow(false);
}

// ---------------------------------------------------------------- slider

bool CEventHandlerRecord::OnSliderState(qv::ui::EventArgs* e) {
    auto* changed = qv::ui::EventCast<qv::ui::EventSwndStateChanged>(e);
    if (!changed || !changed->CheckState(qv::ui::WndState_PushDown) || !m_owner) return false;
    if (changed->dwNewState & qv::ui::WndState_PushDown) {
        // The clock leaves the thumb to the user while it is held.
        m_owner->KillTimer(kTimerPlayClock);
    } else if (m_state == kPlaying && m_controls.slider) {
        (void)m_engine.JumpPlayerTo(m_controls.slider->GetValue());
        m_owner->SetTimer(kTimerPlayClock, kClockAfterSeekMs);
    }
    return false;
}

void CEventHandlerRecord::OnSliderPos(qv::ui::EventArgs* e) {
    auto* moved = qv::ui::EventCast<qv::ui::EventSliderPos>(e);
    if (!moved || !m_owner || !m_engine.IsPlaying()) return;
    (void)m_engine.JumpPlayerTo(moved->nPos);
    m_owner->SetTimer(kTimerPlayClock, kClockMs);
}
