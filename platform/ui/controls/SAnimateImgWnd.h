#pragma once
// An animation: the frames of its skin shown in turn every "speed" ms. With
// "autoStart" (on by default) it plays while it is shown. It stops itself
// when it finds itself hidden (also by a hidden parent), so it costs no
// wake-ups out of sight, and plays again when it is next drawn.
#include "platform/ui/SWindow.h"

namespace qv::ui {

class SAnimateImgWnd : public SWindow {
    QV_CLASS_NAME(SAnimateImgWnd, SWindow, u"animateimg", kObjectWindow)
    QV_ATTRIBUTES(SWindow)

public:
    BOOL InitFromXml(pugi::xml_node node) override;

    void Start();
    void Stop();
    bool IsPlaying() const { return m_playing; }
    int GetFrame() const { return m_frame; }

    void OnTimer(UINT id) override;

protected:
    void OnPaint(SRenderTarget& rt) override;
    void OnShowWindow(bool show) override;
    void OnDestroy() override;

private:
    HRESULT SetSpeedAttr(const SStringW& value, bool loading);

    static constexpr UINT kFrameTimer = 1;
    int m_speed = 50;
    bool m_autoStart = true;
    bool m_playing = false;
    bool m_pausedHidden = false;  // stopped for being out of sight, not by Stop
    int m_frame = 0;
};

}  // namespace qv::ui
