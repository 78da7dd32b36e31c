#pragma once
// A window that plays an animated skin (layout tag "gifplayer", attribute
// "skin"): each frame shows for its own delay (90 ms when it gives none),
// on the host's timeline. Only a skin of at least two frames plays; the
// player leaves the timeline while it is out of sight and comes back when
// it is next drawn.
#include <memory>
#include <string>

#include "platform/ui/AttrTable.h"
#include "platform/ui/SWindow.h"

namespace qv::controls {

class SSkinAni;

class SGifPlayer : public qv::ui::SWindow, public qv::ui::ITimelineHandler {
    QV_CLASS_NAME(SGifPlayer, qv::ui::SWindow, u"gifplayer", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SWindow)

public:
    ~SGifPlayer() override;
    qv::ui::CSize GetDesiredSize() override;
    // Plays an image file: a GIF, or with isGif false an "apng" skin, which
    // only exists when such a class is registered. 1 when it has frames.
    BOOL PlayFile(const std::string& path, bool isGif = true);

    SSkinAni* GetAniSkin() const { return m_skin; }
    int GetFrame() const { return m_frame; }
    bool IsPlaying() const { return m_playing; }

    void OnNextFrame() override;

protected:
    void OnPaint(qv::ui::SRenderTarget& rt) override;
    void OnShowWindow(bool show) override;
    void OnDestroy() override;

private:
    HRESULT SetSkinAttr(const qv::ui::SStringW& value, bool loading);
    void SetAniSkin(SSkinAni* skin);
    // The wait before the frame after the current one: the current frame's
    // delay, 90 ms for none.
    void ResetCountdown();
    bool CanPlay() const;
    void StartPlaying();
    void StopPlaying();

    SSkinAni* m_skin = nullptr;
    std::unique_ptr<SSkinAni> m_ownSkin;  // a skin made by PlayFile
    int m_frame = 0;
    int m_countdown = 0;
    bool m_playing = false;
};

}  // namespace qv::controls
