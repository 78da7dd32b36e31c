#include "controls/SAnimator.h"

#include "platform/os/Tick.h"

namespace qv::controls {

void SAnimator::StartAnimation(const qv::ui::CRect& from, const qv::ui::CRect& to, std::uint32_t durationMs) {
    if (IsAnimating()) {
        OnAnimationStep(-1);
        m_duration = 0;
    }
    m_from = from;
    m_to = to;
    m_start = qv::os::GetTickCount();
    m_duration = durationMs;
    OnAnimationStep(0);
}

void SAnimator::AnimationFrame() {
    if (!IsAnimating()) return;
    const std::uint32_t elapsed = qv::os::GetTickCount() - m_start;
    if (elapsed < m_duration) {
        OnAnimationStep(static_cast<int>(static_cast<std::uint64_t>(elapsed) * 100 / m_duration));
        return;
    }
    m_duration = 0;
    OnAnimationStep(100);
}

void SAnimator::OnAnimationStep(int percent) {
    if (m_callback) m_callback(percent, m_user);
}

}  // namespace qv::controls
