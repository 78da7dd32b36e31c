#pragma once
// A named mutex between processes of one user: an exclusive lock (flock) on a
// file named after it in the user's runtime folder. The lock is held until
// Release, destruction or the end of the process, whichever comes first; a
// process that dies releases it. Release removes the file; one left by a
// process that died is taken over. A lock folder that others may write to is
// never used: a stranger could hold or replace the lock there.
#include <string>
#include <string_view>

namespace qv::os {

// The per-user folder for locks and sockets: $XDG_RUNTIME_DIR when it is
// set and exists, else /tmp/quorvel-<uid> (made 0700). Empty when that
// folder is not private (someone else's, or open to others); problem then
// says why.
std::string UserRuntimeFolder(std::string* problem = nullptr);

class InstanceLock {
public:
    enum class Result {
        Acquired,       // this object holds the lock (taken now or earlier)
        HeldElsewhere,  // another holder has it
        Unusable,       // no private lock folder, or the lock file cannot be used
    };

    explicit InstanceLock(std::u16string_view name);
    ~InstanceLock() { Release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    [[nodiscard]] Result Acquire();
    // Acquire() == Acquired.
    [[nodiscard]] bool TryAcquire() { return Acquire() == Result::Acquired; }
    // Why the lock is unusable, for the user.
    const std::string& Problem() const { return m_problem; }
    void Release();
    bool IsHeld() const { return m_fd >= 0; }
    const std::string& LockPath() const { return m_path; }

private:
    std::string m_path;
    std::string m_problem;
    int m_fd = -1;
};

}  // namespace qv::os
