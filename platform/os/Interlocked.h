#pragma once
#include <atomic>

namespace qv::os {

// A process-wide counter changed from several threads.
class InterlockedCounter {
public:
    long Increment() { return m_value.fetch_add(1) + 1; }
    long Decrement() { return m_value.fetch_sub(1) - 1; }
    long Get() const { return m_value.load(); }

private:
    std::atomic<long> m_value{0};
};

}  // namespace qv::os
