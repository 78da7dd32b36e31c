// The application base: folders, the logged machine block and the restart
// request.
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "appbase/AppBase.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Path.h"
#include "platform/ui/SApplication.h"
#include "tests/protocol/LogCapture.h"

namespace {

namespace fs = std::filesystem;

class AppBaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("qvappbase-" + std::to_string(getpid()));
        fs::create_directories(root);
        setenv("XDG_DATA_HOME", root.c_str(), 1);
    }
    void TearDown() override {
        qv::os::DestroyThreadQueue();
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    fs::path root;
};

TEST_F(AppBaseTest, FoldersAndEffectList) {
    {
        CAppBase base;
        EXPECT_EQ(qv::os::NativePath(base.AppDataFolder()), (root / "Quorvel").string());
        EXPECT_TRUE(fs::is_directory(root / "Quorvel"));
        EXPECT_EQ(base.EffectListPath(), base.HostFolder() + u"/data/EffectList.xml");
    }
    std::ofstream(root / "Quorvel" / "EffectList.xml") << "<list/>";
    CAppBase base;
    EXPECT_EQ(base.EffectListPath(), base.AppDataFolder() + u"/EffectList.xml");
}

TEST_F(AppBaseTest, AppDataFolderThatCannotBeMadeIsLeftEmpty) {
    std::ofstream(root / "blocker") << "x";
    setenv("XDG_DATA_HOME", (root / "blocker").c_str(), 1);
    CAppBase base;
    EXPECT_TRUE(base.AppDataFolder().empty());
    EXPECT_EQ(base.EffectListPath(), base.HostFolder() + u"/data/EffectList.xml");
}

TEST_F(AppBaseTest, SysInfoBlockCarriesTheSkinsVersion) {
    CAppBase base;
    {
        qv::test::LogCapture log;
        base.GetSysInfo();  // no application: no version text
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_NE(log.lines[0].text.find("ver:\n"), std::string::npos);
    }
    qv::ui::SApplication app(nullptr);
    ASSERT_TRUE(app.AddResProvider(nullptr, u"uidef:xml_init"));
    qv::test::LogCapture log;
    base.GetSysInfo();
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].text.find("ver:9.9.9-test\n"), std::string::npos);
    EXPECT_GT(base.SysInfo().memoryMb, 0);
}

TEST_F(AppBaseTest, RestartEndsTheLoopAndIsRemembered) {
    CAppBase base;
    EXPECT_FALSE(base.IsRestartRequested());
    base.Restart();
    EXPECT_TRUE(base.IsRestartRequested());
    EXPECT_EQ(qv::os::RunMessageLoop(), 0);
}

}  // namespace
