#include "platform/os/AltSignalStack.h"

#include <sys/mman.h>
#include <unistd.h>

#include "platform/os/Log.h"

namespace qv::os {

AltSignalStack::AltSignalStack() {
    // A guard page below the stack turns an overflow of the handler itself
    // into a fault instead of a write into other memory.
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t mapped = kSize + page;
    void* memory = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (memory == MAP_FAILED) {
        QV_LOGE("no alternate signal stack for this thread");
        return;
    }
    mprotect(memory, page, PROT_NONE);
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(memory) + page;
    stack.ss_size = kSize;
    if (sigaltstack(&stack, &m_previous) != 0) {
        munmap(memory, mapped);
        QV_LOGE("alternate signal stack not installed");
        return;
    }
    m_memory = memory;
    m_mapped = mapped;
}

AltSignalStack::~AltSignalStack() {
    if (!m_memory) return;
    // Only while no handler runs on it; an earlier stack of the thread returns.
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_ONSTACK)) return;
    if (m_previous.ss_sp && !(m_previous.ss_flags & SS_DISABLE)) {
        sigaltstack(&m_previous, nullptr);
    } else {
        stack_t off{};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
    }
    munmap(m_memory, m_mapped);
}

}  // namespace qv::os
