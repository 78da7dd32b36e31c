// A mood file of any content: the lists load within their bounds with every
// name and path terminated, and saving and loading again keep them so. (That
// every write reads back is the profile engine's own fuzz target's property.)
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/os/Path.h"
#include "plugin/sound/MoodConfig.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "mood file fuzz: %s\n", what);
    std::abort();
}

const std::string& FuzzFile() {
    static const std::string path = [] {
        char pattern[] = "/tmp/qv-moodfuzz-XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd >= 0) ::close(fd);
        return std::string(pattern);
    }();
    return path;
}

void CheckList(const std::vector<SoundItem>& list, int maxCount) {
    if (static_cast<int>(list.size()) > maxCount) Fail("list over its bound");
    for (const SoundItem& item : list) {
        if (item.name[kSoundNameUnits - 1] != 0 || item.path[kSoundPathUnits - 1] != 0 || item.path[0] == 0)
            Fail("unterminated or empty text");
        if (item.status != kSoundIdle) Fail("status loaded");
    }
}

}  // namespace

int FuzzMoodFile(const std::uint8_t* data, std::size_t size) {
    const std::string& path = FuzzFile();
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    CMoodConfig config;
    if (!config.Init(qv::os::ProgramPath(path))) return 0;
    CheckList(config.GetFavorites(), CMoodConfig::kMaxFavorites);
    CheckList(config.GetCustomSounds(), CMoodConfig::kMaxCustomSounds);
    CheckList(config.GetDownloads(), CMoodConfig::kMaxDownloads);
    if (config.GetVolume() < 0 || config.GetVolume() > 100) Fail("volume out of range");
    if (!config.Save()) return 0;
    CMoodConfig again;
    if (!again.Init(qv::os::ProgramPath(path))) Fail("saved file not loaded");
    CheckList(again.GetFavorites(), CMoodConfig::kMaxFavorites);
    CheckList(again.GetCustomSounds(), CMoodConfig::kMaxCustomSounds);
    CheckList(again.GetDownloads(), CMoodConfig::kMaxDownloads);
    return 0;
}

#ifdef QV_FUZZ_MAIN
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return FuzzMoodFile(data, size); }
#endif
