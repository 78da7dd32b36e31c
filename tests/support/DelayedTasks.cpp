#include "tests/support/DelayedTasks.h"

#include <chrono>

namespace qv::test {
namespace {

std::uint64_t NowMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

DelayedTasks::DelayedTasks() : m_thread([this] { Run(); }) {}

DelayedTasks::~DelayedTasks() {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void DelayedTasks::Post(std::uint32_t delayMs, std::function<void()> task) {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_tasks.emplace(NowMs() + delayMs, std::move(task));
    }
    m_wake.notify_all();
}

void DelayedTasks::Clear() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_tasks.clear();
}

void DelayedTasks::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        if (m_tasks.empty()) {
            m_wake.wait(lock);
            continue;
        }
        const std::uint64_t due = m_tasks.begin()->first;
        const std::uint64_t now = NowMs();
        if (now < due) {
            m_wake.wait_for(lock, std::chrono::milliseconds(due - now));
            continue;
        }
        auto task = std::move(m_tasks.begin()->second);
        m_tasks.erase(m_tasks.begin());
        lock.unlock();
        task();
        lock.lock();
    }
}

}  // namespace qv::test
