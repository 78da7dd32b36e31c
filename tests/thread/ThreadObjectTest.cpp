#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/thread/ThreadObject.h"
#include "platform/os/Event.h"
#include "platform/os/Log.h"
#include "platform/os/Tick.h"

namespace {

// A thread whose body is a test lambda. It stops in its own destructor, as
// every subclass whose body uses its members must.
class LambdaThread : public CThreadObject {
public:
    explicit LambdaThread(std::function<int(LambdaThread&)> body) : m_body(std::move(body)) {}
    ~LambdaThread() override { Stop(5000); }

protected:
    int Run() override { return m_body(*this); }

private:
    std::function<int(LambdaThread&)> m_body;
};

int RunUntilStopRequested(LambdaThread& self) {
    while (!self.IsStopRequested()) qv::os::SleepMs(1);
    return 0;
}

// Collects error lines and runs a callback on each, on the logging thread.
struct LogProbe : qv::os::ILogSink {
    std::function<void(const std::string&)> onLine;
    std::mutex mutex;
    std::vector<std::string> lines;
    LogProbe() { qv::os::SetLogSink(this); }
    ~LogProbe() override { qv::os::SetLogSink(nullptr); }
    bool IsEnabled(int, int level) override { return level >= qv::os::kLogError; }
    void Push(int, const qv::os::LogRecord& record) override {
        {
            std::lock_guard<std::mutex> guard(mutex);
            lines.push_back(record.text);
        }
        if (onLine) onLine(record.text);
    }
};

TEST(ThreadObject, StartRunsTheBodyAndStopEndsIt) {
    LambdaThread thread(RunUntilStopRequested);
    EXPECT_EQ(thread.IsRunning(), 0);
    ASSERT_EQ(thread.Start(), 1);
    EXPECT_EQ(thread.IsRunning(), 1);
    EXPECT_EQ(thread.Start(), 0) << "a second Start while the body runs is refused";
    EXPECT_EQ(thread.IsRunning(), 1);
    EXPECT_EQ(thread.Stop(1000), 1);
    EXPECT_EQ(thread.IsRunning(), 0);
}

TEST(ThreadObject, StopOnANeverStartedThreadChangesNothing) {
    LambdaThread thread(RunUntilStopRequested);
    EXPECT_EQ(thread.Stop(100), 1);
    EXPECT_EQ(thread.IsRunning(), 0);
    EXPECT_EQ(thread.IsStopRequested(), 0);
    EXPECT_EQ(thread.Start(), 1);
}

TEST(ThreadObject, ABodyThatEndsAtOnceNeverHangsStartAndCanRunAgain) {
    std::atomic<int> runs{0};
    LambdaThread thread([&](LambdaThread&) { return ++runs; });
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(thread.Start(), 1);
        EXPECT_EQ(thread.Stop(1000), 1);
        EXPECT_EQ(thread.IsRunning(), 0);
    }
    EXPECT_EQ(runs.load(), 100);
    // Started again without a Stop in between: the finished thread is joined.
    for (int i = 0; i < 20; ++i) {
        while (thread.IsRunning()) std::this_thread::yield();
        ASSERT_EQ(thread.Start(), 1);
    }
    thread.Stop(1000);
    EXPECT_EQ(runs.load(), 120);
}

TEST(ThreadObject, AStopRequestDoesNotCarryIntoTheNextRun) {
    std::atomic<int> stopSeenAtStart{-1};
    qv::os::Event entered(true, false);
    LambdaThread thread([&](LambdaThread& self) {
        stopSeenAtStart = self.IsStopRequested();
        entered.Set();
        return RunUntilStopRequested(self);
    });
    ASSERT_EQ(thread.Start(), 1);
    ASSERT_EQ(entered.Wait(5000), qv::os::WaitResult::Signalled);
    thread.Stop(1000);
    EXPECT_EQ(thread.IsStopRequested(), 1);
    entered.Reset();
    ASSERT_EQ(thread.Start(), 1);
    EXPECT_EQ(thread.IsStopRequested(), 0);
    ASSERT_EQ(entered.Wait(5000), qv::os::WaitResult::Signalled);
    EXPECT_EQ(stopSeenAtStart.load(), 0);
}

TEST(ThreadObject, StopWaitsForASlowBodyInsteadOfKillingIt) {
    qv::os::Event release(true, false);
    std::atomic<bool> finishedCleanly{false};
    LambdaThread thread([&](LambdaThread&) {
        (void)release.Wait(INFINITE);  // ignores the stop request until released
        finishedCleanly = true;
        return 0;
    });
    LogProbe log;
    log.onLine = [&](const std::string&) { release.Set(); };

    ASSERT_EQ(thread.Start(), 1);
    EXPECT_EQ(thread.Stop(20), 1);
    EXPECT_TRUE(finishedCleanly.load()) << "Stop returned before the body ended";
    EXPECT_EQ(thread.IsRunning(), 0);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("still runs 20 ms"), std::string::npos);
}

// A body may delete its own object (the host's plug-in thread does).
class SelfDeletingThread : public CThreadObject {
public:
    explicit SelfDeletingThread(std::shared_ptr<qv::os::Event> done) : m_done(std::move(done)) {}

protected:
    int Run() override {
        std::shared_ptr<qv::os::Event> done = m_done;
        delete this;
        done->Set();
        return 0;
    }

private:
    std::shared_ptr<qv::os::Event> m_done;
};

TEST(ThreadObject, ABodyMayDeleteItsOwnObject) {
    auto done = std::make_shared<qv::os::Event>(true, false);
    auto* thread = new SelfDeletingThread(done);
    ASSERT_EQ(thread->Start(), 1);
    EXPECT_EQ(done->Wait(5000), qv::os::WaitResult::Signalled);
}

TEST(ThreadObject, DestructorStopsARunningBody) {
    std::atomic<bool> ended{false};
    {
        LambdaThread thread([&](LambdaThread& self) {
            RunUntilStopRequested(self);
            ended = true;
            return 0;
        });
        ASSERT_EQ(thread.Start(), 1);
    }
    EXPECT_TRUE(ended.load());
}

}  // namespace
