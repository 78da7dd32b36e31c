#include "platform/os/Event.h"

#include <chrono>

namespace qv::os {

Event::Event(bool manualReset, bool initiallySignalled)
    : m_manualReset(manualReset), m_signalled(initiallySignalled) {}

void Event::Set() {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_signalled = true;
    }
    if (m_manualReset)
        m_cv.notify_all();
    else
        m_cv.notify_one();
}

void Event::Reset() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_signalled = false;
}

bool Event::IsSet() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_signalled;
}

WaitResult Event::Wait(std::uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    auto ready = [this] { return m_signalled; };
    if (timeoutMs == INFINITE) {
        m_cv.wait(lock, ready);
    } else if (!m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
        return WaitResult::TimedOut;
    }
    if (!m_manualReset) m_signalled = false;
    return WaitResult::Signalled;
}

}  // namespace qv::os
