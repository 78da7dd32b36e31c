#include <gtest/gtest.h>

#include "platform/ui/AttrParse.h"
#include "platform/ui/SStringW.h"
#include "platform/ui/STrText.h"
#include "platform/ui/SwndLayout.h"

namespace qv::ui {
namespace {

TEST(SStringWTest, FormatTakesWideAndNarrowStringsAndNumbers) {
    SStringW s = SStringW::Format(u"%s=%d (%hs) %.2f %04X %c %-4s|", u"音量", -12, "utf8", 1.5, 0xBEEF, u'Z', u"ab");
    EXPECT_EQ(s, u"音量=-12 (utf8) 1.50 BEEF Z ab  |");
    EXPECT_EQ(SStringW::Format(u"%5d%%", 42), u"   42%");
    SStringW a(u"x");
    a.AppendFormat(u"%lld", 1234567890123LL);
    EXPECT_EQ(a, u"x1234567890123");
}

TEST(SStringWTest, EditingAndSearching) {
    SStringW s(u"  Hello, World \t");
    s.Trim();
    EXPECT_EQ(s, u"Hello, World");
    EXPECT_EQ(s.GetLength(), 12);
    EXPECT_EQ(s.Find(u'o'), 4);
    EXPECT_EQ(s.Find(u"o", 5), 8);
    EXPECT_EQ(s.Find(u"xyz"), -1);
    EXPECT_EQ(s.Mid(7), u"World");
    EXPECT_EQ(s.Left(5), u"Hello");
    EXPECT_EQ(s.Right(5), u"World");
    EXPECT_EQ(s.Mid(50), u"");
    EXPECT_EQ(s.Replace(u"o", u"0"), 2);
    EXPECT_EQ(s, u"Hell0, W0rld");
    EXPECT_EQ(SStringW(u"SMENU").CompareNoCase(u"smenu"), 0);
    EXPECT_LT(SStringW(u"abc").CompareNoCase(u"ABD"), 0);
}

TEST(SStringWTest, NumbersParseLikeTheWideCFunctions) {
    int used = 0;
    EXPECT_EQ(WcsToL(u"  42abc", 10, &used), 42);
    EXPECT_EQ(used, 4);
    EXPECT_EQ(WcsToL(u"ff", 16), 255);
    EXPECT_DOUBLE_EQ(WcsToD(u" -1.25dB", &used), -1.25);
    EXPECT_EQ(used, 6);
    EXPECT_EQ(WcsToL(u"x", 10, &used), 0);
    EXPECT_EQ(used, 0);
}

TEST(SStringWTest, DisplayTextUndoublesAmpersands) {
    EXPECT_EQ(DisplayText(u"Tom && Jerry"), u"Tom & Jerry");
    EXPECT_EQ(DisplayText(u"&File"), u"File");
    EXPECT_EQ(DisplayText(u"a&&&&b"), u"a&&b");
}

TEST(AttrParseTest, NumbersColoursAndPairs) {
    EXPECT_EQ(ParseInt(u"0x1F"), 31);
    EXPECT_EQ(ParseInt(u"-12"), -12);
    EXPECT_EQ(ParseInt(u"0xFFFFFFFF"), -1);
    EXPECT_FALSE(ParseInt(u"12px"));
    EXPECT_FALSE(ParseInt(u""));
    EXPECT_EQ(ParseColor(u"#3DA9FC"), RGBA(0x3D, 0xA9, 0xFC, 0xFF));
    EXPECT_EQ(ParseColor(u"#11223344"), RGBA(0x11, 0x22, 0x33, 0x44));
    EXPECT_EQ(ParseColor(u"rgba(1,2,3,4)"), RGBA(1, 2, 3, 4));
    EXPECT_FALSE(ParseColor(u""));
    EXPECT_FALSE(ParseColor(u"#12345G"));
    EXPECT_EQ(ToArgb(RGBA(0x11, 0x22, 0x33, 0x44)), 0x44112233u);
    EXPECT_EQ(ParseSize(u"3,-4"), CSize(3, -4));
    EXPECT_FALSE(ParseSize(u"3"));
    EXPECT_EQ(ParseBool(u"0"), false);
    EXPECT_EQ(ParseBool(u"yes"), true);
}

TEST(SwndLayoutTest, AnchoredPositions) {
    CRect parent(100, 50, 300, 150);
    auto pos = ParsePos(u"10,-20,-0,@30");
    ASSERT_TRUE(pos);
    EXPECT_EQ(ComputePosRect(*pos, parent, {}, {}), CRect(110, 130, 300, 160));
    pos = ParsePos(u"|-10,%50,|10,-0");
    ASSERT_TRUE(pos);
    EXPECT_EQ(ComputePosRect(*pos, parent, {}, {}), CRect(190, 100, 210, 150));
    pos = ParsePos(u"[4,]2");
    ASSERT_TRUE(pos);
    pos->width = kSizeWrapContent;
    pos->height = 10;
    EXPECT_EQ(ComputePosRect(*pos, parent, CRect(120, 60, 140, 70), CSize(33, 12)), CRect(144, 62, 177, 72));
    EXPECT_FALSE(ParsePos(u"1,2,3"));
    EXPECT_FALSE(ParsePos(u"@1,2"));
    EXPECT_FALSE(ParsePos(u"a,b"));
}

}  // namespace
}  // namespace qv::ui
