#pragma once
// The base of animated skins (skin class "skinani"): a list of frames, each
// a bitmap with its delay in hundredths of a second (0 when the image gives
// none), and the frame drawn by default.
#include <string>
#include <vector>

#include "platform/ui/SSkin.h"

namespace qv::controls {

class SSkinAni : public qv::ui::ISkinObj {
    QV_CLASS_NAME(SSkinAni, qv::ui::ISkinObj, u"skinani", qv::ui::kObjectSkin)

public:
    struct Frame {
        qv::ui::BitmapPtr bitmap;
        int delay = 0;  // 1/100 s
    };

    // The size of the first frame; (0, 0) without frames.
    qv::ui::CSize GetSkinSize() const override;
    int GetStates() const override { return static_cast<int>(m_frames.size()); }
    // Draws a frame (the current one for -1) stretched into rc.
    void Draw(qv::ui::SRenderTarget& rt, const qv::ui::CRect& rc, int frame, BYTE alpha = 255) override;
    void DrawFrame(qv::ui::SRenderTarget& rt, const qv::ui::CRect& rc, int frame, BYTE alpha = 255);
    // Makes a frame the current one, when 0 <= index < count and there are
    // at least two.
    void SelectFrame(int index);
    int GetCurrentFrame() const { return m_current; }
    // The delay of a frame; 0 outside.
    int GetFrameDelay(int index) const;

    // Both return the number of frames loaded (0 on failure); the base loads
    // nothing.
    virtual int LoadFramesFromFile(const std::string& path);
    virtual int LoadFramesFromMemory(const void* bytes, std::size_t length);

protected:
    void SetFrames(std::vector<Frame> frames);

private:
    bool IsValidFrame(int index) const { return index >= 0 && index < GetStates(); }

    std::vector<Frame> m_frames;
    int m_current = 0;
};

}  // namespace qv::controls
