#include "host/ModuleLoop.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/os/Tick.h"

namespace {

// Each started "plug-in" runs a script on a thread of its own, counted in the
// live-thread counter like the real plug-in thread.
class ScriptedSeams : public IModuleLoopSeams {
public:
    using Script = std::function<void(ModuleLoop& loop)>;

    ScriptedSeams(qv::os::InterlockedCounter& live) : m_live(live) {}
    ~ScriptedSeams() override {
        for (auto& t : m_threads) t.join();
    }

    std::u16string ReadLastPluginFile() override { return lastFile; }
    bool IsCardPresent(const DeviceRow& row) override { return present.count(row.productId) > 0; }
    bool StartPluginThread(const std::u16string& commandLine, const char16_t* file) override {
        std::lock_guard<std::mutex> guard(m_mutex);
        liveAtStart.push_back(m_live.Get());
        started.emplace_back(file);
        EXPECT_EQ(commandLine, u"--cmd");
        if (failStart) return false;
        Script script = scripts.empty() ? Script([](ModuleLoop& l) { l.Wake(); }) : scripts.front();
        if (!scripts.empty()) scripts.erase(scripts.begin());
        m_live.Increment();
        m_threads.emplace_back([this, script] {
            script(*loop);
            m_live.Decrement();
        });
        return true;
    }

    ModuleLoop* loop = nullptr;
    std::u16string lastFile;
    std::set<std::uint16_t> present;
    std::vector<Script> scripts;
    std::vector<std::u16string> started;
    std::vector<long> liveAtStart;
    bool failStart = false;

private:
    qv::os::InterlockedCounter& m_live;
    std::mutex m_mutex;
    std::vector<std::thread> m_threads;
};

class ModuleLoopTest : public ::testing::Test {
protected:
    int Run() {
        const int result = loop.Run(u"--cmd");
        EXPECT_EQ(live.Get(), 0);
        return result;
    }

    qv::os::InterlockedCounter live;
    ScriptedSeams seams{live};
    ModuleLoop loop{seams, live};
    void SetUp() override { seams.loop = &loop; }
};

TEST_F(ModuleLoopTest, PluginEndingWithoutSwitchEndsLoop) {
    seams.present = {0x0036};
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(seams.started, std::vector<std::u16string>{u"dorbII.so"});
    EXPECT_EQ(std::u16string(loop.CurrentPluginFile()), u"dorbII.so");
}

TEST_F(ModuleLoopTest, StartsRequestedPluginAfterPreviousThreadEnded) {
    seams.lastFile = u"dorbIV.so";
    seams.scripts.push_back([](ModuleLoop& l) {
        l.RequestSwitch(kDeviceTable[0]);
        l.Wake();
        // Still unloading after the wake: the next start must wait.
        qv::os::SleepMs(100);
    });
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(seams.started, (std::vector<std::u16string>{u"dorbII.so", u"zenk.so"}));
    EXPECT_EQ(seams.liveAtStart, (std::vector<long>{0, 0}));
    EXPECT_EQ(std::u16string(loop.CurrentPluginFile()), u"zenk.so");
}

TEST_F(ModuleLoopTest, SwitchRequestedRightAfterStartIsKept) {
    seams.scripts.push_back([](ModuleLoop& l) {
        l.RequestSwitch(kDeviceTable[2]);
        l.Wake();
    });
    seams.scripts.push_back([](ModuleLoop& l) {
        l.RequestSwitch(kDeviceTable[0]);
        l.Wake();
    });
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(seams.started,
              (std::vector<std::u16string>{u"zenk.so", u"dorbII.so", u"zenk.so"}));
}

TEST_F(ModuleLoopTest, AnEndRequestStartsNothingMoreAndKeepsTheLastStartedFile) {
    seams.scripts.push_back([](ModuleLoop& l) {
        l.RequestSwitch(kDeviceTable[2]);  // a switch on its way when the end comes
        l.RequestEnd();
        l.RequestSwitch(kDeviceTable[2]);  // and one after it
        l.Wake();
    });
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(seams.started, std::vector<std::u16string>{u"zenk.so"});
    EXPECT_EQ(std::u16string(loop.CurrentPluginFile()), u"zenk.so");
}

TEST_F(ModuleLoopTest, ThreadThatCannotStartEndsLoop) {
    seams.failStart = true;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(seams.started, std::vector<std::u16string>{u"zenk.so"});
}

TEST_F(ModuleLoopTest, LoopWaitsForLastPluginThreadBeforeReturning) {
    std::atomic<bool> finished{false};
    seams.scripts.push_back([&finished](ModuleLoop& l) {
        l.Wake();
        qv::os::SleepMs(100);
        finished = true;
    });
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(finished.load());
}

TEST_F(ModuleLoopTest, StaleWakeBeforeStartIsDropped) {
    loop.Wake();
    std::atomic<bool> woke{false};
    seams.scripts.push_back([&woke](ModuleLoop& l) {
        qv::os::SleepMs(50);
        woke = true;
        l.Wake();
    });
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(woke.load());
}

}  // namespace
