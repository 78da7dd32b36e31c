#pragma once
// A timed move from one rectangle to another, stepped by its owner's frames
// on the layer's clock (GetTickCount, which tests replace). Steps are
// percentages: 0 at the start, 100 at the end, -1 when a new move cuts a
// running one short.
#include <cstdint>

#include "platform/ui/Geometry.h"

namespace qv::controls {

class SAnimator {
public:
    using Callback = void (*)(int percent, void* user);

    virtual ~SAnimator() = default;

    // Ends a running animation (step -1), then starts from -> to with step 0.
    void StartAnimation(const qv::ui::CRect& from, const qv::ui::CRect& to, std::uint32_t durationMs);
    // One frame: the step for the time passed; the last one is 100 and
    // leaves the animator idle. Nothing while idle.
    void AnimationFrame();
    // Leaves the animator idle where it is, without a step.
    void StopAnimation() { m_duration = 0; }
    bool IsAnimating() const { return m_duration != 0; }
    const qv::ui::CRect& GetAnimationFrom() const { return m_from; }
    const qv::ui::CRect& GetAnimationTo() const { return m_to; }
    // Told of every step by the default OnAnimationStep.
    void SetAnimationCallback(Callback callback, void* user) {
        m_callback = callback;
        m_user = user;
    }

protected:
    virtual void OnAnimationStep(int percent);

private:
    std::uint32_t m_duration = 0;  // 0: idle
    std::uint32_t m_start = 0;
    Callback m_callback = nullptr;
    void* m_user = nullptr;
    qv::ui::CRect m_from;
    qv::ui::CRect m_to;
};

}  // namespace qv::controls
