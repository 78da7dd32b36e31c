// firmware_upload: the time per block of a 65536-byte firmware image written
// with CQuorvelProtocol::UpgradeFirmware (2048 blocks of 32 bytes, each
// acknowledged) to the simulated card in update mode over the sim HID
// backend, beside a bare write-and-read of the same block frames over the
// same transport. The ratio is what the protocol and the device manager add.
//
//   firmware_upload [rounds, default 5]
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
#include "plugin/device/QuorvelProtocol.h"
#include "tests/support/SimCard.h"
#include "tests/support/SimCardServer.h"

namespace {

using Clock = std::chrono::steady_clock;
using qv::test::SimCard;
using qv::test::SimCardServer;

constexpr std::size_t kImageBytes = 65536;
constexpr std::size_t kBlockBytes = 32;
constexpr std::size_t kBlocks = kImageBytes / kBlockBytes;
constexpr std::size_t kPartBlocks = 128;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Blocks written as reports and their replies read, without the manager;
// the time of the writes and reads alone.
bool BareUpload(const std::u16string& path, const std::uint8_t* image, std::size_t blocks, double& seconds) {
    auto device = qv::hid::Open(path);
    if (!device) return false;
    const auto start = Clock::now();
    for (std::size_t block = 0; block < blocks; ++block) {
        std::uint8_t report[SimCard::kOutputReportLength] = {};
        std::uint8_t* frame = report + 1;
        frame[0] = 0x28;
        frame[1] = static_cast<std::uint8_t>(block >> 8);
        frame[2] = static_cast<std::uint8_t>(block);
        std::memcpy(frame + 4, image + block * kBlockBytes, kBlockBytes);
        qv::frame::Seal(frame);
        if (!device->WriteReport(report, sizeof report)) return false;
        std::uint8_t input[128];
        do {
            if (device->ReadReport(input, sizeof input, 1000) != qv::hid::ReadStatus::Ok) return false;
        } while (input[1] != 0x29);
    }
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return true;
}

// The same blocks through the device manager: the time of UpgradeFirmware.
bool ProtocolUpload(const std::u16string& path, const std::uint8_t* image, std::size_t blocks, double& seconds) {
    CDeviceManager manager;
    CQuorvelProtocol protocol;
    if (!manager.Connect(new CHidBase(path.c_str()), &protocol)) return false;
    const auto start = Clock::now();
    const bool ok = protocol.UpgradeFirmware(image, static_cast<std::uint32_t>(blocks * kBlockBytes)) != 0;
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    manager.Disconnect();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string socketPath = "/tmp/qv-firmware-upload-" + std::to_string(getpid()) + ".sock";
    setenv("QV_HID_BACKEND", "sim", 1);
    setenv("QV_SIM_SOCKET", socketPath.c_str(), 1);

    SimCard card;
    card.Unplug();
    card.Plug(SimCard::kUpdateProductId);
    SimCardServer server(card);
    if (!server.Start(socketPath)) {
        std::fprintf(stderr, "firmware_upload: cannot serve the card on %s\n", socketPath.c_str());
        return 1;
    }
    const auto found = qv::hid::Enumerate(SimCard::kVendorId, SimCard::kUpdateProductId);
    if (found.empty()) {
        std::fprintf(stderr, "firmware_upload: the simulated card was not found\n");
        return 1;
    }
    const std::u16string path = found[0].path;
    std::vector<std::uint8_t> image(kImageBytes);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 131 + 7);

    // Whole images, a warm-up of each first.
    double seconds = 0;
    bool ok = BareUpload(path, image.data(), kBlocks, seconds) && ProtocolUpload(path, image.data(), kBlocks, seconds);
    std::vector<double> bareWhole, upgradeWhole;
    for (int r = 0; ok && r < rounds; ++r) {
        ok = BareUpload(path, image.data(), kBlocks, seconds);
        bareWhole.push_back(seconds / kBlocks);
        ok = ok && ProtocolUpload(path, image.data(), kBlocks, seconds);
        upgradeWhole.push_back(seconds / kBlocks);
    }
    // The image again in parts that alternate between the two, so that the
    // load of a shared machine falls on both alike; the ratio is taken here.
    std::vector<double> bareParts, upgradeParts;
    for (int r = 0; ok && r < rounds; ++r) {
        for (std::size_t first = 0; ok && first < kBlocks; first += kPartBlocks) {
            ok = BareUpload(path, image.data() + first * kBlockBytes, kPartBlocks, seconds);
            bareParts.push_back(seconds / kPartBlocks);
            ok = ok && ProtocolUpload(path, image.data() + first * kBlockBytes, kPartBlocks, seconds);
            upgradeParts.push_back(seconds / kPartBlocks);
        }
    }
    server.Stop();
    if (!ok) {
        std::fprintf(stderr, "firmware_upload: an upload failed\n");
        return 1;
    }
    std::printf("firmware_upload: %d rounds of %zu blocks (%zu bytes) over the sim HID backend, then the same in parts of %zu blocks\n",
                rounds, kBlocks, kImageBytes, kPartBlocks);
    std::printf("%-28s %16s %16s %14s\n", "", "us/block whole", "us/block parts", "image ms");
    std::printf("%-28s %16.1f %16.1f %14.1f\n", "bare write + read", Median(bareWhole) * 1e6, Median(bareParts) * 1e6,
                Median(bareWhole) * kBlocks * 1e3);
    std::printf("%-28s %16.1f %16.1f %14.1f\n", "UpgradeFirmware", Median(upgradeWhole) * 1e6,
                Median(upgradeParts) * 1e6, Median(upgradeWhole) * kBlocks * 1e3);
    std::printf("ratio UpgradeFirmware / bare: %.2fx per block in parts, %.2fx whole (aim < 1.20x)\n",
                Median(upgradeParts) / Median(bareParts), Median(upgradeWhole) / Median(bareWhole));
    return 0;
}
