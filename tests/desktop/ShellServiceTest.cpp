#include "platform/ui/desktop/ShellService.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/ui/desktop/CommandLine.h"

namespace qv::desktop {
namespace {

namespace fs = std::filesystem;

TEST(SplitCommandLine, FollowsWindowsQuotingRules) {
    using V = std::vector<std::u16string>;
    EXPECT_EQ(SplitCommandLine(u"1.0.3 3 Quorvel {217984E9-C0EC} Quorvel_MAIN"),
              (V{u"1.0.3", u"3", u"Quorvel", u"{217984E9-C0EC}", u"Quorvel_MAIN"}));
    EXPECT_EQ(SplitCommandLine(u"  \"a b\"\tc  "), (V{u"a b", u"c"}));
    EXPECT_EQ(SplitCommandLine(u"\"\" x"), (V{u"", u"x"}));
    EXPECT_EQ(SplitCommandLine(u"a\\\\b \\\"q\\\" \"say \"\"hi\"\"\""),
              (V{u"a\\\\b", u"\"q\"", u"say \"hi\""}));
    EXPECT_EQ(SplitCommandLine(u"c:\\dir\\\\\" x\""), (V{u"c:\\dir\\ x"}));
    EXPECT_TRUE(SplitCommandLine(u"   ").empty());
}

// A scratch folder with an executable script that records its arguments.
class ShellServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-shell-XXXXXX";
        dir_ = mkdtemp(pattern);
        record_ = dir_ / "record.txt";
        savedPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    }
    void TearDown() override {
        setenv("PATH", savedPath_.c_str(), 1);
        fs::remove_all(dir_);
    }

    fs::path WriteRecorder(const std::string& name) {
        const fs::path script = dir_ / name;
        std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done > "
                              << record_.string() << ".tmp\nmv " << record_.string() << ".tmp "
                              << record_.string() << "\n";
        fs::permissions(script, fs::perms::owner_all);
        return script;
    }

    // The recorder runs detached: wait for its file to appear.
    std::string Recorded() {
        for (int i = 0; i < 500 && !fs::exists(record_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::stringstream text;
        text << std::ifstream(record_).rdbuf();
        return text.str();
    }

    fs::path dir_;
    fs::path record_;
    std::string savedPath_;
};

TEST_F(ShellServiceTest, StartsProgramWithSplitParameters) {
    const fs::path program = WriteRecorder("upgrade");
    EXPECT_TRUE(ShellService().StartProgram(program.u16string(), u"1.0.3 3 \"two words\""));
    EXPECT_EQ(Recorded(), "[1.0.3]\n[3]\n[two words]\n");
}

TEST_F(ShellServiceTest, RefusesWhatIsNoProgram) {
    const fs::path plain = dir_ / "upgrade.exe";
    std::ofstream(plain) << "not a program";
    EXPECT_FALSE(ShellService().StartProgram(plain.u16string(), u""));
    EXPECT_FALSE(ShellService().StartProgram((dir_ / "missing").u16string(), u""));
    EXPECT_FALSE(ShellService().StartProgram(dir_.u16string(), u""));
}

TEST_F(ShellServiceTest, OpensDocumentsThroughXdgOpen) {
    WriteRecorder("xdg-open");
    setenv("PATH", (dir_.string() + ":" + savedPath_).c_str(), 1);
    const fs::path manual = dir_ / "Manual 手册.pdf";
    std::ofstream(manual) << "%PDF";

    EXPECT_TRUE(ShellService().OpenDocument(manual.u16string()));
    EXPECT_EQ(Recorded(), "[" + manual.string() + "]\n");
    fs::remove(record_);
    EXPECT_TRUE(ShellService().OpenDocument(u"https://example.invalid/a?b=c"));
    EXPECT_EQ(Recorded(), "[https://example.invalid/a?b=c]\n");
    EXPECT_FALSE(ShellService().OpenDocument((dir_ / "gone.pdf").u16string()));
}

TEST_F(ShellServiceTest, OpeningFailsWithoutXdgOpen) {
    const fs::path doc = dir_ / "doc.txt";
    std::ofstream(doc) << "x";
    setenv("PATH", dir_.c_str(), 1);
    EXPECT_FALSE(ShellService().OpenDocument(doc.u16string()));
}

}  // namespace
}  // namespace qv::desktop
