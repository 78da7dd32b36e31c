// Parameter sync against the simulated card behind the real device manager:
// the time from a value change to its frame on the card's wire once the send
// throttle lets it through, and the time of a full sync (five frames).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

#include "common/device/DeviceManager.h"
#include "families/FamilyData.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Tick.h"
#include "plugin/workspace/WorkSpace.h"
#include "plugin/workspace/WorkSpaceParams.h"
#include "tests/support/FakeDevice.h"
#include "tests/support/SimCard.h"

namespace {

using Clock = std::chrono::steady_clock;

// The tick clock is stepped past the throttle's interval before each change,
// so every change is sent at once and only the send itself is measured.
class StepClock : public qv::os::IClock {
public:
    std::uint64_t NowMs() override { return now.load(); }
    std::atomic<std::uint64_t> now{1000000};
};

double MedianUs(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

}  // namespace

int main() {
    StepClock tick;
    qv::os::SetClock(&tick);
    qv::test::SimCard card;
    std::atomic<Clock::rep> arrived{0};
    card.SetFrameObserver([&](bool fromHost, const qv::test::SimCard::Frame& frame) {
        if (fromHost && frame[0] == 0x94) arrived = Clock::now().time_since_epoch().count();
    });
    CDeviceManager manager;
    CWorkSpace workspace(&manager, qv::test::SimCard::kDorbProductId);
    CWorkSpaceParams& params = workspace.AttachParamModel(DorbIIFamily(), nullptr);
    auto* fake = new FakeDevice(u"\\\\?\\hid#VID_2B53&PID_0036#7&1");
    fake->SetResponder([&](const std::uint8_t* f, int n) { card.HandleHostFrame(f, n); });
    card.SetReportSink([fake](const std::uint8_t* p, int n) { fake->PushReport(p, n); });
    if (!manager.Connect(fake, workspace.AsProtocol())) {
        std::fprintf(stderr, "the simulated card did not connect\n");
        return 1;
    }

    constexpr int kRounds = 200;
    std::vector<double> changeUs;
    std::vector<double> fullSyncUs;
    for (int i = 0; i < kRounds; ++i) {
        tick.now += 1000;
        const auto start = Clock::now();
        params.WriteParam(8016, i % 2 ? 10 : 20);  // differs from the value before
        const auto end = Clock::time_point(Clock::duration(arrived.load()));
        if (end < start) {
            std::fprintf(stderr, "a change was not sent\n");
            return 1;
        }
        changeUs.push_back(std::chrono::duration<double, std::micro>(end - start).count());

        const auto syncStart = Clock::now();
        if (!params.SyncParams(TRUE)) {
            std::fprintf(stderr, "full sync failed\n");
            return 1;
        }
        fullSyncUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - syncStart).count());
    }
    card.SetReportSink(nullptr);
    manager.Disconnect();
    qv::os::SetClock(nullptr);

    const double change = MedianUs(changeUs);
    const double full = MedianUs(fullSyncUs);
    std::printf("param_sync: %d rounds, medians\n", kRounds);
    std::printf("  value change -> 0x94 frame on the card's wire: %.1f us\n", change);
    std::printf("  full sync (45 parameters, 5 frames acknowledged): %.1f us\n", full);
    std::printf("  full sync / one change: %.2f\n", change > 0 ? full / change : 0.0);
    std::printf("  the throttle adds at most 200 ms to a change made within 200 ms of the last send\n");
    return 0;
}
