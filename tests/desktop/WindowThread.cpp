#include "WindowThread.h"

#include <chrono>
#include <future>

namespace qv::test {

WindowThread::WindowThread() {
    std::promise<void> ready;
    thread_ = std::thread([this, &ready] {
        threadId_ = os::GetCurrentThreadId();
        hwnd_ = os::CreateTarget([this](HWND, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg == WM_HOTKEY || msg >= WM_USER) {
                std::lock_guard<std::mutex> lock(mutex_);
                received_.push_back({msg, w, l, os::GetCurrentThreadId()});
                cv_.notify_all();
            }
            return 0;
        });
        ready.set_value();
        os::RunMessageLoop();
        os::DestroyTarget(hwnd_);
    });
    ready.get_future().wait();
}

WindowThread::~WindowThread() {
    os::PostTask(threadId_, [] { os::PostQuitMessage(0); });
    thread_.join();
}

BOOL WindowThread::OnThread(const std::function<BOOL()>& call) {
    std::promise<BOOL> result;
    os::PostTask(threadId_, [&] { result.set_value(call()); });
    return result.get_future().get();
}

std::optional<ReceivedMessage> WindowThread::Next() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!cv_.wait_for(lock, std::chrono::seconds(5), [this] { return !received_.empty(); })) {
        return std::nullopt;
    }
    ReceivedMessage m = received_.front();
    received_.erase(received_.begin());
    return m;
}

}  // namespace qv::test
