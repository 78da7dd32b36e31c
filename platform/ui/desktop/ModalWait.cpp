#include "platform/ui/desktop/ModalWait.h"

#include "platform/os/MessageQueue.h"

namespace qv::desktop {

bool PumpUntil(int fd, const std::function<bool()>& onReadable) {
    bool done = false;
    os::WatchFd(fd, os::kFdRead, [&](int, unsigned) {
        if (!done && onReadable()) done = true;
    });
    os::LoopOptions options;
    options.done = [&] { return done; };
    os::RunMessageLoop(options);
    os::UnwatchFd(fd);
    return done;
}

}  // namespace qv::desktop
