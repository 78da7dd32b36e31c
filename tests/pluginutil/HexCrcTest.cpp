#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/device/Frame.h"
#include "plugin/device/HexCrc.h"

namespace {

TEST(HexEncodeWithCrc, EmptyRecordIsJustItsCheckByte) {
    const std::uint8_t none[1] = {};
    char16_t out[3] = {u'x', u'x', u'x'};
    EXPECT_EQ(HexEncodeWithCrc(none, 0, out, 3), 1);
    EXPECT_EQ(std::u16string(out), u"FF");
    EXPECT_EQ(HexEncodeWithCrc(none, 0, out, 2), 0);
}

TEST(HexEncodeWithCrc, WritesUpperCaseDigitsAndTheFrameChecksum) {
    const std::uint8_t data[] = {0x00, 0x9E, 0xFF, 0x0A};
    char16_t out[11];
    ASSERT_EQ(HexEncodeWithCrc(data, 4, out, 11), 1);
    char tail[3];
    std::snprintf(tail, sizeof tail, "%02X", qv::frame::Crc8(data, 4));
    std::u16string expected = u"009EFF0A";
    expected += static_cast<char16_t>(tail[0]);
    expected += static_cast<char16_t>(tail[1]);
    EXPECT_EQ(std::u16string(out), expected);
    EXPECT_EQ(HexEncodeWithCrc(data, 4, out, 10), 0);
    EXPECT_EQ(HexEncodeWithCrc(nullptr, 4, out, 11), 0);
    EXPECT_EQ(HexEncodeWithCrc(data, 4, nullptr, 11), 0);
    EXPECT_EQ(HexEncodeWithCrc(data, -1, out, 11), 0);
}

TEST(HexDecodeWithCrc, RoundTripsAndRejectsAnyChangedDigit) {
    std::uint8_t data[40];
    for (int i = 0; i < 40; ++i) data[i] = static_cast<std::uint8_t>(i * 37 + 5);
    char16_t text[83];
    ASSERT_EQ(HexEncodeWithCrc(data, 40, text, 83), 1);
    std::uint8_t decoded[40] = {};
    ASSERT_EQ(HexDecodeWithCrc(text, decoded, 40), 1);
    EXPECT_EQ(0, std::memcmp(decoded, data, 40));

    for (int i = 0; i < 82; ++i) {
        std::u16string changed(text);
        changed[i] = changed[i] == u'0' ? u'1' : u'0';
        EXPECT_EQ(HexDecodeWithCrc(changed.c_str(), decoded, 40), 0) << "digit " << i;
    }
    EXPECT_EQ(HexDecodeWithCrc(text, decoded, 39), 0);
}

TEST(HexDecodeWithCrc, RefusesMalformedTexts) {
    std::uint8_t out[4] = {};
    EXPECT_EQ(HexDecodeWithCrc(u"FF", out, 0), 1);
    EXPECT_EQ(HexDecodeWithCrc(u"ff", out, 4), 0);
    EXPECT_EQ(HexDecodeWithCrc(u"", out, 4), 0);
    EXPECT_EQ(HexDecodeWithCrc(u"F", out, 4), 0);
    EXPECT_EQ(HexDecodeWithCrc(u"00F", out, 4), 0);
    EXPECT_EQ(HexDecodeWithCrc(u"0G00", out, 4), 0);
    EXPECT_EQ(HexDecodeWithCrc(nullptr, out, 4), 0);
    EXPECT_EQ(HexDecodeWithCrc(u"FF", nullptr, 4), 0);
}

}  // namespace
