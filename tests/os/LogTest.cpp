#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
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

// What came from outside is written as one line whatever it holds: control
// characters as escapes, on the hook, the debug file and stderr alike.
TEST_F(LogTest, ControlCharactersAreWrittenAsEscapes) {
    const struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"busy\r\n2026-01-01 00:00:00.000 ERROR [soui] forged", "busy\\r\\n2026-01-01 00:00:00.000 ERROR [soui] forged"},
        {"url:http://h/a\r\nb.mp3 return code:404.", "url:http://h/a\\r\\nb.mp3 return code:404."},
        {"\x1b[2J\x1b]0;title\x07 tab\there", "\\x1b[2J\\x1b]0;title\\x07 tab\\there"},
        {"del\x7f c1\xc2\x9b" "31m 大厅 \\n stays", "del\\x7f c1\\u009b31m 大厅 \\n stays"},
        {"trace line end\n", "trace line end"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(qv::os::EscapeControls(c.text), c.written);
        g_debugLines.clear();
        QV_LOGE("%s", c.text);
        QV_TRACE("%s", c.text);
        EXPECT_EQ(g_debugLines, (std::vector<std::string>{c.written, c.written}));
    }

    // The program's debug file: one line per text.
    qv::os::SetDebugOutputHook(nullptr);
    char folder[] = "/tmp/qv-logtest-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string file = std::string(folder) + "/debug.log";
    // One left past its cap by earlier runs is begun anew.
    std::ofstream(file) << std::string(qv::os::kDebugFileCap + 1, 'x');
    ASSERT_TRUE(qv::os::SetDebugOutputFile(file));
    for (const auto& c : cases) QV_TRACE("%s", c.text);
    ASSERT_TRUE(qv::os::SetDebugOutputFile(""));
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), std::size(cases));
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], cases[i].written);
    std::filesystem::remove_all(folder);
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
