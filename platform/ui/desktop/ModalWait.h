#pragma once
// Waiting for a desktop helper (a bus reply, a child's output) the way a
// modal dialog waits: the calling thread keeps dispatching its messages.
#include <functional>

namespace qv::desktop {

// Watches fd on the calling thread's message loop and calls onReadable
// whenever it is readable (or hung up) until onReadable returns true. False
// when the loop was ended by WM_QUIT first; the quit stays posted for the
// enclosing loop.
bool PumpUntil(int fd, const std::function<bool()>& onReadable);

}  // namespace qv::desktop
