// Loading the state file as the plug-in does at start (settings store 0, then
// the parameter model reading every record) with 0, 100 and 400 downloaded
// effects. Each load sees the file as just changed, so it is parsed afresh
// once; the last column is what one parse per record read would cost.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "families/FamilyData.h"
#include "platform/os/Profile.h"
#include "platform/os/Utf.h"
#include "plugin/model/CParamModel.h"
#include "plugin/model/RecordText.h"
#include "plugin/workspace/SettingsStateStore.h"
#include "plugin/workspace/SettingsStore.h"

namespace {

using Clock = std::chrono::steady_clock;

class NoDevice : public IParamModelPort {
public:
    bool IsConnected() override { return false; }
    BOOL SendFrames(const std::vector<qv::model::ParamFrame>&) override { return 0; }
    void RequestSend() override {}
    void FireParamChanged() override {}
    void OnBandWritten(std::int32_t, std::int32_t) override {}
    void UpdateParamDisplay(std::int32_t, std::int32_t) override {}
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Marks the file as changed, so the next read parses it again.
void Touch(const std::string& path) {
    static long tick = 0;
    timespec times[2] = {{0, UTIME_OMIT}, {1700000000 + ++tick, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// A state file as the plug-in makes it, with `count` downloaded effects.
bool MakeStateFile(const std::string& path, int count) {
    std::filesystem::remove(path);
    CSettingsStore store;
    if (!store.Load(qv::os::Utf8ToUtf16(path))) return false;
    const std::u16string file = qv::os::Utf8ToUtf16(path);
    for (int n = 0; n < count; ++n) {
        EffectRecord effect = DorbIIFamily().deviceEffects[1];
        SetFieldText(effect.name, qv::os::Utf8ToUtf16("云端效果 " + std::to_string(n)));
        SetFieldText(effect.remark, u"下载的效果");
        effect.id = 1000 + n;
        const std::u16string key = qv::os::Utf8ToUtf16(std::to_string(n));
        if (!qv::os::WritePrivateProfileStruct(u"DownloadEffect", key.c_str(), &effect, sizeof effect, file.c_str()))
            return false;
    }
    return store.WriteInt(u"DownloadEffect", u"count", count) != 0;
}

}  // namespace

int main() {
    // Written in memory where there is a tmpfs: the bench times reading.
    const std::string folder = std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path().string();
    const std::string path = folder + "/qv-state-load-" + std::to_string(getpid()) + ".db";
    constexpr int kRounds = 7;

    std::printf("state_load: %d loads each, medians\n", kRounds);
    std::printf("  %-18s %12s %12s %16s %24s\n", "downloaded effects", "file (KiB)", "load (ms)", "per effect (us)",
                "one parse per read (ms)");
    for (int count : {0, 100, 400}) {
        if (!MakeStateFile(path, count)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::vector<double> loads;
        std::vector<double> parses;
        for (int round = 0; round < kRounds; ++round) {
            Touch(path);
            const auto start = Clock::now();
            CSettingsStore store;
            store.Load(qv::os::Utf8ToUtf16(path));
            CSettingsStateStore state(store);
            NoDevice port;
            CParamModel model(DorbIIFamily(), port, &state);
            loads.push_back(Ms(Clock::now() - start));
            if (model.GetDownloadedEffects().GetCount() != count) {
                std::fprintf(stderr, "read %d of %d effects\n", model.GetDownloadedEffects().GetCount(), count);
                return 1;
            }
            // One read of a changed file: the cost each record read had
            // before the parsed copy was kept.
            Touch(path);
            const auto parseStart = Clock::now();
            (void)store.ReadInt(u"DownloadEffect", u"count");
            parses.push_back(Ms(Clock::now() - parseStart));
        }
        const double load = Median(loads);
        // The model reads 3 x 4 presets, 1 + 3 + 12 effects and the count
        // besides the downloaded effects.
        const int reads = 12 + 16 + 1 + count;
        std::printf("  %-18d %12.0f %12.2f %16.1f %24.0f\n", count,
                    static_cast<double>(std::filesystem::file_size(path)) / 1024.0, load,
                    count ? load * 1000.0 / count : 0.0, Median(parses) * reads);
    }
    std::filesystem::remove(path);
    return 0;
}
