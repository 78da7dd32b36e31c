#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/os/ActivationChannel.h"
#include "platform/os/InstanceLock.h"
#include "platform/os/MessageQueue.h"
#include "tests/osx/ChildProcess.h"

namespace {
using namespace qv::os;
namespace fs = std::filesystem;

constexpr char16_t kLockName[] = u"{F0ACB48A-139E-4239-8144-AB9B043723BC}";
constexpr char16_t kClass[] = u"{217984E9-C0EC-44B9-BF57-0800EC42972D}";

// Gives each test its own runtime folder (inherited by the children).
class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-runtime-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);  // made 0700
        m_dir = pattern;
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        if (old) m_old = old;
        setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
    }
    void TearDown() override {
        if (m_old.empty())
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", m_old.c_str(), 1);
        fs::remove_all(m_dir);
    }
    std::string m_dir;
    std::string m_old;
};

TEST_F(SingleInstance, LockIsExclusiveUntilTheHolderEnds) {
    InstanceLock mine(kLockName);
    EXPECT_EQ(mine.LockPath(), m_dir + "/{F0ACB48A-139E-4239-8144-AB9B043723BC}.lock");
    {
        ChildProcess holder({"lock", "{F0ACB48A-139E-4239-8144-AB9B043723BC}"});
        ASSERT_EQ(holder.ReadLine(), "1");
        EXPECT_FALSE(mine.TryAcquire());
        holder.Kill();  // a holder that dies releases the lock
        holder.Wait();
    }
    EXPECT_TRUE(fs::exists(mine.LockPath()));  // and leaves its file, which is taken over
    ASSERT_TRUE(mine.TryAcquire());
    EXPECT_TRUE(mine.TryAcquire());  // holding it already
    {
        ChildProcess second({"lock", "{F0ACB48A-139E-4239-8144-AB9B043723BC}"});
        EXPECT_EQ(second.ReadLine(), "0");
    }
    InstanceLock sameProcess(kLockName);
    EXPECT_FALSE(sameProcess.TryAcquire());
    mine.Release();
    EXPECT_FALSE(fs::exists(mine.LockPath()));  // a holder that ends removes its file
    EXPECT_TRUE(sameProcess.TryAcquire());
    sameProcess.Release();
    EXPECT_TRUE(fs::is_empty(m_dir));
}

TEST_F(SingleInstance, ActivationReachesTheTargetOnItsThread) {
    std::vector<std::tuple<UINT, WPARAM, LPARAM, DWORD>> received;
    HWND hidden = CreateTarget([&](HWND, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        received.emplace_back(m, w, l, GetCurrentThreadId());
        return 77;
    });
    ActivationReceiver receiver;
    ASSERT_TRUE(receiver.Open(kClass, hidden));
    EXPECT_TRUE(fs::exists(ActivationSocketPath(kClass)));

    ChildProcess second({"activate", "{217984E9-C0EC-44B9-BF57-0800EC42972D}", "0x465", "5", "0"});
    RunMessageLoop({[&] { return !received.empty(); }, {}});
    EXPECT_EQ(second.ReadLine(), "77");
    EXPECT_EQ(second.ExitCode(), 0);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], std::make_tuple(0x465u, WPARAM{5}, LPARAM{0}, GetCurrentThreadId()));

    // A second receiver of the same class is refused while the first lives.
    ActivationReceiver rival;
    EXPECT_FALSE(rival.Open(kClass, hidden));

    receiver.Close();
    EXPECT_FALSE(fs::exists(ActivationSocketPath(kClass)));
    ChildProcess nobody({"activate", "{217984E9-C0EC-44B9-BF57-0800EC42972D}", "0x465", "5", "0"});
    EXPECT_EQ(nobody.ExitCode(), 1);
    DestroyTarget(hidden);
}

TEST_F(SingleInstance, AFolderOpenToOthersIsNeverTakenForALock) {
    ASSERT_EQ(chmod(m_dir.c_str(), 0777), 0);
    InstanceLock lock(kLockName);
    EXPECT_EQ(lock.Acquire(), InstanceLock::Result::Unusable);
    EXPECT_NE(lock.Problem().find(m_dir + " is open to other users (mode 0777)"), std::string::npos)
        << lock.Problem();
    HWND hidden = CreateTarget([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
    ActivationReceiver receiver;
    EXPECT_FALSE(receiver.Open(kClass, hidden));
    DestroyTarget(hidden);
    EXPECT_TRUE(fs::is_empty(m_dir));
    ASSERT_EQ(chmod(m_dir.c_str(), 0700), 0);
    EXPECT_EQ(lock.Acquire(), InstanceLock::Result::Unusable);  // decided when made
    InstanceLock later(kLockName);
    EXPECT_EQ(later.Acquire(), InstanceLock::Result::Acquired);
}

TEST_F(SingleInstance, TheChannelTakesOnlyTheActivationMessage) {
    std::vector<UINT> received;
    HWND hidden = CreateTarget([&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
        received.push_back(m);
        return 1;
    });
    ActivationReceiver receiver;
    ASSERT_TRUE(receiver.Open(kClass, hidden));
    for (const char* message : {"0x10", "0x12", "0x464", "0x8465"}) {
        ChildProcess other({"activate", "{217984E9-C0EC-44B9-BF57-0800EC42972D}", message, "5", "0"});
        while (!other.Exited()) WaitMessage(10);
        EXPECT_EQ(other.ExitCode(), 1) << message;
    }
    ChildProcess activation({"activate", "{217984E9-C0EC-44B9-BF57-0800EC42972D}", "0x465", "5", "0"});
    while (!activation.Exited()) WaitMessage(10);
    EXPECT_EQ(activation.ExitCode(), 0);
    EXPECT_EQ(received, std::vector<UINT>{0x465});
    receiver.Close();
    DestroyTarget(hidden);
}

TEST_F(SingleInstance, StaleSocketOfADeadOwnerIsReplaced) {
    const std::string path = ActivationSocketPath(kClass);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);  // the file stays, nobody listens

    HWND hidden = CreateTarget([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
    ActivationReceiver receiver;
    EXPECT_TRUE(receiver.Open(kClass, hidden));
    LRESULT result = 0;
    // Nobody pumps this thread: the client gives up after its time-out.
    EXPECT_FALSE(SendToWindowOfClass(kClass, 0x465, 5, 0, &result, 50));
    receiver.Close();
    DestroyTarget(hidden);
}

}  // namespace
