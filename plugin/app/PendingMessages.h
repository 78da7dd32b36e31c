#pragma once
#include <cstdint>

// Keeps the calling (UI) thread's windows alive for 300 ms while its caller
// waits: dispatches every message that arrives meanwhile. Returns the
// milliseconds that passed (at least 300). A quit request stays pending for
// the enclosing loop.
std::uint32_t ProcessPendingMessages();
