// The workspace's session with the card against a fake device manager.
#include <gtest/gtest.h>

#include <vector>

#include "platform/os/MessageQueue.h"
#include "plugin/workspace/WorkSpace.h"
#include "tests/support/FakeDeviceMgmt.h"

namespace {

using qv::test::FakeDeviceMgmt;

constexpr const char16_t* kNormalPath = u"\\\\?\\hid#vid_2b53&pid_0036#7&1";
constexpr const char16_t* kUpdatePath = u"\\\\?\\hid#vid_2b53&pid_0020#7&1";
constexpr const char16_t* kForeignPath = u"\\\\?\\hid#vid_1234&pid_0036#7&1";

struct RecordingSync : IParamSync {
    std::vector<std::size_t> requestsSeen;  // manager requests at each sync
    FakeDeviceMgmt* manager = nullptr;
    BOOL result = 1;
    BOOL SyncParams(BOOL all) override {
        EXPECT_TRUE(all);
        requestsSeen.push_back(manager->Requests().size());
        return result;
    }
};

class WorkSpaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager.SetResponder(FakeDeviceMgmt::GoodReply);
        sync.manager = &manager;
        workspace.SetParamSync(&sync);
    }
    void TearDown() override { qv::os::DestroyThreadQueue(); }

    void ExpectSessionFlag(std::size_t index, std::uint8_t open) {
        const auto requests = manager.Requests();
        ASSERT_GT(requests.size(), index);
        EXPECT_EQ(requests[index].frame[0], 0x90);
        EXPECT_EQ(requests[index].frame[4], open);
        EXPECT_EQ(requests[index].attempts, 3);
        EXPECT_EQ(requests[index].timeoutMs, 500);
    }

    FakeDeviceMgmt manager;
    RecordingSync sync;
    CWorkSpace workspace{&manager, 0x0036};
};

TEST_F(WorkSpaceTest, OpenSessionSendsTheFlagThenSyncs) {
    ASSERT_TRUE(manager.Connect(nullptr, workspace.AsProtocol()));
    EXPECT_EQ(workspace.OpenSession(), 1);
    ExpectSessionFlag(0, 1);
    EXPECT_EQ(sync.requestsSeen, std::vector<std::size_t>{1});

    // A failed flag does not stop the sync; the sync's result is the result.
    manager.ClearRecords();
    manager.SetResponder([](const auto&, auto&) { return false; });
    sync.result = 0;
    EXPECT_EQ(workspace.OpenSession(), 0);
    EXPECT_EQ(sync.requestsSeen.size(), 2u);
}

TEST_F(WorkSpaceTest, SessionWithoutCardOrModel) {
    // No card: nothing is sent, the sync still runs.
    EXPECT_EQ(workspace.OpenSession(), 1);
    EXPECT_TRUE(manager.Requests().empty());
    EXPECT_EQ(workspace.CloseSession(), 0);
    EXPECT_TRUE(manager.Requests().empty());

    // No parameter model: the session opens but reports 0.
    workspace.SetParamSync(nullptr);
    ASSERT_TRUE(manager.Connect(nullptr, workspace.AsProtocol()));
    EXPECT_EQ(workspace.OpenSession(), 0);
    ExpectSessionFlag(0, 1);
}

TEST_F(WorkSpaceTest, CloseSessionSendsTheClosingFlag) {
    ASSERT_TRUE(manager.Connect(nullptr, workspace.AsProtocol()));
    EXPECT_EQ(workspace.CloseSession(), 1);
    ExpectSessionFlag(0, 0);
    manager.SetResponder([](const auto&, auto&) { return false; });
    EXPECT_EQ(workspace.CloseSession(), 0);
}

TEST_F(WorkSpaceTest, ArrivalOpensASessionOnlyForTheFamilysNormalMode) {
    ASSERT_TRUE(manager.Connect(nullptr, workspace.AsProtocol()));
    for (const char16_t* path : {kUpdatePath, kForeignPath, u"no ids here", static_cast<const char16_t*>(nullptr)}) {
        workspace.OnDeviceArrival(0, path);
    }
    workspace.OnDeviceArrival(1, kNormalPath);  // removal never opens one
    EXPECT_TRUE(manager.Requests().empty());
    EXPECT_TRUE(sync.requestsSeen.empty());

    workspace.OnDeviceArrival(0, kNormalPath);
    ExpectSessionFlag(0, 1);
    EXPECT_EQ(sync.requestsSeen.size(), 1u);

    CWorkSpace zenk(&manager, 0x001D);
    zenk.OnDeviceArrival(0, kNormalPath);
    EXPECT_EQ(manager.Requests().size(), 1u);
}

TEST_F(WorkSpaceTest, DisconnectClearsUpdateMode) {
    ASSERT_TRUE(manager.Connect(nullptr, workspace.AsProtocol()));
    workspace.SetNeedsUpgrade(1);
    EXPECT_TRUE(workspace.IsDeviceConnected());
    workspace.DisconnectDevice();
    EXPECT_FALSE(workspace.IsDeviceConnected());
    EXPECT_EQ(workspace.NeedsUpgrade(), 0);
    EXPECT_FALSE(workspace.Protocol().IsAttached());
}

TEST(WorkSpaceLifetime, GoingWorkspaceDisconnectsTheManagerOnlyWhenItIsTheProtocol) {
    FakeDeviceMgmt manager;
    {
        CWorkSpace workspace(&manager, 0x0036);
        ASSERT_TRUE(manager.Connect(nullptr, workspace.AsProtocol()));
    }
    EXPECT_FALSE(manager.IsConnected());

    CWorkSpace other(&manager, 0x0036);
    ASSERT_TRUE(manager.Connect(nullptr, other.AsProtocol()));
    { CWorkSpace unrelated(&manager, 0x0036); }
    EXPECT_TRUE(manager.IsConnected());
    EXPECT_TRUE(other.Protocol().IsAttached());
    qv::os::DestroyThreadQueue();
}

}  // namespace
