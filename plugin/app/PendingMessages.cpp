#include "plugin/app/PendingMessages.h"

#include "platform/os/MessageQueue.h"
#include "platform/os/Tick.h"

namespace {

constexpr std::uint32_t kPumpMs = 300;

}  // namespace

std::uint32_t ProcessPendingMessages() {
    const DWORD start = qv::os::GetTickCount();
    for (;;) {
        const std::uint32_t elapsed = qv::os::GetTickCount() - start;
        if (elapsed >= kPumpMs) return elapsed;
        // Waiting for the next message instead of spinning: messages are
        // dispatched as soon as they arrive all the same.
        if (!qv::os::PumpOneMessage()) qv::os::WaitMessage(kPumpMs - elapsed);
    }
}
