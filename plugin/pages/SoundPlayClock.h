#pragma once
// The sound pads' play clock: while a pad plays, timer 1004 (200 ms) moves
// the bar "progress_sound_play" over the sound's length in whole seconds and
// shows the time played in "txt_sound_play_time". When the sound has ended
// (the player stopped, its position back at 0 ms) the next tick shows the
// full bar and the sound's length, and the tick after it resets the area.
//
// UI thread only. The controls belong to the main window; Detach forgets
// them before it goes.
#include <cstdint>

#include "platform/audio/AudioRecords.h"
#include "platform/os/Types.h"

class CAudioEngine;

namespace qv::ui {
class SHostWnd;
class SProgress;
class SWindow;
}  // namespace qv::ui

class CSoundPlayClock {
public:
    static constexpr UINT_PTR kTimerId = 1004;
    static constexpr UINT kIntervalMs = 200;

    // The window whose timer drives the clock, and the play area's controls
    // (each may be missing).
    void Attach(qv::ui::SHostWnd* timerWindow, qv::ui::SProgress* progress, qv::ui::SWindow* text);
    void Detach();

    // A sound started playing on the engine's player.
    void Start(CAudioEngine& engine);
    // Timer off, bar at 0, "00:00:00".
    void Stop();
    // Timer 1004.
    void Tick(CAudioEngine& engine);

    bool IsRunning() const { return m_running; }

private:
    void ShowTime(std::uint32_t hours, std::uint32_t minutes, std::uint32_t seconds);

    qv::ui::SHostWnd* m_timerWindow = nullptr;
    qv::ui::SProgress* m_progress = nullptr;
    qv::ui::SWindow* m_text = nullptr;
    qv::audio::AudioDuration m_duration;
    // The sound's length in whole seconds while it plays; 0 once it ended.
    std::uint32_t m_totalSeconds = 0;
    bool m_running = false;
};
