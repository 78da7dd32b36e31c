// The sound page's playing: a pad's sound on the card's output through the
// page's player at the pad volume, the play clock, stop, the volume popup
// and its changes.
#include "families/ThisFamily.h"
#include "platform/os/Log.h"
#include "plugin/app/AppEvents.h"
#include "plugin/app/PluginApp.h"
#include "plugin/dialogs/SetVolumeDlg.h"
#include "plugin/model/RecordText.h"
#include "plugin/pages/EventHandlerSound.h"
#include "plugin/windows/MainDlg.h"

namespace {

// The ids whose pads play from their lists; an id inside them past its
// list plays nothing and says nothing.
bool IsPlayRange(int id) {
    return (id >= kFirstFavouritePad && id <= kFirstFavouritePad + 999) ||
           (id >= kFirstBuiltInPad && id <= kFirstBuiltInPad + 999) ||
           (id >= kFirstDownloadPad && id <= kFirstDownloadPad + 999);
}

}  // namespace

void CEventHandlerSound::PlaySoundByCtrlId(int id) {
    m_lastPlayedPad = id;
    const PadKind kind = PadOf(id).kind;
    if (IsPlayRange(id) && kind != PadKind::kCloud) {
        const std::optional<SoundItem> item = PadItem(id);
        if (!item) return;
        m_currentSound = *item;
        if (PlaySoundItem(*item)) return;
    }
    FailPlaying(id);
}

int CEventHandlerSound::PlaySoundItem(const SoundItem& item) {
    const char16_t* device = ThisFamily().deviceName;
    const std::u16string path(FieldText(item.path));
    int opened = 0;
    if (item.kind == kSoundBuiltIn) {
        IPluginApp* app = CurrentPluginApp();
        opened = m_engine.PlayResource(path.c_str(), app ? app->GetHostInstance() : nullptr, device);
    } else if (item.kind == kSoundFile) {
        opened = m_engine.OpenPlayer(device, path.c_str());
    }
    if (!opened) return 0;
    m_engine.SetPlayerVolume(m_mood.GetVolume());
    // A failed start releases the player through the holder.
    if (!m_engine.StartPlayer()) return 0;
    SetPlayState(false);
    return 1;
}

void CEventHandlerSound::FailPlaying(int padId) {
    // The user reads the short message; why it failed goes to the log.
    QV_LOGW("pad %d did not play: %s", padId, m_engine.GetPlayerErrorText().ToUtf8().c_str());
    ShowTip(padId, u"播放失败");
    m_engine.StopPlay();
    SetPlayState(true);
}

void CEventHandlerSound::SetPlayState(bool stopped) {
    if (stopped)
        m_clock.Stop();
    else
        m_clock.Start(m_engine);
}

void CEventHandlerSound::StopPlaying() {
    m_engine.StopPlay();
    SetPlayState(true);
}

void CEventHandlerSound::OnBtnStop() { StopPlaying(); }

void CEventHandlerSound::OnBtnVolume() {
    if (!m_volumeButton || !m_owner) return;
    const qv::ui::CRect rc = m_volumeButton->GetWindowRect();
    qv::ui::CPoint anchor(rc.left + rc.Width() / 2, rc.top - rc.Height() / 2 - ThisFamily().soundPage.volumePopupLift);
    m_owner->ClientToScreen(anchor);
    CSetVolumeDlg::ShowVolumeDlg(&anchor, m_mood.GetVolume());
}

bool CEventHandlerSound::OnVolumeChange(qv::ui::EventArgs* e) {
    auto* change = qv::ui::EventCast<EventVolumeChange>(e);
    if (!change) return false;
    m_engine.SetPlayerVolume(change->volume);
    m_mood.SetVolume(change->volume);
    return true;
}

bool CEventHandlerSound::OnPlaybackMsg(qv::ui::EventArgs* e) {
    // The clock sees the end; only this page's player is answered.
    auto* playback = qv::ui::EventCast<EventPlaybackMsg>(e);
    return playback && playback->object == &m_engine && playback->message == kPlaybackEndMessage;
}

bool CEventHandlerSound::OnDeviceChanged(qv::ui::EventArgs* e) {
    (void)e;
    if (!m_owner) return false;
    m_clock.Stop();
    return true;
}
