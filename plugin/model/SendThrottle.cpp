#include "plugin/model/SendThrottle.h"

void SendThrottle::Setup(std::uint32_t intervalMs, ITimerHost* window, int timerId, Flush owner) {
    m_intervalMs = intervalMs;
    m_window = window;
    m_timerId = timerId;
    m_owner = std::move(owner);
}

std::uint32_t SendThrottle::Now() const {
    // The tick wraps at 2^32; differences stay right across the wrap.
    return m_clock ? static_cast<std::uint32_t>(m_clock->NowMs()) : qv::os::GetTickCount();
}

void SendThrottle::FlushNow(std::uint32_t now) {
    m_lastFlush = now;
    if (m_owner) m_owner();
}

void SendThrottle::Request() {
    if (m_window) m_window->KillTimer(m_timerId);
    const std::uint32_t now = Now();
    if (now - m_lastFlush >= m_intervalMs) {
        FlushNow(now);
        return;
    }
    if (m_window) m_window->SetTimer(m_timerId, m_intervalMs);
}

bool SendThrottle::OnTimer(int timerId) {
    if (timerId != m_timerId) return false;
    if (m_window) m_window->KillTimer(m_timerId);
    FlushNow(Now());
    return true;
}
