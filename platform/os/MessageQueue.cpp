#include "platform/os/MessageQueue.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/os/Log.h"
#include "platform/os/Tick.h"

namespace qv::os {
namespace {

class ThreadQueue;

struct SentRecord {
    MSG msg{};
    LRESULT result = 0;
    std::atomic<bool> done{false};
    std::shared_ptr<ThreadQueue> sender;
};

struct Posted {
    MSG msg{};
    std::function<void()> task;  // set for PostTask entries
};

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT period;
    std::uint64_t due;
};

struct FdWatch {
    int fd;
    unsigned events;
    std::shared_ptr<FdCallback> callback;
    FdBuffered buffered;
    bool busy = false;
};

constexpr UINT kMinTimerMs = 10;

class ThreadQueue {
public:
    explicit ThreadQueue(DWORD threadId)
        : id(threadId), wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
        if (wakeFd < 0) QV_LOGE("eventfd failed: errno %d", errno);
    }
    ~ThreadQueue() {
        if (wakeFd >= 0) close(wakeFd);
    }
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    void Wake() const {
        std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(wakeFd, &one, sizeof one);
    }
    void Drain() const {
        std::uint64_t value;
        [[maybe_unused]] ssize_t n = read(wakeFd, &value, sizeof value);
    }

    const DWORD id;
    const int wakeFd;

    std::mutex mutex;  // guards everything below except fds
    std::deque<Posted> posted;
    std::deque<std::shared_ptr<SentRecord>> sent;
    bool quit = false;
    int quitCode = 0;
    bool closed = false;
    std::vector<Timer> timers;

    std::vector<FdWatch> fds;  // owner thread only
};

struct Target {
    DWORD thread;
    std::shared_ptr<WndProc> proc;
};

// Process-wide state. Never destroyed: thread queues may be torn down by
// thread-exit handlers that run after static destruction has begun.
struct Registry {
    std::mutex mutex;
    std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>> queues;
    std::unordered_map<HWND, Target> targets;
    std::uintptr_t nextHandle = 0x10000;
};

Registry& Reg() {
    static Registry* registry = new Registry;
    return *registry;
}

std::atomic<DWORD> g_nextThreadId{1};

void Teardown(const std::shared_ptr<ThreadQueue>& queue);

struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder() {
        if (queue) Teardown(queue);
    }
};

thread_local DWORD t_threadId = 0;
thread_local QueueHolder t_holder;
thread_local int t_loopDepth = 0;
thread_local bool t_lastLoopQuit = false;

DWORD ThisThreadId() {
    if (t_threadId == 0) t_threadId = g_nextThreadId.fetch_add(1);
    return t_threadId;
}

ThreadQueue& Current() {
    if (!t_holder.queue) {
        auto queue = std::make_shared<ThreadQueue>(ThisThreadId());
        {
            std::lock_guard<std::mutex> guard(Reg().mutex);
            Reg().queues[queue->id] = queue;
        }
        t_holder.queue = std::move(queue);
    }
    return *t_holder.queue;
}

// The calling thread's queue, kept alive for a caller that may run handlers
// (a handler could drop the thread's queue meanwhile).
std::shared_ptr<ThreadQueue> CurrentShared() {
    Current();
    return t_holder.queue;
}

std::shared_ptr<ThreadQueue> QueueOf(DWORD threadId) {
    std::lock_guard<std::mutex> guard(Reg().mutex);
    auto it = Reg().queues.find(threadId);
    return it == Reg().queues.end() ? nullptr : it->second;
}

std::optional<Target> FindTarget(HWND hwnd) {
    if (!hwnd) return std::nullopt;
    std::lock_guard<std::mutex> guard(Reg().mutex);
    auto it = Reg().targets.find(hwnd);
    if (it == Reg().targets.end()) return std::nullopt;
    return it->second;
}

void Complete(SentRecord& record, LRESULT result) {
    record.result = result;
    record.done.store(true, std::memory_order_release);
    record.sender->Wake();
}

void Teardown(const std::shared_ptr<ThreadQueue>& queue) {
    std::vector<std::shared_ptr<WndProc>> procs;  // released outside the lock
    {
        std::lock_guard<std::mutex> guard(Reg().mutex);
        Reg().queues.erase(queue->id);
        for (auto it = Reg().targets.begin(); it != Reg().targets.end();) {
            if (it->second.thread == queue->id) {
                procs.push_back(std::move(it->second.proc));
                it = Reg().targets.erase(it);
            } else {
                ++it;
            }
        }
    }
    std::deque<Posted> posted;
    std::deque<std::shared_ptr<SentRecord>> sent;
    {
        std::lock_guard<std::mutex> guard(queue->mutex);
        queue->closed = true;
        posted.swap(queue->posted);
        sent.swap(queue->sent);
        queue->timers.clear();
    }
    for (auto& record : sent) Complete(*record, 0);
    queue->fds.clear();
}

LRESULT CallTarget(const Target& target, HWND hwnd, UINT message, WPARAM wParam,
                   LPARAM lParam) {
    return (*target.proc)(hwnd, message, wParam, lParam);
}

// Dispatches one message sent from another thread; false when none waits.
bool ProcessOneSent(ThreadQueue& queue) {
    std::shared_ptr<SentRecord> record;
    {
        std::lock_guard<std::mutex> guard(queue.mutex);
        if (queue.sent.empty()) return false;
        record = std::move(queue.sent.front());
        queue.sent.pop_front();
    }
    LRESULT result = 0;
    auto target = FindTarget(record->msg.hwnd);
    if (target && target->thread == queue.id) {
        const MSG& m = record->msg;
        result = CallTarget(*target, m.hwnd, m.message, m.wParam, m.lParam);
    }
    Complete(*record, result);
    return true;
}

enum class Retrieved { Message, Worked, Nothing };

// One step of retrieval: sent messages and tasks are run here (Worked);
// a posted message, WM_QUIT or a due timer is returned (Message).
Retrieved Retrieve(ThreadQueue& queue, MSG* msg, bool remove) {
    bool worked = false;
    while (ProcessOneSent(queue)) worked = true;
    if (worked) return Retrieved::Worked;

    std::function<void()> task;
    {
        std::lock_guard<std::mutex> guard(queue.mutex);
        if (!queue.posted.empty()) {
            Posted& head = queue.posted.front();
            if (head.task) {
                task = std::move(head.task);
                queue.posted.pop_front();
            } else {
                *msg = head.msg;
                if (remove) queue.posted.pop_front();
                return Retrieved::Message;
            }
        } else if (queue.quit) {
            *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, GetTickCount()};
            if (remove) queue.quit = false;
            return Retrieved::Message;
        } else {
            const std::uint64_t now = NowMs();
            Timer* due = nullptr;
            for (Timer& t : queue.timers) {
                if (t.due <= now && (!due || t.due < due->due)) due = &t;
            }
            if (due) {
                *msg = MSG{due->hwnd, WM_TIMER, due->id, 0, static_cast<DWORD>(now)};
                if (remove) due->due = now + due->period;
                return Retrieved::Message;
            }
            return Retrieved::Nothing;
        }
    }
    task();
    return Retrieved::Worked;
}

unsigned ToFdEvents(short revents) {
    unsigned events = 0;
    if (revents & POLLIN) events |= kFdRead;
    if (revents & POLLOUT) events |= kFdWrite;
    if (revents & (POLLERR | POLLHUP | POLLNVAL)) events |= kFdError;
    return events;
}

FdWatch* FindWatch(ThreadQueue& queue, int fd) {
    for (FdWatch& w : queue.fds)
        if (w.fd == fd) return &w;
    return nullptr;
}

// Waits for the queue's wake-up, a watched fd or the next timer, at most
// limitMs. Runs the callbacks of ready fds; true when any ran. Without
// `full` only the wake-up counts (a sender waiting for its reply).
bool Wait(ThreadQueue& queue, DWORD limitMs, bool full = true) {
    std::uint64_t timeout = limitMs == INFINITE ? UINT64_MAX : limitMs;
    if (full) {
        std::lock_guard<std::mutex> guard(queue.mutex);
        const std::uint64_t now = NowMs();
        for (const Timer& t : queue.timers) {
            const std::uint64_t left = t.due > now ? t.due - now : 0;
            if (left < timeout) timeout = left;
        }
    }
    std::vector<pollfd> fds;
    std::vector<bool> buffered{false};
    fds.push_back(pollfd{queue.wakeFd, POLLIN, 0});
    if (full) {
        for (const FdWatch& w : queue.fds) {
            if (w.busy) continue;
            short events = 0;
            if (w.events & kFdRead) events |= POLLIN;
            if (w.events & kFdWrite) events |= POLLOUT;
            fds.push_back(pollfd{w.fd, events, 0});
            // Input already taken off the fd would wait for the next byte.
            buffered.push_back(w.buffered && w.buffered());
            if (buffered.back()) timeout = 0;
        }
    }
    const int pollTimeout = timeout > 0x7FFFFFFF ? -1 : static_cast<int>(timeout);
    const int n = poll(fds.data(), fds.size(), pollTimeout);
    if (n < 0 && errno != EINTR) QV_LOGE("poll failed: errno %d", errno);

    bool ran = false;
    for (std::size_t i = 1; i < fds.size(); ++i) {
        unsigned events = n > 0 ? ToFdEvents(fds[i].revents) : 0;
        if (buffered[i]) events |= kFdRead;
        if (!events) continue;
        FdWatch* watch = FindWatch(queue, fds[i].fd);
        if (!watch || watch->busy) continue;  // unwatched by an earlier callback
        std::shared_ptr<FdCallback> callback = watch->callback;
        watch->busy = true;
        (*callback)(fds[i].fd, events);
        if (FdWatch* after = FindWatch(queue, fds[i].fd)) after->busy = false;
        ran = true;
    }
    return ran;
}

BOOL PostTo(ThreadQueue& queue, Posted item) {
    {
        std::lock_guard<std::mutex> guard(queue.mutex);
        if (queue.closed) return FALSE;
        queue.posted.push_back(std::move(item));
    }
    queue.Wake();
    return TRUE;
}

std::shared_ptr<ThreadQueue> TimerQueue(HWND hwnd) {
    if (!hwnd) return CurrentShared();
    auto target = FindTarget(hwnd);
    return target ? QueueOf(target->thread) : nullptr;
}

}  // namespace

DWORD GetCurrentThreadId() {
    Current();
    return ThisThreadId();
}

void EnsureThreadQueue() { Current(); }

void DestroyThreadQueue() {
    if (!t_holder.queue) return;
    std::shared_ptr<ThreadQueue> queue = std::move(t_holder.queue);
    Teardown(queue);
}

HWND CreateTarget(WndProc proc) {
    if (!proc) return nullptr;
    const DWORD owner = Current().id;
    std::lock_guard<std::mutex> guard(Reg().mutex);
    HWND hwnd = reinterpret_cast<HWND>(Reg().nextHandle++);
    Reg().targets.emplace(hwnd, Target{owner, std::make_shared<WndProc>(std::move(proc))});
    return hwnd;
}

BOOL DestroyTarget(HWND hwnd) {
    std::shared_ptr<WndProc> proc;  // released outside the lock
    DWORD owner = 0;
    {
        std::lock_guard<std::mutex> guard(Reg().mutex);
        auto it = Reg().targets.find(hwnd);
        if (it == Reg().targets.end()) return FALSE;
        owner = it->second.thread;
        proc = std::move(it->second.proc);
        Reg().targets.erase(it);
    }
    if (auto queue = QueueOf(owner)) {
        std::lock_guard<std::mutex> guard(queue->mutex);
        std::erase_if(queue->timers, [hwnd](const Timer& t) { return t.hwnd == hwnd; });
        for (auto it = queue->posted.begin(); it != queue->posted.end();) {
            if (!it->task && it->msg.hwnd == hwnd) {
                it = queue->posted.erase(it);
            } else {
                ++it;
            }
        }
    }
    return TRUE;
}

BOOL IsTarget(HWND hwnd) { return FindTarget(hwnd) ? TRUE : FALSE; }

DWORD GetTargetThreadId(HWND hwnd) {
    auto target = FindTarget(hwnd);
    return target ? target->thread : 0;
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hwnd) return PostThreadMessage(GetCurrentThreadId(), message, wParam, lParam);
    auto target = FindTarget(hwnd);
    if (!target) return FALSE;
    auto queue = QueueOf(target->thread);
    if (!queue) return FALSE;
    return PostTo(*queue, Posted{MSG{hwnd, message, wParam, lParam, GetTickCount()}, {}});
}

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    auto queue = QueueOf(threadId);
    if (!queue) return FALSE;
    return PostTo(*queue, Posted{MSG{nullptr, message, wParam, lParam, GetTickCount()}, {}});
}

BOOL PostTask(DWORD threadId, std::function<void()> task) {
    if (!task) return FALSE;
    auto queue = QueueOf(threadId);
    if (!queue) return FALSE;
    return PostTo(*queue, Posted{MSG{}, std::move(task)});
}

void PostQuitMessage(int exitCode) {
    ThreadQueue& queue = Current();
    {
        std::lock_guard<std::mutex> guard(queue.mutex);
        queue.quit = true;
        queue.quitCode = exitCode;
    }
    queue.Wake();
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto target = FindTarget(hwnd);
    if (!target) return 0;
    const auto keep = CurrentShared();
    ThreadQueue& self = *keep;
    if (target->thread == self.id) return CallTarget(*target, hwnd, message, wParam, lParam);

    auto queue = QueueOf(target->thread);
    if (!queue) return 0;
    auto record = std::make_shared<SentRecord>();
    record->msg = MSG{hwnd, message, wParam, lParam, GetTickCount()};
    record->sender = keep;
    {
        std::lock_guard<std::mutex> guard(queue->mutex);
        if (queue->closed) return 0;
        queue->sent.push_back(record);
    }
    queue->Wake();
    for (;;) {
        self.Drain();
        while (ProcessOneSent(self)) {
        }
        if (record->done.load(std::memory_order_acquire)) return record->result;
        Wait(self, INFINITE, false);
    }
}

BOOL GetMessage(MSG* msg) {
    const auto keep = CurrentShared();
    ThreadQueue& queue = *keep;
    for (;;) {
        queue.Drain();
        switch (Retrieve(queue, msg, true)) {
        case Retrieved::Message:
            return msg->message == WM_QUIT ? FALSE : TRUE;
        case Retrieved::Worked:
            continue;
        case Retrieved::Nothing:
            Wait(queue, INFINITE);
            break;
        }
    }
}

BOOL PeekMessage(MSG* msg, bool remove) {
    const auto keep = CurrentShared();
    ThreadQueue& queue = *keep;
    if (!queue.fds.empty()) Wait(queue, 0);
    for (;;) {
        queue.Drain();
        switch (Retrieve(queue, msg, remove)) {
        case Retrieved::Message:
            return TRUE;
        case Retrieved::Worked:
            continue;
        case Retrieved::Nothing:
            return FALSE;
        }
    }
}

LRESULT DispatchMessage(const MSG& msg) {
    auto target = FindTarget(msg.hwnd);
    if (!target) return 0;
    if (target->thread != Current().id) return SendMessage(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    return CallTarget(*target, msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

bool PumpOneMessage() {
    const auto keep = CurrentShared();
    ThreadQueue& queue = *keep;
    queue.Drain();
    MSG msg;
    switch (Retrieve(queue, &msg, true)) {
    case Retrieved::Message:
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        DispatchMessage(msg);
        return true;
    case Retrieved::Worked:
        return true;
    case Retrieved::Nothing:
        return !queue.fds.empty() && Wait(queue, 0);
    }
    return false;
}

bool WaitMessage(DWORD timeoutMs) {
    const auto keep = CurrentShared();
    ThreadQueue& queue = *keep;
    const std::uint64_t start = NowMs();
    for (;;) {
        queue.Drain();
        MSG msg;
        const Retrieved r = Retrieve(queue, &msg, false);
        if (r == Retrieved::Message) return true;
        if (r == Retrieved::Worked) continue;
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            const std::uint64_t spent = NowMs() - start;
            if (spent >= timeoutMs) return false;
            left = static_cast<DWORD>(timeoutMs - spent);
        }
        Wait(queue, left);
    }
}

int RunMessageLoop(const LoopOptions& options) {
    const auto keep = CurrentShared();
    ThreadQueue& queue = *keep;
    ++t_loopDepth;
    const bool nested = t_loopDepth > 1 || options.done;
    int result = 0;
    bool endedByQuit = false;
    for (;;) {
        if (options.done && options.done()) break;
        queue.Drain();
        MSG msg;
        const Retrieved r = Retrieve(queue, &msg, true);
        if (r == Retrieved::Worked) continue;
        if (r == Retrieved::Nothing) {
            Wait(queue, INFINITE);
            continue;
        }
        if (msg.message == WM_QUIT) {
            result = static_cast<int>(msg.wParam);
            endedByQuit = true;
            if (nested) PostQuitMessage(result);
            break;
        }
        if (!(options.preTranslate && options.preTranslate(msg))) DispatchMessage(msg);
    }
    --t_loopDepth;
    t_lastLoopQuit = endedByQuit;
    return result;
}

bool LastLoopEndedByQuit() { return t_lastLoopQuit; }

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs) {
    auto queue = TimerQueue(hwnd);
    if (!queue) return 0;
    const UINT period = elapseMs < kMinTimerMs ? kMinTimerMs : elapseMs;
    {
        std::lock_guard<std::mutex> guard(queue->mutex);
        if (queue->closed) return 0;
        const std::uint64_t due = NowMs() + period;
        bool replaced = false;
        for (Timer& t : queue->timers) {
            if (t.hwnd == hwnd && t.id == id) {
                t.period = period;
                t.due = due;
                replaced = true;
            }
        }
        if (!replaced) queue->timers.push_back(Timer{hwnd, id, period, due});
    }
    queue->Wake();
    return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    auto queue = TimerQueue(hwnd);
    if (!queue) return FALSE;
    std::lock_guard<std::mutex> guard(queue->mutex);
    const auto removed =
        std::erase_if(queue->timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    return removed ? TRUE : FALSE;
}

void NotifyClockChanged() {
    std::lock_guard<std::mutex> guard(Reg().mutex);
    for (auto& [id, queue] : Reg().queues) queue->Wake();
}

BOOL WatchFd(int fd, unsigned events, FdCallback callback, FdBuffered buffered) {
    if (fd < 0 || !callback) return FALSE;
    ThreadQueue& queue = Current();
    auto shared = std::make_shared<FdCallback>(std::move(callback));
    if (FdWatch* watch = FindWatch(queue, fd)) {
        watch->events = events;
        watch->callback = std::move(shared);
        watch->buffered = std::move(buffered);
    } else {
        queue.fds.push_back(FdWatch{fd, events, std::move(shared), std::move(buffered)});
    }
    return TRUE;
}

BOOL UnwatchFd(int fd) {
    ThreadQueue& queue = Current();
    const auto removed = std::erase_if(queue.fds, [fd](const FdWatch& w) { return w.fd == fd; });
    return removed ? TRUE : FALSE;
}

}  // namespace qv::os
