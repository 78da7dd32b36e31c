// The reply readers' fuzz targets over seeded inputs made from real replies,
// so every build runs them; the libFuzzer builds search further.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/os/Log.h"
#include "tests/cloud/fuzz/ReplyFuzz.h"

namespace {

TEST(ReplyFuzzSmoke, RepliesOfAnyContent) {
    qv::os::SetDebugOutputHook([](const char*) {});
    const std::string seeds[] = {
        R"({"message":"ok","data":[{"id":1,"categoryName":"笑声"}]})",
        R"({"message":"OK","data":[{"id":101,"name":"大笑","url":"http://h/f/a.mp3"}]})",
        R"({"message":"ok","data":[{"id":3,"soundName":"R&B"}]} // comment)",
        R"({"message":"ok","data":{"id":3,"soundName":"x","groupList":[{"paramList":[{"paramNo":4,"paramValue":1}]}]}})",
        std::string(3000, '['),
    };
    std::mt19937 random(20261210);
    for (int run = 0; run < 2000; ++run) {
        std::string input = seeds[random() % std::size(seeds)];
        const int flips = static_cast<int>(random() % 6);
        for (int i = 0; i < flips && !input.empty(); ++i) input[random() % input.size()] = static_cast<char>(random());
        input.resize(random() % (input.size() + 1));
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(input.data());
        FuzzCategories(bytes, input.size());
        FuzzCategorySounds(bytes, input.size());
        FuzzEffectList(bytes, input.size());
        FuzzEffectDetail(bytes, input.size());
    }
    qv::os::SetDebugOutputHook(nullptr);
}

}  // namespace
