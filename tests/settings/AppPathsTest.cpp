#include "plugin/workspace/AppPaths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/os/Utf.h"
#include "plugin/workspace/SettingsStore.h"
#include "TempUserFolders.h"

namespace {

using qv::os::Utf8ToUtf16;

class AppPathsTest : public TempUserFolders {};

TEST_F(AppPathsTest, EffectListIsTakenFromAppDataWhenItExistsThere) {
    const std::u16string appData = Utf8ToUtf16(m_dir + "/data/Quorvel");
    const std::u16string host = Utf8ToUtf16(m_dir + "/bin");
    EXPECT_EQ(EffectListPath(appData, host), host + u"/data/EffectList.xml");
    EXPECT_EQ(EffectListPath(u"", host), host + u"/data/EffectList.xml");

    std::filesystem::create_directories(m_dir + "/data/Quorvel/EffectList.xml");
    EXPECT_EQ(EffectListPath(appData, host), host + u"/data/EffectList.xml");  // a folder
    std::filesystem::remove(m_dir + "/data/Quorvel/EffectList.xml");
    WriteBytes(m_dir + "/data/Quorvel/EffectList.xml", "<x/>");
    EXPECT_EQ(EffectListPath(appData, host), appData + u"/EffectList.xml");
}

TEST_F(AppPathsTest, StateFileNeedsAnAppDataFolder) {
    EXPECT_EQ(StateFilePath(u"/d/Quorvel", u"ZenkConfigData.db"), u"/d/Quorvel/ZenkConfigData.db");
    EXPECT_EQ(StateFilePath(u"", u"ZenkConfigData.db"), u"");
    EXPECT_EQ(LoadStateStore(u"", u"ZenkConfigData.db"), 0);
    EXPECT_FALSE(CSettingsStore::GetStore(0)->IsLoaded());
}

}  // namespace
