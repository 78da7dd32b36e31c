#pragma once
#include "platform/os/Lock.h"

namespace ccm_util {

// The lock that guards data shared with worker threads. Recursive: the
// owning thread may lock again, and must unlock as often as it locked.
class CLock {
public:
    CLock() = default;
    virtual ~CLock() = default;
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

    void Lock();
    void Unlock();

private:
    qv::os::CriticalSection m_section;
};

// Holds a CLock for the lifetime of the guard, so every path unlocks.
class CScopedLock {
public:
    explicit CScopedLock(CLock& lock) : m_lock(lock) { m_lock.Lock(); }
    ~CScopedLock() { m_lock.Unlock(); }
    CScopedLock(const CScopedLock&) = delete;
    CScopedLock& operator=(const CScopedLock&) = delete;

private:
    CLock& m_lock;
};

}  // namespace ccm_util
