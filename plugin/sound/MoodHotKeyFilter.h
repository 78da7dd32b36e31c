#pragma once
// The sound pads' message filter: a WM_HOTKEY whose id lies in the
// favourites' range (14000 .. 14999) plays that favourite and is consumed;
// every other message passes. Installed on the UI thread's message loop
// while the pads page lives.
#include <cstdint>
#include <functional>

#include "platform/os/MessageQueue.h"

namespace qv::ui {
class SApplication;
}

// The favourite's pad id for a favourites' hotkey message, else 0.
int MoodHotKeyPadId(const qv::os::MSG& msg);

class CMoodHotKeyFilter {
public:
    using PlayPad = std::function<void(int padId)>;

    explicit CMoodHotKeyFilter(PlayPad play) : m_play(std::move(play)) {}
    ~CMoodHotKeyFilter() { Remove(); }
    CMoodHotKeyFilter(const CMoodHotKeyFilter&) = delete;
    CMoodHotKeyFilter& operator=(const CMoodHotKeyFilter&) = delete;

    // True when the message was a favourites' hotkey (it is then played).
    bool PreTranslateMessage(const qv::os::MSG& msg);
    void Install(qv::ui::SApplication& app);
    void Remove();

private:
    PlayPad m_play;
    qv::ui::SApplication* m_app = nullptr;
    std::uint64_t m_token = 0;
};
