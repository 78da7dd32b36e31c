// The mood-file fuzz target over seeded inputs built around a real file, so
// every build runs it; the libFuzzer build searches further.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/os/Log.h"

int FuzzMoodFile(const std::uint8_t* data, std::size_t size);

namespace {

std::string Utf16File(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

TEST(MoodFuzzSmoke, DamagedFilesOfAnyContent) {
    qv::os::SetDebugOutputHook([](const char*) {});
    std::string head(2 * 45, '0');
    const std::string seed = Utf16File(u"[HotkeyMood]\r\ncount=3\r\n0=" + std::u16string(head.begin(), head.end()) +
                                       u"\r\n[HotkeyMoodPath]\r\n0=/a.mp3\r\n[Config]\r\nVolume=80\r\nEnableHotKey=1\r\n");
    std::mt19937 random(20261209);
    for (int run = 0; run < 300; ++run) {
        std::string input = seed;
        const int flips = static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i) input[random() % input.size()] = static_cast<char>(random());
        input.resize(random() % (input.size() + 1));
        FuzzMoodFile(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    }
    qv::os::SetDebugOutputHook(nullptr);
}

}  // namespace
