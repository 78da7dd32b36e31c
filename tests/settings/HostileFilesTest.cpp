// Hostile files at the names of the program's own files, through each real
// reader: refused or read as defaults within a second, memory bounded, the
// process going on; then set aside with their bytes kept.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <string>

#include "host/ProfileModuleConfig.h"
#include "platform/os/DamagedFile.h"
#include "platform/os/Path.h"
#include "platform/os/Profile.h"
#include "platform/os/UserRegistry.h"
#include "platform/os/Utf.h"
#include "plugin/workspace/PresetFile.h"
#include "plugin/workspace/SettingsStateStore.h"
#include "plugin/workspace/SettingsStore.h"
#include "plugin/sound/MoodConfig.h"
#include "tests/settings/TempUserFolders.h"

namespace {

namespace fs = std::filesystem;
using qv::os::Utf8ToUtf16;

// Kilobytes from /proc/self/status ("VmHWM", "VmRSS").
long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(line.find(':') + 1));
    return -1;
}

// Starts a new peak of the resident set.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

struct Reader {
    const char* name;
    const char* file;  // its file's name in the folder
    // Reads through the real code; true when it read the defaults.
    std::function<bool(const std::string& folder, const std::string& path)> read;
};

const Reader kReaders[] = {
    {"preset", "hall.data",
     [](const std::string&, const std::string& path) { return !ReadPresetFile(Utf8ToUtf16(path)); }},
    {"settings", "DorbIIConfigData.db",
     [](const std::string&, const std::string& path) {
         CSettingsStore store;
         store.Load(Utf8ToUtf16(path));
         return store.GetInt(kSettingCloseBtnOperation) == 1 && store.GetString(kSettingLatestPrjFile) == std::u16string();
     }},
    {"state", "ZenkConfigData.db",
     [](const std::string&, const std::string& path) {
         CSettingsStore store;
         store.Load(Utf8ToUtf16(path));
         CSettingsStateStore state(store);
         return !state.ReadStruct(u"LastStatus", u"CurrentEffect", 1032) && !state.ReadInt(u"DownloadEffect", u"count") &&
                !state.ReadStruct(u"MyCustomEffect", u"0", 1032);
     }},
    {"mood", "DorbIIMoodcfg.ini",
     [](const std::string&, const std::string& path) {
         CMoodConfig mood;
         mood.Init(Utf8ToUtf16(path));
         return mood.GetFavorites().empty() && mood.GetCustomSounds().empty() && mood.GetDownloads().empty();
     }},
    {"modulecfg", "modulecfg.ini",
     [](const std::string& folder, const std::string&) {
         return ProfileModuleConfig(Utf8ToUtf16(folder)).ReadLastPluginFile().empty();
     }},
    {"registry", "registry.ini",
     [](const std::string&, const std::string& path) {
         return !qv::os::UserRegistry(Utf8ToUtf16(path)).ReadString(u"Software\\Pellorvane", u"DeviceId");
     }},
};

enum class Kind { Sparse, Newlines, Random, Folder, Fifo, DevZero, LinkLoop, Junk };

struct Hostile {
    const char* name;
    Kind kind;
};

const Hostile kHostile[] = {
    {"sparse 64 GB", Kind::Sparse},  {"100 MB of newlines", Kind::Newlines}, {"random bytes", Kind::Random},
    {"a folder", Kind::Folder},      {"a FIFO", Kind::Fifo},                 {"/dev/zero", Kind::DevZero},
    {"a link loop", Kind::LinkLoop}, {"junk within the limits", Kind::Junk},
};

class HostileFiles : public TempUserFolders {
protected:
    void SetUp() override {
        TempUserFolders::SetUp();
        m_pool = m_dir + "/pool";
        m_folder = m_dir + "/data/Quorvel";
        fs::create_directories(m_pool);
        fs::create_directories(m_folder);
        // The big ones once, linked into place for each reader.
        const int sparse = open((m_pool + "/sparse").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(sparse, 0);
        ASSERT_EQ(ftruncate(sparse, 64ll << 30), 0);
        close(sparse);
        {
            std::ofstream newlines(m_pool + "/newlines", std::ios::binary);
            const std::string block(1 << 20, '\n');
            for (int i = 0; i < 100; ++i) newlines << block;
        }
        std::mt19937 random(7);
        std::string bytes(1 << 20, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        std::ofstream(m_pool + "/random", std::ios::binary) << bytes;
        // A mood-like file just inside the limits: lists claiming 999
        // entries, then tens of thousands of lines of junk keys.
        std::string junk = "[HotkeyMood]\ncount=999\n[DIY]\ncount=999\n[Download]\ncount=999\n[HotkeyMoodPath]\n";
        for (int i = 0; junk.size() < qv::os::kMaxProfileFileBytes - 200; ++i)
            junk += "k" + std::to_string(i) + "=" + std::string(72, 'A') + "\n";
        std::ofstream(m_pool + "/junk", std::ios::binary) << junk;
    }
    void TearDown() override {
        fs::remove_all(m_dir + "/pool");  // before the big ones' folder goes
        TempUserFolders::TearDown();
    }

    void Place(Kind kind, const std::string& path) {
        switch (kind) {
        case Kind::Sparse: ASSERT_EQ(link((m_pool + "/sparse").c_str(), path.c_str()), 0); break;
        case Kind::Newlines: ASSERT_EQ(link((m_pool + "/newlines").c_str(), path.c_str()), 0); break;
        case Kind::Random: ASSERT_EQ(link((m_pool + "/random").c_str(), path.c_str()), 0); break;
        case Kind::Junk: ASSERT_EQ(link((m_pool + "/junk").c_str(), path.c_str()), 0); break;
        case Kind::Folder: fs::create_directory(path); break;
        case Kind::Fifo: ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); break;
        case Kind::DevZero: fs::create_symlink("/dev/zero", path); break;
        case Kind::LinkLoop:
            fs::create_symlink(path + ".other", path);
            fs::create_symlink(path, path + ".other");
            break;
        }
    }

    std::string m_pool;
    std::string m_folder;
};

TEST_F(HostileFiles, EachReaderRefusesThemQuicklyWithBoundedMemoryAndTheyAreSetAside) {
    const long baseline = StatusKb("VmRSS");
    long worstGrowthKb = 0;
    double worstMs = 0;
    for (const Reader& reader : kReaders) {
        for (const Hostile& hostile : kHostile) {
            SCOPED_TRACE(std::string(reader.name) + " / " + hostile.name);
            const std::string path = m_folder + "/" + reader.file;
            Place(hostile.kind, path);
            struct stat before {};
            ASSERT_EQ(lstat(path.c_str(), &before), 0);

            ResetPeak();
            const long rss = StatusKb("VmRSS");
            const auto start = std::chrono::steady_clock::now();
            EXPECT_TRUE(reader.read(m_folder, path));
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            const long growth = StatusKb("VmHWM") - rss;
            // Junk within the limits is read, not refused: it costs a parse.
            if (hostile.kind != Kind::Junk) {
                EXPECT_LT(ms, 1000.0);
            }
            EXPECT_LT(growth, 100 * 1024) << "kB";
            worstGrowthKb = std::max(worstGrowthKb, growth);
            worstMs = std::max(worstMs, ms);
            std::printf("%-10s %-24s %8.1f ms  peak +%6ld kB\n", reader.name, hostile.name, ms, growth);

            // Junk within the limits is a file like any other; the rest is
            // set aside whole, under a new name beside it.
            const auto aside = qv::os::SetAsideIfDamaged(Utf8ToUtf16(path));
            if (hostile.kind == Kind::Junk) {
                EXPECT_FALSE(aside);
                fs::remove(path);
                continue;
            }
            ASSERT_TRUE(aside);
            const std::string renamed = qv::os::NativePath(aside->renamedTo);
            EXPECT_EQ(renamed.rfind(path + ".damaged-", 0), 0u) << renamed;
            struct stat after {};
            ASSERT_EQ(lstat(renamed.c_str(), &after), 0);
            EXPECT_EQ(after.st_ino, before.st_ino);
            EXPECT_EQ(after.st_size, before.st_size);
            EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
            fs::remove_all(renamed);
            fs::remove(path + ".other");
        }
    }
    std::printf("worst: %.1f ms, peak +%ld kB over a resident %ld kB\n", worstMs, worstGrowthKb, baseline);
    // The process goes on reading and writing its files.
    const std::u16string settings = Utf8ToUtf16(m_folder + "/after.ini");
    ASSERT_TRUE(qv::os::WritePrivateProfileString(u"S", u"k", u"1", settings.c_str()));
    EXPECT_EQ(qv::os::GetPrivateProfileInt(u"S", u"k", 0, settings.c_str()), 1);
}

TEST_F(HostileFiles, OnlyTheNewestFewSetAsideCopiesStay) {
    const std::string path = m_folder + "/modulecfg.ini";
    for (int i = 0; i < qv::os::kKeptDamagedCopies + 2; ++i) {
        std::ofstream(path, std::ios::binary) << "bad" << i << '\0';
        ASSERT_TRUE(qv::os::SetAsideIfDamaged(Utf8ToUtf16(path)));
    }
    std::set<std::string> kept;
    for (const auto& entry : fs::directory_iterator(m_folder)) kept.insert(ReadBytes(entry.path()));
    std::set<std::string> newest;
    for (int i = 2; i < qv::os::kKeptDamagedCopies + 2; ++i) newest.insert("bad" + std::to_string(i) + '\0');
    EXPECT_EQ(kept, newest);
}

}  // namespace
