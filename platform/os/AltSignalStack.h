#pragma once
// Room for a signal handler to run on when the thread's own stack is used
// up: without it a stack overflow kills the thread before the crash handler
// can write its dump. Every thread the program starts holds one for its
// lifetime, as the first local of its body. The thread's earlier alternate
// stack, if any, is put back when the object goes.
#include <signal.h>

#include <cstddef>

namespace qv::os {

class AltSignalStack {
public:
    AltSignalStack();
    ~AltSignalStack();
    AltSignalStack(const AltSignalStack&) = delete;
    AltSignalStack& operator=(const AltSignalStack&) = delete;

    bool IsInstalled() const { return m_memory != nullptr; }

    static constexpr std::size_t kSize = 64 * 1024;

private:
    void* m_memory = nullptr;
    std::size_t m_mapped = 0;
    stack_t m_previous{};
};

}  // namespace qv::os
