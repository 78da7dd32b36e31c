// The real program switching between the real plug-ins as simulated cards
// of the two families are pulled and plugged, ten times: each run opens its
// family's session, no thread or descriptor piles up in the program, and each
// family keeps its own state file.
#include <dirent.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "families/FamilyData.h"
#include "platform/os/Profile.h"
#include "platform/os/Tick.h"
#include "platform/os/Utf.h"
#include "plugin/model/RecordText.h"
#include "tests/host/HostProcess.h"
#include "tests/support/SimCard.h"
#include "tests/support/SimCardServer.h"

namespace {

using qv::test::SimCard;
using qv::test::SimCardServer;

int CountEntries(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return -1;
    int count = 0;
    while (dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
    closedir(dir);
    return count;
}

struct Usage {
    int threads;
    int descriptors;
};

bool Eventually(const std::function<bool()>& done, int timeoutMs = 20000) {
    const std::uint64_t end = qv::os::NowMs() + static_cast<std::uint64_t>(timeoutMs);
    while (!done()) {
        if (qv::os::NowMs() > end) return false;
        qv::os::SleepMs(20);
    }
    return true;
}

// The program's threads and descriptors once they stop changing: workers of
// a run (the usage report, the catalogue fetches) end on their own soon
// after it starts.
Usage SteadyUsage(pid_t pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    Usage last{CountEntries(proc + "/task"), CountEntries(proc + "/fd")};
    int steady = 0;
    for (int i = 0; i < 400 && steady < 15; ++i) {
        qv::os::SleepMs(25);
        const Usage now{CountEntries(proc + "/task"), CountEntries(proc + "/fd")};
        steady = now.threads == last.threads && now.descriptors == last.descriptors ? steady + 1 : 0;
        last = now;
    }
    return last;
}

// Waits until the program uses no more than the reference; false when it
// keeps more (what a run leaves behind never goes).
bool SettlesAtMost(pid_t pid, const Usage& reference, Usage& seen) {
    const std::string proc = "/proc/" + std::to_string(pid);
    return Eventually([&] {
        seen = {CountEntries(proc + "/task"), CountEntries(proc + "/fd")};
        return seen.threads <= reference.threads && seen.descriptors <= reference.descriptors;
    }, 10000);
}

std::u16string CurrentEffectName(const std::string& file) {
    EffectRecord record{};
    if (!qv::os::GetPrivateProfileStruct(u"LastStatus", u"CurrentEffect", &record, sizeof record,
                                         qv::os::Utf8ToUtf16(file).c_str()))
        return u"<none>";
    return std::u16string(FieldText(record.name));
}

TEST(FamilySwitchProcess, TenSwitchesBetweenTheRealPluginsLeaveNothingBehind) {
    HostSandbox box;
    std::filesystem::copy_file(QV_DORBII_PLUGIN, box.ProgramFolder() + "/dorbII.so");
    std::filesystem::copy_file(QV_ZENK_PLUGIN, box.ProgramFolder() + "/zenk.so");
    SimCard card(SimCard::kDorbProductId);
    SimCardServer server(card);
    ASSERT_TRUE(server.Start(box.SimSocket()));
    // No display, no session bus; the catalogue refuses at once.
    const pid_t host = box.Start({{"DISPLAY", ""},
                                  {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/qv-bus"},
                                  {"QV_CATALOGUE_URL", "http://127.0.0.1:1/tuning"}});
    struct Guard {
        HostSandbox& box;
        pid_t pid;
        ~Guard() { box.End(pid); }  // the program is still running: it is ended
    } guard{box, host};

    auto sessionsOpened = [&] {
        int opened = 0;
        for (const SimCard::Frame& f : card.ReceivedFrames()) opened += f[0] == 0x90 && f[4] == 1;
        return opened;
    };
    // A run counts once its session is open and it follows arrivals.
    auto runUp = [&](int runs) {
        return Eventually([&] { return sessionsOpened() >= runs && server.MonitorSubscriptions() >= runs; });
    };
    ASSERT_TRUE(runUp(1)) << "the first (dorbII) run did not come up";
    Usage reference[2] = {SteadyUsage(host), {}};
    const std::uint16_t products[2] = {SimCard::kDorbProductId, SimCard::kZenkProductId};
    for (int n = 1; n <= 10; ++n) {
        const int family = n % 2;
        card.Unplug();
        card.Plug(products[family]);
        ASSERT_TRUE(runUp(n + 1)) << "switch " << n << " did not bring the next run up";
        if (n == 1) {
            reference[1] = SteadyUsage(host);
            // The receive thread and the plug-in thread run beside the main one.
            for (const Usage& r : reference) ASSERT_GE(r.threads, 3) << "the program's threads cannot be counted";
            continue;
        }
        Usage seen{};
        EXPECT_TRUE(SettlesAtMost(host, reference[family], seen))
            << "switch " << n << ": " << seen.threads << " threads, " << seen.descriptors << " descriptors; a run of "
            << "the same family had " << reference[family].threads << " and " << reference[family].descriptors;
    }
    // Each family's version gate ran only for its own card.
    int versionQueries = 0;
    for (const SimCard::Frame& f : card.ReceivedFrames()) versionQueries += f[0] == 0x92;
    EXPECT_EQ(versionQueries, 5);

    // Every run that ended kept its state in its family's own file.
    const std::string data = box.AppDataFolder();
    EXPECT_EQ(CurrentEffectName(data + "/DorbIIConfigData.db"), FieldText(DorbIIFamily().deviceEffects[0].name));
    EXPECT_EQ(CurrentEffectName(data + "/ZenkConfigData.db"), FieldText(ZenkFamily().deviceEffects[0].name));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(data)) files += entry.path().extension() == ".db";
    EXPECT_EQ(files, 2);
}

}  // namespace
