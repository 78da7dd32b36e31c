#include "plugin/pages/SoundPlayClock.h"

#include "platform/ui/SHostWnd.h"
#include "platform/ui/controls/SProgress.h"
#include "plugin/sound/AudioEngine.h"

namespace {

// Longer positions keep the bar moving but not the text.
constexpr std::uint32_t kMaxShownHours = 500;

}  // namespace

void CSoundPlayClock::Attach(qv::ui::SHostWnd* timerWindow, qv::ui::SProgress* progress, qv::ui::SWindow* text) {
    m_timerWindow = timerWindow;
    m_progress = progress;
    m_text = text;
}

void CSoundPlayClock::Detach() {
    if (m_timerWindow && m_timerWindow->IsWindow()) m_timerWindow->KillTimer(kTimerId);
    m_timerWindow = nullptr;
    m_progress = nullptr;
    m_text = nullptr;
    m_running = false;
}

void CSoundPlayClock::ShowTime(std::uint32_t hours, std::uint32_t minutes, std::uint32_t seconds) {
    if (m_text) m_text->SetWindowText(qv::ui::SStringW::Format(u"%02u:%02u:%02u", hours, minutes, seconds));
}

void CSoundPlayClock::Start(CAudioEngine& engine) {
    if (m_timerWindow) m_timerWindow->SetTimer(kTimerId, kIntervalMs);
    m_running = true;
    ShowTime(0, 0, 0);
    if (!m_progress) return;
    m_duration = qv::audio::AudioDuration{};
    engine.GetPlayerDuration(&m_duration);
    m_totalSeconds = m_duration.wholeSeconds > 0 ? m_duration.wholeSeconds : 1;
    m_progress->SetRange(0, static_cast<int>(m_totalSeconds));
    m_progress->SetValue(0);
}

void CSoundPlayClock::Stop() {
    if (m_timerWindow) m_timerWindow->KillTimer(kTimerId);
    m_running = false;
    m_totalSeconds = 0;
    if (m_progress) m_progress->SetValue(0);
    ShowTime(0, 0, 0);
}

void CSoundPlayClock::Tick(CAudioEngine& engine) {
    if (!m_progress) return;
    if (m_totalSeconds > 0) {
        qv::audio::AudioPosition position;
        engine.GetPlayerPosition(&position);
        // The position counts milliseconds and reads 0 once the sound has
        // ended; before the device has played anything it is 0 as well, so
        // only a stopped player has ended.
        if (position.milliseconds > 0 || engine.IsPlaying()) {
            m_progress->SetValue(static_cast<int>(position.wholeSeconds));
            if (position.clock.hours < kMaxShownHours)
                ShowTime(position.clock.hours, position.clock.minutes, position.clock.seconds);
            return;
        }
        m_totalSeconds = 0;  // the end shows at the next tick
        return;
    }
    if (m_progress->GetValue() >= m_progress->GetMax()) {
        Stop();
        return;
    }
    m_progress->SetValue(m_progress->GetMax());
    if (m_duration.valid >= 1)
        ShowTime(m_duration.clock.hours, m_duration.clock.minutes, m_duration.clock.seconds);
    else
        ShowTime(0, 0, 1);
}
