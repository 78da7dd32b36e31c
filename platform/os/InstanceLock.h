#pragma once
// A named mutex between processes of one user: an exclusive lock (flock) on a
// file named after it in $XDG_RUNTIME_DIR (else /tmp/quorvel-<uid>). The lock
// is held until Release, destruction or the end of the process, whichever
// comes first; a process that dies releases it.
#include <string>
#include <string_view>

namespace qv::os {

// The per-user folder for locks and sockets (0700, owned by the user); empty
// when it cannot be made safely.
std::string UserRuntimeFolder();

class InstanceLock {
public:
    explicit InstanceLock(std::u16string_view name);
    ~InstanceLock() { Release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this object holds the lock now (taken now or earlier); false
    // when another holder has it or the lock file cannot be used.
    [[nodiscard]] bool TryAcquire();
    void Release();
    bool IsHeld() const { return m_fd >= 0; }
    const std::string& LockPath() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
};

}  // namespace qv::os
