// device_roundtrip: requests per second and the median round trip of
// CDeviceManager::SendAndReceive against the simulated card over the sim HID
// backend, beside a bare write-and-read over the same transport. The ratio
// is the manager's own cost (receive thread hand-over, locks, checks).
//
//   device_roundtrip [requests per round, default 2000] [rounds, default 3]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/device/DeviceManager.h"
#include "common/device/Frame.h"
#include "common/device/HidDevice/HidBase.h"
#include "platform/hid/Hid.h"
#include "tests/support/SimCard.h"
#include "tests/support/SimCardServer.h"
#include "tests/support/TestProtocol.h"

namespace {

using Clock = std::chrono::steady_clock;
using qv::test::SimCard;
using qv::test::SimCardServer;

constexpr std::uint8_t kCommand = 0x26;  // device information: answered in either mode

struct Run {
    std::vector<double> microseconds;  // one per round trip
    double seconds = 0;
    int failures = 0;
};

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

double Median(const std::vector<double>& values) { return Percentile(values, 0.5); }

// Writes one report and reads until the reply to it arrives.
bool BareRoundTrip(qv::hid::IDevice& device, const std::uint8_t* report) {
    if (!device.WriteReport(report, SimCard::kOutputReportLength)) return false;
    std::uint8_t input[128];
    for (;;) {
        if (device.ReadReport(input, sizeof input, 1000) != qv::hid::ReadStatus::Ok) return false;
        if (input[1] == kCommand + 1) return true;
    }
}

bool RunBare(const std::u16string& path, int requests, Run& run) {
    auto device = qv::hid::Open(path);
    if (!device) return false;
    std::uint8_t report[SimCard::kOutputReportLength] = {};
    report[1] = kCommand;
    qv::frame::Seal(report + 1);
    const auto start = Clock::now();
    for (int i = 0; i < requests; ++i) {
        const auto t0 = Clock::now();
        if (!BareRoundTrip(*device, report)) ++run.failures;
        run.microseconds.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    run.seconds += std::chrono::duration<double>(Clock::now() - start).count();
    return true;
}

bool RunManager(CDeviceManager& manager, const std::u16string& path, int requests, Run& run) {
    TestProtocol protocol;
    if (!manager.Connect(new CHidBase(path.c_str()), &protocol)) return false;
    const auto start = Clock::now();
    for (int i = 0; i < requests; ++i) {
        std::uint8_t frame[qv::frame::kBufferSize] = {kCommand};
        std::uint8_t reply[qv::frame::kBufferSize];
        const auto t0 = Clock::now();
        if (!manager.SendAndReceive(frame, reply, 1, 1000)) ++run.failures;
        run.microseconds.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    run.seconds += std::chrono::duration<double>(Clock::now() - start).count();
    manager.Disconnect();
    return true;
}

void PrintRow(const char* name, const Run& run) {
    std::printf("%-24s %12.0f %14.1f %12.1f %10d\n", name, run.microseconds.size() / run.seconds,
                Median(run.microseconds), Percentile(run.microseconds, 0.99), run.failures);
}

}  // namespace

int main(int argc, char** argv) {
    const int requests = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string socketPath = "/tmp/qv-device-roundtrip-" + std::to_string(getpid()) + ".sock";
    setenv("QV_HID_BACKEND", "sim", 1);
    setenv("QV_SIM_SOCKET", socketPath.c_str(), 1);

    SimCard card;
    SimCardServer server(card);
    if (!server.Start(socketPath)) {
        std::fprintf(stderr, "device_roundtrip: cannot serve the card on %s\n", socketPath.c_str());
        return 1;
    }
    const auto found = qv::hid::Enumerate(SimCard::kVendorId, SimCard::kDorbProductId);
    if (found.empty()) {
        std::fprintf(stderr, "device_roundtrip: the simulated card was not found\n");
        return 1;
    }
    const std::u16string path = found[0].path;

    CDeviceManager manager;
    Run warmBare, warmManager, bare, managed;
    // Rounds alternate, so drift on a shared machine falls on both alike.
    bool ok = RunBare(path, requests / 10 + 1, warmBare) &&
              RunManager(manager, path, requests / 10 + 1, warmManager);
    for (int r = 0; ok && r < rounds; ++r)
        ok = RunBare(path, requests, bare) && RunManager(manager, path, requests, managed);
    server.Stop();
    if (!ok) {
        std::fprintf(stderr, "device_roundtrip: could not open or connect the card\n");
        return 1;
    }

    std::printf("device_roundtrip: %d rounds of %d requests (command 0x%02X) over the sim HID backend\n",
                rounds, requests, kCommand);
    std::printf("%-24s %12s %14s %12s %10s\n", "", "requests/s", "median us", "p99 us",
                "failures");
    PrintRow("bare write + read", bare);
    PrintRow("SendAndReceive", managed);
    const double medianRatio = Median(managed.microseconds) / Median(bare.microseconds);
    const double throughputRatio =
        (bare.microseconds.size() / bare.seconds) / (managed.microseconds.size() / managed.seconds);
    std::printf("ratio manager / bare: median round trip %.2fx, time per request %.2fx (aim < 1.20x)\n",
                medianRatio, throughputRatio);
    return bare.failures + managed.failures == 0 ? 0 : 1;
}
