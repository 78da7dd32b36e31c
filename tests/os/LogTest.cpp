#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/os/Log.h"

namespace {

std::vector<std::string> g_debugLines;
void CaptureDebug(const char* text) { g_debugLines.push_back(text); }

struct RecordingSink : qv::os::ILogSink {
    int minLevel = qv::os::kLogError;
    std::vector<std::string> functions, texts;
    bool IsEnabled(int logger, int level) override { return logger == 0 && level >= minLevel; }
    void Push(int, const qv::os::LogRecord& r) override {
        functions.push_back(r.function);
        texts.push_back(r.text);
    }
};

struct Widget {
    int Open(int code) {
        QV_LOGE("error code %d", code);
        return 0;
    }
};

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_debugLines.clear();
        qv::os::SetDebugOutputHook(CaptureDebug);
    }
    void TearDown() override {
        qv::os::SetLogSink(nullptr);
        qv::os::SetDebugOutputHook(nullptr);
    }
};

TEST_F(LogTest, WithoutSinkTheTextGoesToDebugOutput) {
    Widget().Open(5);
    ASSERT_EQ(g_debugLines.size(), 1u);
    EXPECT_EQ(g_debugLines[0], "error code 5");
}

TEST_F(LogTest, SinkGetsQualifiedFunctionAndFilteredLevelsFallBack) {
    RecordingSink sink;
    qv::os::SetLogSink(&sink);
    Widget().Open(7);
    QV_LOGW("a warning");
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.functions[0], "{anonymous}::Widget::Open");
    ASSERT_EQ(g_debugLines.size(), 1u);
    EXPECT_EQ(g_debugLines[0], "a warning");
}

TEST_F(LogTest, LongTextsAreCutAt2048Bytes) {
    std::string longText(5000, 'x');
    QV_LOGE("%s", longText.c_str());
    ASSERT_EQ(g_debugLines.size(), 1u);
    EXPECT_EQ(g_debugLines[0].size(), static_cast<size_t>(qv::os::kLogBufferSize - 1));
}

TEST(QualifiedFunctionName, StripsReturnTypeAndArguments) {
    char out[128];
    EXPECT_STREQ(qv::os::QualifiedFunctionName("BOOL CHidBase::OpenDevice()", out, sizeof out),
                 "CHidBase::OpenDevice");
    EXPECT_STREQ(qv::os::QualifiedFunctionName(
                     "std::vector<int, A<B> > ns::Foo<int>::Bar(int)", out, sizeof out),
                 "ns::Foo<int>::Bar");
}

}  // namespace
