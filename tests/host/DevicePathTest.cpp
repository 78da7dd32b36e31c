#include "host/DevicePath.h"

#include <gtest/gtest.h>

namespace {

struct Ids {
    bool ok;
    std::uint16_t vid;
    std::uint16_t pid;
};

Ids Parse(std::u16string_view path) {
    Ids ids{false, 0xFFFF, 0xFFFF};
    ids.ok = ParseDevicePath(path, &ids.vid, &ids.pid);
    return ids;
}

TEST(DevicePath, ReadsIdsOfAnInterfacePath) {
    const Ids ids = Parse(u"\\\\?\\hid#VID_2B53&PID_0036&MI_03#7&1a2b&0&0000#{4d1e55b2}");
    EXPECT_TRUE(ids.ok);
    EXPECT_EQ(ids.vid, 0x2B53);
    EXPECT_EQ(ids.pid, 0x0036);
}

TEST(DevicePath, IgnoresCase) {
    const Ids ids = Parse(u"\\\\?\\hid#vid_2b53&pid_001d#x");
    EXPECT_TRUE(ids.ok);
    EXPECT_EQ(ids.vid, 0x2B53);
    EXPECT_EQ(ids.pid, 0x001D);
}

TEST(DevicePath, RefusesPathWithoutVendorMarker) {
    EXPECT_FALSE(Parse(u"\\\\?\\hid&VID_2B53&PID_0036").ok);
    EXPECT_FALSE(Parse(u"").ok);
    EXPECT_FALSE(Parse(u"#VIDX2B53&PID_0036").ok);
}

TEST(DevicePath, RefusesNonHexDigits) {
    EXPECT_FALSE(Parse(u"#VID_2B5G&PID_0036").ok);
    EXPECT_FALSE(Parse(u"#VID_2B53&PID_00X6").ok);
    EXPECT_FALSE(Parse(u"#VID_+B53&PID_0036").ok);
    EXPECT_FALSE(Parse(u"#VID_ 2B5&PID_0036").ok);
}

TEST(DevicePath, RefusesPathsTooShortForBothIds) {
    EXPECT_FALSE(Parse(u"#VID_2B53").ok);
    EXPECT_FALSE(Parse(u"#VID_2B53&PID_003").ok);
    EXPECT_TRUE(Parse(u"#VID_2B53&PID_0036").ok);
}

TEST(DevicePath, FailedParseLeavesOutputsAlone) {
    const Ids ids = Parse(u"#VID_2B53&PID_00");
    EXPECT_FALSE(ids.ok);
    EXPECT_EQ(ids.vid, 0xFFFF);
    EXPECT_EQ(ids.pid, 0xFFFF);
}

TEST(DevicePath, UsesFirstVendorMarker) {
    const Ids ids = Parse(u"a#VID_0001&PID_0002#VID_2B53&PID_0036");
    EXPECT_TRUE(ids.ok);
    EXPECT_EQ(ids.vid, 0x0001);
    EXPECT_EQ(ids.pid, 0x0002);
}

}  // namespace
