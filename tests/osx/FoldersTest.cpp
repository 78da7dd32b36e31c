#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/os/AtomicFile.h"
#include "platform/os/Autostart.h"
#include "platform/os/Folders.h"
#include "platform/os/UserRegistry.h"
#include "platform/os/Utf.h"

namespace {
using namespace qv::os;
namespace fs = std::filesystem;

// Points HOME and the XDG variables into a fresh folder for one test.
class UserFolders : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-folders-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        Save("HOME");
        Save("XDG_DATA_HOME");
        Save("XDG_CONFIG_HOME");
        Save("TMPDIR");
        setenv("HOME", (m_dir + "/home").c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override {
        for (auto& [name, value] : m_saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        fs::remove_all(m_dir);
    }
    void Save(const std::string& name) {
        const char* value = std::getenv(name.c_str());
        m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    std::u16string U(const std::string& s) const { return Utf8ToUtf16(s); }

    std::string m_dir;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

TEST_F(UserFolders, AppDataFolderIsMadeUnderTheXdgDataFolder) {
    auto folder = MakeAppDataFolder();
    ASSERT_TRUE(folder);
    EXPECT_EQ(*folder, U(m_dir + "/home/.local/share/Quorvel"));
    EXPECT_TRUE(fs::is_directory(m_dir + "/home/.local/share/Quorvel"));

    setenv("XDG_DATA_HOME", (m_dir + "/data/").c_str(), 1);
    EXPECT_EQ(MakeAppDataFolder(), U(m_dir + "/data/Quorvel"));
    setenv("XDG_DATA_HOME", "relative/data", 1);  // not absolute: ignored
    EXPECT_EQ(LocalAppDataFolder(), U(m_dir + "/home/.local/share"));
}

TEST_F(UserFolders, AppDataFolderThatCannotBeMadeIsReported) {
    std::ofstream(m_dir + "/blocker") << "a file where a folder should go";
    setenv("XDG_DATA_HOME", (m_dir + "/blocker").c_str(), 1);
    EXPECT_FALSE(MakeAppDataFolder());
}

TEST_F(UserFolders, TempAndExecutableFolders) {
    unsetenv("TMPDIR");
    EXPECT_EQ(TempFolder(), u"/tmp/");
    setenv("TMPDIR", (m_dir + "/t//").c_str(), 1);
    EXPECT_EQ(TempFolder(), U(m_dir + "/t/"));
    EXPECT_EQ(ExecutableBaseName(), u"osx_tests");
    EXPECT_EQ(ExecutablePath(), ExecutableFolder() + u"/osx_tests");
}

TEST_F(UserFolders, RegistryKeepsTypedValuesInTheConfigFolder) {
    setenv("XDG_CONFIG_HOME", (m_dir + "/config").c_str(), 1);
    UserRegistry registry;
    EXPECT_EQ(registry.File(), U(m_dir + "/config/Quorvel/registry.ini"));
    EXPECT_FALSE(registry.ReadBinary(u"Software\\Pellorvane", u"deviceId"));
    const std::vector<std::uint8_t> id = {1, 2, 3, 4, 5, 6, 0, 0};
    ASSERT_TRUE(registry.WriteBinary(u"Software\\Pellorvane", u"deviceId", id));
    ASSERT_TRUE(registry.WriteString(u"Software\\Pellorvane", u"name", u"声卡"));
    ASSERT_TRUE(registry.WriteString(u"Software\\Pellorvane", u"empty", u""));

    UserRegistry again;  // a later run reads what the first wrote
    EXPECT_EQ(again.ReadBinary(u"software\\pellorvane", u"DEVICEID"), id);
    EXPECT_EQ(again.ReadString(u"Software\\Pellorvane", u"name"), u"声卡");
    EXPECT_EQ(again.ReadString(u"Software\\Pellorvane", u"empty"), u"");
    EXPECT_FALSE(again.ReadString(u"Software\\Pellorvane", u"deviceId"));  // wrong type
    EXPECT_TRUE(again.DeleteValue(u"Software\\Pellorvane", u"name"));
    EXPECT_FALSE(again.DeleteValue(u"Software\\Pellorvane", u"name"));
    EXPECT_EQ(ReadWholeFile(m_dir + "/config/Quorvel/registry.ini"),
              "[Software\\Pellorvane]\r\ndeviceId=hex:0102030405060000\r\nempty=sz:\r\n");
}

TEST_F(UserFolders, AutostartEntryFollowsTheRunValue) {
    setenv("XDG_CONFIG_HOME", (m_dir + "/config").c_str(), 1);
    EXPECT_FALSE(ReadAutostartCommand(u"Quorvel"));
    EXPECT_FALSE(DeleteAutostartEntry(u"Quorvel"));
    ASSERT_TRUE(WriteAutostartEntry(u"Quorvel", u"\"/opt/q/quorvel\" "));
    EXPECT_EQ(AutostartEntryPath(u"Quorvel"), U(m_dir + "/config/autostart/Quorvel.desktop"));
    EXPECT_EQ(ReadWholeFile(m_dir + "/config/autostart/Quorvel.desktop"),
              "[Desktop Entry]\nType=Application\nName=Quorvel\nExec=\"/opt/q/quorvel\" \n"
              "X-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(ReadAutostartCommand(u"Quorvel"), u"\"/opt/q/quorvel\"");
    EXPECT_FALSE(WriteAutostartEntry(u"Quorvel", u"x\nHidden=true"));

    // An entry the desktop has disabled does not count.
    ASSERT_TRUE(ReplaceFileAtomically(m_dir + "/config/autostart/Quorvel.desktop",
                                      "[Desktop Entry]\nExec=/opt/q/quorvel\nHidden=true\n"));
    EXPECT_FALSE(ReadAutostartCommand(u"Quorvel"));
    EXPECT_TRUE(DeleteAutostartEntry(u"Quorvel"));
    EXPECT_FALSE(ReadAutostartCommand(u"Quorvel"));
}

}  // namespace
