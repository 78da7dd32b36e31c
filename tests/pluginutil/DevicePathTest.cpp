#include <gtest/gtest.h>

#include <cstdint>

#include "plugin/device/DevicePath.h"

namespace {

TEST(ParseVidPid, ReadsBothIdsInAnyCase) {
    std::uint16_t vid = 0, pid = 0;
    EXPECT_EQ(ParseVidPid(u"/dev/hidraw2#VID_2B53&PID_0036#0001", vid, pid), 1);
    EXPECT_EQ(vid, 0x2B53);
    EXPECT_EQ(pid, 0x0036);
    EXPECT_EQ(ParseVidPid(u"\\\\?\\hid#vid_2b53&pid_001d&mi_00#7&2f", vid, pid), 1);
    EXPECT_EQ(pid, 0x001D);
    // The fixed offsets are read whatever stands between them.
    EXPECT_EQ(ParseVidPid(u"#VID_ABCD-XXXX0020", vid, pid), 1);
    EXPECT_EQ(vid, 0xABCD);
    EXPECT_EQ(pid, 0x0020);
}

TEST(ParseVidPid, WithoutMarkerNothingIsTouched) {
    std::uint16_t vid = 7, pid = 8;
    EXPECT_EQ(ParseVidPid(u"/dev/hidraw2", vid, pid), 0);
    EXPECT_EQ(ParseVidPid(u"", vid, pid), 0);
    EXPECT_EQ(ParseVidPid(nullptr, vid, pid), 0);
    EXPECT_EQ(ParseVidPid(u"#VID2B53&PID_0036", vid, pid), 0);
    EXPECT_EQ(vid, 7);
    EXPECT_EQ(pid, 8);
}

TEST(ParseVidPid, ShortPathsAreCheckedBeforeTheOffsets) {
    std::uint16_t vid = 7, pid = 8;
    EXPECT_EQ(ParseVidPid(u"#VID_2B5", vid, pid), 0);
    EXPECT_EQ(vid, 7);
    // The vendor id is kept once it parsed, even when the product id does not.
    EXPECT_EQ(ParseVidPid(u"#VID_2B53&PID_003", vid, pid), 0);
    EXPECT_EQ(vid, 0x2B53);
    EXPECT_EQ(pid, 8);
    EXPECT_EQ(ParseVidPid(u"#VID_1111", vid, pid), 0);
    EXPECT_EQ(vid, 0x1111);
}

TEST(ParseVidPid, OnlyFourHexDigitsMakeAnId) {
    std::uint16_t vid = 7, pid = 8;
    EXPECT_EQ(ParseVidPid(u"#VID_2B5G&PID_0036", vid, pid), 0);
    EXPECT_EQ(ParseVidPid(u"#VID_ +2B&PID_0036", vid, pid), 0);
    EXPECT_EQ(ParseVidPid(u"#VID_0X2B&PID_0036", vid, pid), 0);
    EXPECT_EQ(vid, 7);
    EXPECT_EQ(ParseVidPid(u"#VID_2B53&PID_-036", vid, pid), 0);
    EXPECT_EQ(pid, 8);
}

}  // namespace
