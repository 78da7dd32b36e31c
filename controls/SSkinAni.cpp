#include "controls/SSkinAni.h"

#include "platform/ui/SRenderTarget.h"

namespace qv::controls {

using namespace qv::ui;

CSize SSkinAni::GetSkinSize() const { return m_frames.empty() ? CSize() : m_frames.front().bitmap->Size(); }

void SSkinAni::Draw(SRenderTarget& rt, const CRect& rc, int frame, BYTE alpha) { DrawFrame(rt, rc, frame, alpha); }

void SSkinAni::DrawFrame(SRenderTarget& rt, const CRect& rc, int frame, BYTE alpha) {
    if (m_frames.empty()) return;
    if (frame != -1) SelectFrame(frame);
    const SBitmap& bitmap = *m_frames[m_current].bitmap;
    rt.DrawBitmapEx(rc, bitmap, CRect(0, 0, bitmap.Width(), bitmap.Height()), alpha);
}

void SSkinAni::SelectFrame(int index) {
    if (GetStates() > 1 && IsValidFrame(index)) m_current = index;
}

int SSkinAni::GetFrameDelay(int index) const { return IsValidFrame(index) ? m_frames[index].delay : 0; }

int SSkinAni::LoadFramesFromFile(const std::string&) { return 0; }

int SSkinAni::LoadFramesFromMemory(const void*, std::size_t) { return 0; }

void SSkinAni::SetFrames(std::vector<Frame> frames) {
    m_frames = std::move(frames);
    m_current = 0;
}

}  // namespace qv::controls
