#pragma once
// A thread with its own message loop and one window that records the
// messages it receives (WM_HOTKEY and everything from WM_USER up), for tests
// of services that deliver to a window on its own thread.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/os/MessageQueue.h"

namespace qv::test {

struct ReceivedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD thread;  // the thread the window procedure ran on
};

class WindowThread {
public:
    WindowThread();
    ~WindowThread();
    WindowThread(const WindowThread&) = delete;
    WindowThread& operator=(const WindowThread&) = delete;

    HWND Hwnd() const { return hwnd_; }
    DWORD ThreadId() const { return threadId_; }

    // Runs call on the window's thread and returns its result.
    BOOL OnThread(const std::function<BOOL()>& call);
    // The next recorded message; nothing after 5 s.
    std::optional<ReceivedMessage> Next();

private:
    std::thread thread_;
    DWORD threadId_ = 0;
    HWND hwnd_ = nullptr;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<ReceivedMessage> received_;
};

}  // namespace qv::test
