// sound_upload: a 35 s sound of 44.1 kHz sent into key 1 (3,087,044 bytes,
// 96,471 blocks) of the simulated card over the sim HID backend, three ways:
//  1. its decoding (CLibmadDecoder, from a stereo MP3) and conversion
//     (ConvertForDevice);
//  2. the upload thread (UploadJob through the device manager, its window
//     pumped on this thread) beside a bare write and read of the same frames
//     over the same transport, whole and in alternating parts: the cost per
//     block the upload adds;
//  3. with the card at USB pace (each report waits for the next 1 ms
//     interval), the whole upload beside the same number of bare timed round
//     trips.
//
//   sound_upload [rounds, default 3] [blocks at USB pace, default 96471]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/device/DeviceManager.h"
#include "common/device/Frame.h"
#include "common/device/HidDevice/HidBase.h"
#include "platform/hid/Hid.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Utf.h"
#include "platform/ui/SNotifyCenter.h"
#include "plugin/app/AppEvents.h"
#include "plugin/device/QuorvelProtocol.h"
#include "plugin/upload/CLibmadDecoder.h"
#include "plugin/upload/ConvertForDevice.h"
#include "plugin/upload/UploadFrames.h"
#include "plugin/upload/UploadJob.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/SimCard.h"
#include "tests/support/SimCardServer.h"

namespace {

using Clock = std::chrono::steady_clock;
using qv::test::SimCard;
using qv::test::SimCardServer;

constexpr std::size_t kPartBlocks = 4096;
constexpr std::size_t kUsbPartBlocks = 8192;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Decodes the MP3 file as the send window does and converts the result for
// key 1; the time of each.
bool DecodeAndConvert(const std::string& mp3, std::vector<std::uint8_t>& image, double& decodeSeconds,
                      double& convertSeconds) {
    qv::ui::SNotifyCenter center;
    qv::ui::SObject owner;
    std::u16string wav;
    int status = -1;
    auto start = Clock::now();
    center.addEvent(EventDecoderFinsh::EventID, EventDecoderFinsh::EventName);
    center.subscribeEvent(EventDecoderFinsh::EventID, [&](qv::ui::EventArgs* e) {
        decodeSeconds = Since(start);  // as the window learns of it
        auto* finish = qv::ui::EventCast<EventDecoderFinsh>(e);
        status = finish->status;
        wav = finish->path.str();
        return true;
    });
    CLibmadDecoder decoder;
    if (!decoder.Start(qv::os::Utf8ToUtf16(mp3), 100, 0, &owner, SLOT_SECONDS[1])) return false;
    while (status < 0) {
        qv::os::WaitMessage(1000);
        while (qv::os::PumpOneMessage()) {
        }
    }
    decoder.Reset();
    if (status != 1) return false;
    start = Clock::now();
    auto converted = ConvertForDevice(wav, 1);
    convertSeconds = Since(start);
    std::filesystem::remove(qv::os::Utf16ToUtf8(wav));
    if (!converted) return false;
    image = std::move(*converted);
    return true;
}

// The header and the blocks written as reports and each reply read, without
// the manager or a thread: the transport's own time.
bool BareUpload(const std::u16string& path, std::span<const std::uint8_t> image, double& seconds) {
    auto device = qv::hid::Open(path);
    if (!device) return false;
    const std::uint32_t bytes = UploadBytes(image.size());
    const std::uint32_t blocks = UploadBlockCount(bytes);
    const auto start = Clock::now();
    for (std::uint32_t n = 0; n <= blocks; ++n) {
        const UploadFrame frame = n == 0 ? MakeUploadHeader(1, blocks, bytes) : MakeUploadBlock(image.first(bytes), n - 1);
        std::uint8_t report[SimCard::kOutputReportLength] = {};
        std::memcpy(report + 1, frame.data(), qv::frame::kFrameLength);
        qv::frame::Seal(report + 1);
        if (!device->WriteReport(report, sizeof report)) return false;
        std::uint8_t input[128];
        do {
            if (device->ReadReport(input, sizeof input, 2000) != qv::hid::ReadStatus::Ok) return false;
        } while (input[1] != frame[0] + 1);
    }
    seconds = Since(start);
    return true;
}

// The upload thread through the device manager, its window's messages
// taken on this thread as the send window takes them.
bool ThreadUpload(const std::u16string& path, std::span<const std::uint8_t> image, double& seconds) {
    CDeviceManager manager;
    CQuorvelProtocol protocol;
    if (!manager.Connect(new CHidBase(path.c_str()), &protocol)) return false;
    int result = -1;
    HWND window = qv::os::CreateTarget([&](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
        if (message == kMsgUploadEnded) result = static_cast<int>(wParam);
        return 0;
    });
    const auto start = Clock::now();
    {
        UploadJob job(&manager, 1, std::vector<std::uint8_t>(image.begin(), image.end()), window);
        if (!job.Start()) return false;
        while (result < 0) {
            qv::os::WaitMessage(1000);
            while (qv::os::PumpOneMessage()) {
            }
        }
    }
    seconds = Since(start);
    qv::os::DestroyTarget(window);
    manager.Disconnect();
    return result == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string dir = "/tmp/qv-sound-upload-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    setenv("TMPDIR", dir.c_str(), 1);
    const std::string socketPath = dir + "/card.sock";
    setenv("QV_HID_BACKEND", "sim", 1);
    setenv("QV_SIM_SOCKET", socketPath.c_str(), 1);

    // 1. Decoding and conversion of a 40 s stereo MP3, cut at key 1's 35 s.
    const std::string mp3 = dir + "/sound.mp3";
    if (!qv::test::WriteBytes(mp3, qv::test::EncodeMp3(qv::test::ChannelToneSamples(44100, 2, 40.0, 440, 660), 44100, 2))) {
        std::fprintf(stderr, "sound_upload: no MP3\n");
        return 1;
    }
    std::vector<std::uint8_t> image;
    std::vector<double> decodeTimes, convertTimes;
    for (int r = 0; r < rounds; ++r) {
        double decode = 0, convert = 0;
        if (!DecodeAndConvert(mp3, image, decode, convert)) {
            std::fprintf(stderr, "sound_upload: the sound did not decode\n");
            return 1;
        }
        decodeTimes.push_back(decode);
        convertTimes.push_back(convert);
    }
    const std::uint32_t blocks = UploadBlockCount(UploadBytes(image.size()));

    SimCard card;
    SimCardServer server(card);
    if (!server.Start(socketPath)) {
        std::fprintf(stderr, "sound_upload: cannot serve the card on %s\n", socketPath.c_str());
        return 1;
    }
    const auto found = qv::hid::Enumerate(SimCard::kVendorId, SimCard::kDorbProductId);
    if (found.empty()) {
        std::fprintf(stderr, "sound_upload: the simulated card was not found\n");
        return 1;
    }
    const std::u16string path = found[0].path;

    // 2. Whole uploads, a warm-up of each first, then parts that alternate so
    // that the load of a shared machine falls on both alike.
    double seconds = 0;
    bool ok = BareUpload(path, image, seconds) && ThreadUpload(path, image, seconds);
    std::vector<double> bareWhole, uploadWhole, bareParts, uploadParts;
    for (int r = 0; ok && r < rounds; ++r) {
        ok = BareUpload(path, image, seconds);
        bareWhole.push_back(seconds / (blocks + 1));
        ok = ok && ThreadUpload(path, image, seconds);
        uploadWhole.push_back(seconds / (blocks + 1));
        ok = ok && card.SoundUpload().complete && card.SoundUpload().violations.empty();
    }
    const std::span<const std::uint8_t> all(image);
    for (int r = 0; ok && r < rounds; ++r) {
        for (std::size_t first = 0; ok && first + kPartBlocks * 32 <= all.size(); first += kPartBlocks * 32) {
            const auto part = all.subspan(first, kPartBlocks * 32);
            ok = BareUpload(path, part, seconds);
            bareParts.push_back(seconds / (kPartBlocks + 1));
            ok = ok && ThreadUpload(path, part, seconds);
            uploadParts.push_back(seconds / (kPartBlocks + 1));
        }
    }
    if (!ok) {
        std::fprintf(stderr, "sound_upload: an upload failed\n");
        return 1;
    }

    // 3. At USB pace.
    const std::uint32_t usbBlocks =
        argc > 2 ? std::min<std::uint32_t>(blocks, static_cast<std::uint32_t>(std::atoi(argv[2]))) : blocks;
    const auto usbImage = all.first(std::min<std::size_t>(all.size(), static_cast<std::size_t>(usbBlocks) * 32));
    // In parts that alternate, as above; the sums are compared.
    server.SetUsbTiming(true);
    double usbBare = 0, usbUpload = 0;
    for (std::size_t first = 0; ok && first < usbImage.size(); first += kUsbPartBlocks * 32) {
        const auto part = usbImage.subspan(first, std::min<std::size_t>(kUsbPartBlocks * 32, usbImage.size() - first));
        ok = BareUpload(path, part, seconds);
        usbBare += seconds;
        ok = ok && ThreadUpload(path, part, seconds);
        usbUpload += seconds;
    }
    server.Stop();
    std::filesystem::remove_all(dir);
    if (!ok) {
        std::fprintf(stderr, "sound_upload: an upload at USB pace failed\n");
        return 1;
    }

    std::printf("sound_upload: a 35 s sound of 44.1 kHz into key 1: %zu bytes, %u blocks; %d rounds\n", image.size(),
                blocks, rounds);
    std::printf("decoding a 40 s stereo MP3 (cut at 35 s): %.0f ms, conversion: %.0f ms, both: %.0f ms (aim < 1000 ms)\n",
                Median(decodeTimes) * 1e3, Median(convertTimes) * 1e3,
                (Median(decodeTimes) + Median(convertTimes)) * 1e3);
    std::printf("%-30s %16s %16s\n", "", "us/frame whole", "us/frame parts");
    std::printf("%-30s %16.1f %16.1f\n", "bare write + read", Median(bareWhole) * 1e6, Median(bareParts) * 1e6);
    std::printf("%-30s %16.1f %16.1f\n", "upload thread + manager", Median(uploadWhole) * 1e6, Median(uploadParts) * 1e6);
    std::printf("cost per block beyond the bare frames: %.1f us in parts, %.1f us whole (aim < 100 us)\n",
                (Median(uploadParts) - Median(bareParts)) * 1e6, (Median(uploadWhole) - Median(bareWhole)) * 1e6);
    const std::size_t usbFrames = usbBlocks + (usbBlocks + kUsbPartBlocks - 1) / kUsbPartBlocks;  // with the headers
    std::printf("at USB pace, %u blocks: bare round trips %.1f s (%.2f ms a frame), upload %.1f s: %.3fx (aim < 1.02x)\n",
                usbBlocks, usbBare, usbBare * 1e3 / usbFrames, usbUpload, usbUpload / usbBare);
    return 0;
}
