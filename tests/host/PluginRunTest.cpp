#include "host/PluginRun.h"

#include <gtest/gtest.h>

#include "host/PluginLibrary.h"
#include "tests/host/HostFakes.h"

namespace {

using ::testing::NiceMock;
using ::testing::Return;


// A library whose GetClient hands out the client the test set up.
class FakeLoader : public IPluginLibraryLoader {
public:
    void* Load(const std::u16string& path) override {
        loadedPath = path;
        return loads ? &m_library : nullptr;
    }
    void* Resolve(void* library, const char* name) override {
        EXPECT_EQ(library, &m_library);
        EXPECT_STREQ(name, "GetClient");
        return exports ? reinterpret_cast<void*>(&GetClient) : nullptr;
    }
    void Free(void* library) override {
        EXPECT_EQ(library, &m_library);
        ++frees;
    }

    static IAppClient* GetClient(IAppHost* host) {
        s_host = host;
        return s_client;
    }

    bool loads = true;
    bool exports = true;
    int frees = 0;
    std::u16string loadedPath;
    static inline IAppClient* s_client = nullptr;
    static inline IAppHost* s_host = nullptr;

private:
    int m_library = 0;
};

class PluginRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeLoader::s_client = &client;
        FakeLoader::s_host = nullptr;
    }
    int Run() { return RunPlugin(loader, u"/opt/q/zenk.so", host, u"--cmd"); }

    FakeLoader loader;
    NiceMock<MockClient> client;
    IAppHost* host = reinterpret_cast<IAppHost*>(0x2000);
};

TEST_F(PluginRunTest, RunsClientAndReturnsItsResult) {
    ::testing::InSequence order;
    EXPECT_CALL(client, Init()).WillOnce(Return(1));
    EXPECT_CALL(client, Run(U16Eq(u"--cmd"))).WillOnce(Return(7));
    EXPECT_CALL(client, Uninit());
    EXPECT_EQ(Run(), 7);
    EXPECT_EQ(loader.loadedPath, u"/opt/q/zenk.so");
    EXPECT_EQ(FakeLoader::s_host, host);
    EXPECT_EQ(loader.frees, 1);
}

TEST_F(PluginRunTest, MissingLibraryGivesOne) {
    loader.loads = false;
    EXPECT_CALL(client, Init()).Times(0);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(loader.frees, 0);
}

TEST_F(PluginRunTest, MissingExportGivesOneAndFreesLibrary) {
    loader.exports = false;
    EXPECT_CALL(client, Init()).Times(0);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(loader.frees, 1);
}

TEST_F(PluginRunTest, NullClientGivesOneAndFreesLibrary) {
    FakeLoader::s_client = nullptr;
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(loader.frees, 1);
}

TEST_F(PluginRunTest, FailedInitSkipsRunAndUninit) {
    EXPECT_CALL(client, Init()).WillOnce(Return(0));
    EXPECT_CALL(client, Run(::testing::_)).Times(0);
    EXPECT_CALL(client, Uninit()).Times(0);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(loader.frees, 1);
}

}  // namespace
