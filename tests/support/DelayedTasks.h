#pragma once
// Runs tasks after a delay on one thread of its own, in order of their due
// time. The destructor stops the thread without running what is still
// waiting and joins it. Tasks must not destroy their DelayedTasks.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace qv::test {

class DelayedTasks {
public:
    DelayedTasks();
    ~DelayedTasks();
    DelayedTasks(const DelayedTasks&) = delete;
    DelayedTasks& operator=(const DelayedTasks&) = delete;

    void Post(std::uint32_t delayMs, std::function<void()> task);
    // Drops every task not yet started.
    void Clear();

private:
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::multimap<std::uint64_t, std::function<void()>> m_tasks;  // by due time in ms
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace qv::test
