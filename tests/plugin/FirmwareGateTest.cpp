// Each family's session start against a fake device manager: the frames in
// order with their attempts and time-outs, the needs-upgrade flag, the
// usage report and the events, for the card at start and for arrivals.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/device/Frame.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "plugin/app/AppEvents.h"
#include "plugin/workspace/WorkSpace.h"
#include "tests/support/FakeDeviceMgmt.h"

namespace {

using qv::test::FakeDeviceMgmt;

constexpr const char16_t* kZenkPath = u"\\\\?\\hid#vid_2b53&pid_001d#7&1";
constexpr const char16_t* kDorbPath = u"\\\\?\\hid#vid_2b53&pid_0036#7&1";
constexpr const char16_t* kUpdatePath = u"\\\\?\\hid#vid_2b53&pid_0020#7&1";

// A sent request: command, data byte, attempts, time-out.
struct Sent {
    int command;
    int byte4;
    int attempts;
    int timeoutMs;
    bool operator==(const Sent&) const = default;
};
constexpr Sent kQuery{0x92, 0, 3, 300};
constexpr Sent kInfo{0x26, 0, 4, 500};
constexpr Sent kOpen{0x90, 1, 3, 500};
constexpr Sent kClose{0x90, 0, 3, 500};

std::ostream& operator<<(std::ostream& out, const Sent& s) {
    return out << "{0x" << std::hex << s.command << std::dec << ", " << s.byte4 << ", " << s.attempts << "x"
               << s.timeoutMs << "}";
}

struct GateCase {
    const char* name;
    const FamilyData* family;
    const char16_t* path;
    bool arrival;                      // OnDeviceArrival, else the start with the connected card
    std::optional<int> queryVersion;   // 0x92's answer; none: silent
    std::optional<int> infoVersion;    // 0x26's answer; none: silent
    std::vector<Sent> sent;            // before the parameter sync, which is counted apart
    int syncs;
    int needsUpgrade;
    bool connectedAfter;
    int usageReports;
    int upgradeEvents;
    int deviceChangedEvents;
};

struct CountingSync : IParamSync {
    int calls = 0;
    BOOL SyncParams(BOOL all) override {
        EXPECT_TRUE(all);
        ++calls;
        return 1;
    }
};

struct CountingReport : IUsageReport {
    int posts = 0;
    void PostUsageInfo() override { ++posts; }
};

class FirmwareGate : public ::testing::TestWithParam<GateCase> {
protected:
    void SetUp() override {
        app = std::make_unique<qv::ui::SApplication>(nullptr);
        center = std::make_unique<qv::ui::SNotifyCenter>();
        SubscribeAppEvent<EventNeedUpgradeFirmware>(*center, &FirmwareGate::OnUpgrade, this);
        SubscribeAppEvent<EventDeviceChanged>(*center, &FirmwareGate::OnDeviceChanged, this);
    }
    void TearDown() override {
        while (qv::os::PumpOneMessage()) {
        }
        center.reset();
        app.reset();
        qv::os::DestroyThreadQueue();
    }

    bool OnUpgrade(qv::ui::EventArgs*) {
        // The device changes come after the question, never before it.
        EXPECT_EQ(deviceChangedEvents, 0);
        ++upgradeEvents;
        return true;
    }
    bool OnDeviceChanged(qv::ui::EventArgs*) {
        ++deviceChangedEvents;
        return true;
    }

    std::unique_ptr<qv::ui::SApplication> app;
    std::unique_ptr<qv::ui::SNotifyCenter> center;
    int upgradeEvents = 0;
    int deviceChangedEvents = 0;
};

TEST_P(FirmwareGate, StartsTheSessionAsTheFamilySays) {
    const GateCase& c = GetParam();
    FakeDeviceMgmt manager;
    manager.SetDevicePath(std::u16string(c.path));
    manager.SetResponder([&](const FakeDeviceMgmt::Frame& request, FakeDeviceMgmt::Frame& reply) {
        std::optional<int> version;
        if (request[0] == 0x92) version = c.queryVersion;
        else if (request[0] == 0x26) version = c.infoVersion;
        else return FakeDeviceMgmt::GoodReply(request, reply);
        if (!version) return false;
        FakeDeviceMgmt::GoodReply(request, reply);
        reply[6] = static_cast<std::uint8_t>(*version);
        qv::frame::Seal(reply.data());
        return true;
    });
    CWorkSpace workspace(&manager, *c.family);
    CountingSync sync;
    CountingReport report;
    workspace.SetParamSync(&sync);
    workspace.SetUsageReport(&report);
    ASSERT_TRUE(manager.Connect(nullptr, workspace.AsProtocol()));

    if (c.arrival)
        workspace.OnDeviceArrival(0, c.path);
    else
        workspace.OpenSessionIfNormalMode();
    while (qv::os::PumpOneMessage()) {
    }

    std::vector<Sent> sent;
    for (const auto& r : manager.Requests()) sent.push_back({r.frame[0], r.frame[4], r.attempts, r.timeoutMs});
    EXPECT_EQ(sent, c.sent);
    EXPECT_EQ(sync.calls, c.syncs);
    EXPECT_EQ(workspace.NeedsUpgrade(), c.needsUpgrade);
    EXPECT_EQ(manager.IsConnected() != 0, c.connectedAfter);
    EXPECT_EQ(report.posts, c.usageReports);
    EXPECT_EQ(upgradeEvents, c.upgradeEvents);
    EXPECT_EQ(deviceChangedEvents, c.deviceChangedEvents);
}

const FamilyData* const kZenk = &ZenkFamily();
const FamilyData* const kDorb = &DorbIIFamily();

INSTANTIATE_TEST_SUITE_P(
    Families, FirmwareGate,
    ::testing::Values(
        // The card present at start: no question is asked from here.
        GateCase{"ZenkVersion15", kZenk, kZenkPath, false, 15, 15, {kQuery, kOpen}, 1, 0, true, 1, 0, 0},
        GateCase{"ZenkVersion14", kZenk, kZenkPath, false, 14, 14, {kQuery}, 0, 1, true, 1, 0, 0},
        GateCase{"ZenkOnlyInfoAnswers", kZenk, kZenkPath, false, std::nullopt, 15, {kQuery, kInfo, kOpen}, 1, 0, true,
                 1, 0, 0},
        GateCase{"ZenkSilent", kZenk, kZenkPath, false, std::nullopt, std::nullopt, {kQuery, kInfo, kClose}, 0, 0,
                 false, 0, 0, 0},
        GateCase{"ZenkUpdateModeAtStart", kZenk, kUpdatePath, false, 15, 15, {}, 0, 1, true, 0, 0, 0},
        GateCase{"ZenkIgnoresDorbCard", kZenk, kDorbPath, false, 15, 15, {}, 0, 0, true, 0, 0, 0},
        GateCase{"DorbDirect", kDorb, kDorbPath, false, 14, 14, {kOpen}, 1, 0, true, 1, 0, 0},
        GateCase{"DorbUpdateModeAtStart", kDorb, kUpdatePath, false, 15, 15, {}, 0, 1, true, 0, 0, 0},
        // Arrivals while the program runs.
        GateCase{"ZenkArrivalVersion15", kZenk, kZenkPath, true, 15, 15, {kQuery, kOpen}, 1, 0, true, 1, 0, 1},
        GateCase{"ZenkArrivalVersion14", kZenk, kZenkPath, true, 14, 14, {kQuery}, 0, 1, true, 1, 1, 1},
        GateCase{"ZenkArrivalUpdateMode", kZenk, kUpdatePath, true, 15, 15, {}, 0, 1, true, 0, 1, 0},
        GateCase{"DorbArrivalUpdateModeIgnored", kDorb, kUpdatePath, true, 15, 15, {}, 0, 0, true, 0, 0, 0},
        GateCase{"DorbArrival", kDorb, kDorbPath, true, 15, 15, {kOpen}, 1, 0, true, 1, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
