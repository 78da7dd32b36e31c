#include "plugin/app/AutoRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempUserFolders.h"

namespace {

class AutoRunTest : public TempUserFolders {
protected:
    std::string EntryFile() const { return m_dir + "/config/autostart/Quorvel.desktop"; }
};

TEST(AutoRunCommandNames, MatchesThePathIgnoringCaseAndQuotes) {
    const std::u16string program = u"/opt/Quorvel/quorvel";
    EXPECT_TRUE(AutoRunCommandNames(u"\"/opt/Quorvel/quorvel\"", program));
    EXPECT_TRUE(AutoRunCommandNames(u"\"/OPT/quorvel/QUORVEL\"", program));
    EXPECT_TRUE(AutoRunCommandNames(u"/opt/quorvel/quorvel", program));
    // Whatever follows the quoted path is not looked at.
    EXPECT_TRUE(AutoRunCommandNames(u"\"/opt/Quorvel/quorvel\" (null)", program));

    EXPECT_FALSE(AutoRunCommandNames(u"\"/opt/Quorvel/other\"", program));
    EXPECT_FALSE(AutoRunCommandNames(u"\"/opt/Quorvel/quorvel2\"", program));
    EXPECT_FALSE(AutoRunCommandNames(u"/opt/Quorvel/quorvel --tray", program));
    EXPECT_FALSE(AutoRunCommandNames(u"\"/opt/Quorvel/quorvel", program));
    EXPECT_FALSE(AutoRunCommandNames(u"", program));
}

TEST_F(AutoRunTest, EntryHoldsOnlyTheQuotedPath) {
    ASSERT_EQ(SetAutoRunFor(u"/opt/Quorvel/quorvel", 1), 1);
    const std::string entry = ReadBytes(EntryFile());
    EXPECT_NE(entry.find("\nExec=\"/opt/Quorvel/quorvel\"\n"), std::string::npos) << entry;

    EXPECT_EQ(IsAutoRunFor(u"/opt/Quorvel/quorvel"), 1);
    EXPECT_EQ(IsAutoRunFor(u"/OPT/QUORVEL/QUORVEL"), 1);
    EXPECT_EQ(IsAutoRunFor(u"/opt/Quorvel/other"), 0);
    EXPECT_EQ(IsAutoRunFor(u""), 0);
}

TEST_F(AutoRunTest, PathsWithCharactersTheEntryEscapesStillMatch) {
    const std::u16string program = u"/home/a b/$HOME `x` \"q\"/100%/back\\slash/quorvel";
    ASSERT_EQ(SetAutoRunFor(program, 1), 1);
    EXPECT_EQ(IsAutoRunFor(program), 1);
    EXPECT_EQ(IsAutoRunFor(u"/home/a b/$HOME `x` \"q\"/100%/back/slash/quorvel"), 0);
    const std::string entry = ReadBytes(EntryFile());
    EXPECT_NE(entry.find("Exec=\"/home/a b/\\\\$HOME \\\\`x\\\\` \\\\\"q\\\\\"/100%%/back\\\\\\\\slash/"),
              std::string::npos)
        << entry;
    // A line break cannot stand in the entry.
    EXPECT_EQ(SetAutoRunFor(u"/opt/a\nb", 1), 0);
    EXPECT_EQ(IsAutoRunFor(program), 1);
}

TEST_F(AutoRunTest, TurningOffDeletesTheEntryAndFailsWhenThereIsNone) {
    EXPECT_EQ(IsAutoRunFor(u"/opt/Quorvel/quorvel"), 0);
    EXPECT_EQ(SetAutoRunFor(u"/opt/Quorvel/quorvel", 0), 0);
    ASSERT_EQ(SetAutoRunFor(u"/opt/Quorvel/quorvel", 1), 1);
    EXPECT_EQ(SetAutoRunFor(u"/opt/Quorvel/quorvel", 0), 1);
    EXPECT_EQ(IsAutoRunFor(u"/opt/Quorvel/quorvel"), 0);
    EXPECT_EQ(SetAutoRunFor(u"/opt/Quorvel/quorvel", 0), 0);
}

TEST_F(AutoRunTest, AMachineWideEntryCountsUnlessTheUsersOwnReplacesIt) {
    const std::string machineWide = m_dir + "/etc/xdg/autostart/Quorvel.desktop";
    std::filesystem::create_directories(m_dir + "/etc/xdg/autostart");
    WriteBytes(machineWide, "[Desktop Entry]\nType=Application\nExec=\"/opt/Quorvel/quorvel\"\n");
    EXPECT_EQ(IsAutoRunFor(u"/opt/Quorvel/quorvel"), 1);
    EXPECT_EQ(IsAutoRunFor(u"/opt/Quorvel/other"), 0);

    // A user entry of the same name replaces it, whatever it says.
    ASSERT_EQ(SetAutoRunFor(u"/opt/Quorvel/other", 1), 1);
    EXPECT_EQ(IsAutoRunFor(u"/opt/Quorvel/quorvel"), 0);
    EXPECT_EQ(IsAutoRunFor(u"/opt/Quorvel/other"), 1);
    WriteBytes(EntryFile(), "[Desktop Entry]\nType=Application\nExec=\"/opt/Quorvel/quorvel\"\nHidden=true\n");
    EXPECT_EQ(IsAutoRunFor(u"/opt/Quorvel/quorvel"), 0);
    ASSERT_EQ(SetAutoRunFor(u"/opt/Quorvel/quorvel", 0), 1);
    EXPECT_EQ(IsAutoRunFor(u"/opt/Quorvel/quorvel"), 1);
}

TEST_F(AutoRunTest, RunningExecutableIsTheProgram) {
    EXPECT_EQ(IsAutoRun(), 0);
    ASSERT_EQ(SetAutoRun(1), 1);
    EXPECT_EQ(IsAutoRun(), 1);
    EXPECT_EQ(SetAutoRun(0), 1);
    EXPECT_EQ(IsAutoRun(), 0);
}

}  // namespace
