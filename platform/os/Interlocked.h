#pragma once
#include <atomic>

namespace qv::os {

// A process-wide counter changed from several threads.
class InterlockedCounter {
public:
    long Increment() { return Changed(m_value.fetch_add(1) + 1); }
    long Decrement() { return Changed(m_value.fetch_sub(1) - 1); }
    long Get() const { return m_value.load(); }
    // Returns once the counter holds 0, as soon as it does.
    void WaitUntilZero() const {
        for (long value = m_value.load(); value != 0; value = m_value.load()) m_value.wait(value);
    }

private:
    long Changed(long value) {
        m_value.notify_all();
        return value;
    }

    std::atomic<long> m_value{0};
};

}  // namespace qv::os
