#pragma once
#include <mutex>

namespace qv::os {

// A recursive lock with the semantics of a Windows critical section: the
// owning thread may enter again.
class CriticalSection {
public:
    void Enter() { m_mutex.lock(); }
    void Leave() { m_mutex.unlock(); }
    bool TryEnter() { return m_mutex.try_lock(); }

private:
    std::recursive_mutex m_mutex;
};

// Holds a lock for the lifetime of the guard.
template <class L>
class LockGuard {
public:
    explicit LockGuard(L& lock) : m_lock(lock) { m_lock.Enter(); }
    ~LockGuard() { m_lock.Leave(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    L& m_lock;
};

}  // namespace qv::os
