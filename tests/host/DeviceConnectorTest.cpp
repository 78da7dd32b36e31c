#include "host/DeviceConnector.h"

#include <gtest/gtest.h>

#include "tests/host/HostFakes.h"

namespace {

using ::testing::_;
using ::testing::NiceMock;
using ::testing::Return;


const std::u16string kDorbPath = u"/dev/hidraw3#VID_2B53&PID_0036#0";
const std::u16string kZenkPath = u"/dev/hidraw4#VID_2B53&PID_001D#0";
const std::u16string kUpdatePath = u"/dev/hidraw5#VID_2B53&PID_0020#0";
ICommProtocol* const kProtocol = reinterpret_cast<ICommProtocol*>(0x1000);

class DeviceConnectorTest : public ::testing::Test {
protected:
    void RunAs(std::uint32_t model) {
        ON_CALL(client, GetModelId()).WillByDefault(Return(model));
        ON_CALL(client, GetProtocol()).WillByDefault(Return(kProtocol));
    }
    void Arrive(const std::u16string& path) { connector.OnPnpNotification(&client, 0, path.c_str()); }
    void Remove(const std::u16string& path) { connector.OnPnpNotification(&client, 1, path.c_str()); }

    FakeDeviceSource source;
    FakeManager manager;
    std::vector<const DeviceRow*> switches;
    DeviceConnector connector{source, &manager,
                              [this](const DeviceRow& row) { switches.push_back(&row); }};
    NiceMock<MockClient> client;
};

TEST_F(DeviceConnectorTest, ConnectsFirstCardOfClientsModel) {
    RunAs(kModelDorbII);
    source.cards[0x0036] = {kDorbPath, u"/dev/hidraw9#VID_2B53&PID_0036#1"};
    source.cards[0x001D] = {kZenkPath};
    EXPECT_EQ(connector.ConnectDevice(&client), 1);
    EXPECT_EQ(source.created, std::vector<std::u16string>{kDorbPath});
    EXPECT_EQ(manager.lastProtocol, kProtocol);
    EXPECT_EQ(connector.ConnectedRow(), FindDeviceRow(0x2B53, 0x0036));
}

TEST_F(DeviceConnectorTest, ConnectWithoutCardOfModelChangesNothing) {
    RunAs(kModelDorbII);
    source.cards[0x001D] = {kZenkPath};
    EXPECT_EQ(connector.ConnectDevice(&client), 0);
    EXPECT_TRUE(source.created.empty());
    EXPECT_EQ(connector.ConnectedRow(), nullptr);
}

TEST_F(DeviceConnectorTest, ConnectFailureIsZeroAndDeviceNotLeaked) {
    RunAs(kModelZenk);
    source.cards[0x001D] = {kZenkPath};
    source.opens = false;
    EXPECT_EQ(connector.ConnectDevice(&client), 0);
    EXPECT_EQ(connector.ConnectedRow(), nullptr);
    manager.Disconnect();
    EXPECT_EQ(source.liveDevices, 0);
}

TEST_F(DeviceConnectorTest, EitherFamilyConnectsUpdateModeCard) {
    RunAs(kModelDorbII);
    source.cards[kUpdateModeProductId] = {kUpdatePath};
    EXPECT_EQ(connector.ConnectDevice(&client), 1);
    EXPECT_EQ(source.created, std::vector<std::u16string>{kUpdatePath});

    manager.Disconnect();
    source.created.clear();
    RunAs(kModelZenk);
    EXPECT_EQ(connector.ConnectDevice(&client), 1);
    EXPECT_EQ(source.created, std::vector<std::u16string>{kUpdatePath});
}

TEST_F(DeviceConnectorTest, OwnNormalCardBeforeUpdateModeCard) {
    RunAs(kModelDorbII);
    source.cards[kUpdateModeProductId] = {kUpdatePath};
    source.cards[0x0036] = {kDorbPath};
    EXPECT_EQ(connector.ConnectDevice(&client), 1);
    EXPECT_EQ(source.created, std::vector<std::u16string>{kDorbPath});
}

TEST_F(DeviceConnectorTest, ArrivalOfSameFamilyConnectsAndTellsClient) {
    RunAs(kModelDorbII);
    EXPECT_CALL(client, OnDevicePnp(0, U16Eq(kDorbPath)));
    EXPECT_CALL(client, Quit()).Times(0);
    Arrive(kDorbPath);
    EXPECT_TRUE(manager.IsConnected());
    EXPECT_EQ(connector.ConnectedRow(), FindDeviceRow(0x2B53, 0x0036));
    EXPECT_TRUE(switches.empty());
}

TEST_F(DeviceConnectorTest, ArrivalOfSameFamilyThatFailsToOpenIsNotReported) {
    RunAs(kModelDorbII);
    source.opens = false;
    EXPECT_CALL(client, OnDevicePnp(_, _)).Times(0);
    Arrive(kDorbPath);
    EXPECT_EQ(connector.ConnectedRow(), nullptr);
}

TEST_F(DeviceConnectorTest, ArrivalOfOtherFamilyRequestsSwitchThenQuit) {
    RunAs(kModelDorbII);
    ::testing::InSequence order;
    EXPECT_CALL(client, Quit()).WillOnce([this] { EXPECT_EQ(switches.size(), 1u); });
    Arrive(kZenkPath);
    ASSERT_EQ(switches.size(), 1u);
    EXPECT_EQ(switches[0], FindDeviceRow(0x2B53, 0x001D));
    EXPECT_TRUE(source.created.empty());
}

TEST_F(DeviceConnectorTest, ArrivalWhileConnectedIsIgnored) {
    RunAs(kModelDorbII);
    Arrive(kDorbPath);
    EXPECT_CALL(client, Quit()).Times(0);
    EXPECT_CALL(client, OnDevicePnp(_, _)).Times(0);
    Arrive(kZenkPath);
    Arrive(u"/dev/hidraw8#VID_2B53&PID_0036#1");
    EXPECT_TRUE(switches.empty());
    EXPECT_EQ(manager.connects, 1);
}

TEST_F(DeviceConnectorTest, UpdateModeArrivalGoesToRunningPlugin) {
    RunAs(kModelDorbII);
    EXPECT_CALL(client, Quit()).Times(0);
    EXPECT_CALL(client, OnDevicePnp(0, U16Eq(kUpdatePath)));
    Arrive(kUpdatePath);
    EXPECT_TRUE(switches.empty());
    EXPECT_TRUE(manager.IsConnected());
}

TEST_F(DeviceConnectorTest, UnknownOrMalformedArrivalIsIgnored) {
    RunAs(kModelDorbII);
    EXPECT_CALL(client, Quit()).Times(0);
    EXPECT_CALL(client, OnDevicePnp(_, _)).Times(0);
    Arrive(u"/dev/hidraw1#VID_046D&PID_C52B#0");
    Arrive(u"/dev/hidraw1#VID_2B53");
    Arrive(u"no ids here");
    EXPECT_TRUE(source.created.empty());
}

TEST_F(DeviceConnectorTest, RemovalOfConnectedCardIgnoresCase) {
    RunAs(kModelDorbII);
    Arrive(kDorbPath);
    const std::u16string lower = u"/dev/hidraw3#vid_2b53&pid_0036#0";
    EXPECT_CALL(client, OnDevicePnp(1, U16Eq(lower)));
    Remove(lower);
    EXPECT_FALSE(manager.IsConnected());
    EXPECT_EQ(manager.disconnects, 1);
    EXPECT_EQ(connector.ConnectedRow(), nullptr);
    EXPECT_EQ(source.liveDevices, 0);
}

TEST_F(DeviceConnectorTest, RemovalOfAnotherPathLeavesConnection) {
    RunAs(kModelDorbII);
    Arrive(kDorbPath);
    EXPECT_CALL(client, OnDevicePnp(1, _)).Times(0);
    Remove(u"/dev/hidraw8#VID_2B53&PID_0036#1");
    Remove(kZenkPath);
    EXPECT_TRUE(manager.IsConnected());
    EXPECT_EQ(manager.disconnects, 0);
}

TEST_F(DeviceConnectorTest, RemovalWithoutConnectionIsIgnored) {
    RunAs(kModelDorbII);
    EXPECT_CALL(client, OnDevicePnp(_, _)).Times(0);
    Remove(kDorbPath);
    EXPECT_EQ(manager.disconnects, 0);
}

TEST_F(DeviceConnectorTest, NothingHappensWithoutClient) {
    connector.OnPnpNotification(nullptr, 0, kZenkPath.c_str());
    connector.OnPnpNotification(nullptr, 1, kZenkPath.c_str());
    EXPECT_EQ(connector.ConnectDevice(nullptr), 0);
    EXPECT_TRUE(switches.empty());
    EXPECT_EQ(manager.connects, 0);
}

TEST_F(DeviceConnectorTest, NothingHappensWithoutManager) {
    RunAs(kModelDorbII);
    DeviceConnector bare(source, nullptr, [this](const DeviceRow& row) { switches.push_back(&row); });
    EXPECT_CALL(client, Quit()).Times(0);
    bare.OnPnpNotification(&client, 0, kZenkPath.c_str());
    source.cards[0x0036] = {kDorbPath};
    EXPECT_EQ(bare.ConnectDevice(&client), 0);
    EXPECT_TRUE(switches.empty());
}

}  // namespace
