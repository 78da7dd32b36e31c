// A mood file of any content: the lists load within their bounds with every
// name and path terminated, and what is saved loads back the same.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/os/Path.h"
#include "plugin/sound/MoodConfig.h"

namespace {

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
    if (static_cast<int>(list.size()) > maxCount) std::abort();
    for (const SoundItem& item : list) {
        if (item.name[kSoundNameUnits - 1] != 0 || item.path[kSoundPathUnits - 1] != 0 || item.path[0] == 0) std::abort();
        if (item.status != kSoundIdle) std::abort();
    }
}

bool SameList(const std::vector<SoundItem>& a, const std::vector<SoundItem>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(SoundItem)) != 0) return false;
    return true;
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
    if (config.GetVolume() < 0 || config.GetVolume() > 100) std::abort();
    if (!config.Save()) return 0;
    CMoodConfig again;
    if (!again.Init(qv::os::ProgramPath(path))) std::abort();
    if (!SameList(config.GetFavorites(), again.GetFavorites())) std::abort();
    if (again.GetVolume() != config.GetVolume() || again.IsHotKeyEnabled() != config.IsHotKeyEnabled()) std::abort();
    return 0;
}

#ifdef QV_FUZZ_MAIN
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return FuzzMoodFile(data, size); }
#endif
