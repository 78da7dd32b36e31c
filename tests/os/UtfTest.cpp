#include <gtest/gtest.h>

#include "platform/os/Utf.h"

namespace {
using namespace qv::os;

TEST(Utf, RoundTripsChineseAndAstralText) {
    std::u16string text = u"提示 Quorvel \U0001F3A4";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(u"提示"), "\xE6\x8F\x90\xE7\xA4\xBA");
}

TEST(Utf, InvalidInputBecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xE6\x8F"), u"\uFFFD\uFFFD");   // truncated sequence
    EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), u"\uFFFD\uFFFD");   // overlong NUL
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

TEST(Utf, CaseInsensitiveComparison) {
    EXPECT_TRUE(EqualsNoCase(u"\\\\?\\hid#vid_2b53&pid_0011", u"\\\\?\\HID#VID_2B53&PID_0011"));
    EXPECT_FALSE(EqualsNoCase(u"abc", u"abd"));
    EXPECT_FALSE(EqualsNoCase(u"abc", u"abcd"));
}

}  // namespace
