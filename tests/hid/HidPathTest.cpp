#include <gtest/gtest.h>

#include "platform/hid/Hid.h"
#include "platform/hid/HidPath.h"

namespace {

using qv::hid::HidrawNodeFromPath;
using qv::hid::InstanceFromPath;
using qv::hid::MakeDevicePath;
using qv::hid::ParseIdsFromPath;

bool Parse(const std::u16string& path, std::uint16_t& vid, std::uint16_t& pid) {
    vid = pid = 0;
    return ParseIdsFromPath(path, &vid, &pid);
}

TEST(HidPath, SynthesisedPathParsesBackWithUpperCaseIds) {
    const std::u16string path = MakeDevicePath(0x2b53, 0x00ab, u"hidraw3");
    EXPECT_EQ(path, u"\\\\?\\hid#VID_2B53&PID_00AB#hidraw3#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    std::uint16_t vid, pid;
    ASSERT_TRUE(Parse(path, vid, pid));
    EXPECT_EQ(vid, 0x2B53);
    EXPECT_EQ(pid, 0x00AB);
    EXPECT_EQ(InstanceFromPath(path), u"hidraw3");
    EXPECT_EQ(HidrawNodeFromPath(path), "/dev/hidraw3");
}

TEST(HidPath, ParseIgnoresCase) {
    std::uint16_t vid, pid;
    ASSERT_TRUE(Parse(u"\\\\?\\hid#vid_2b53&pid_0036#7&1f&0&0000#{guid}", vid, pid));
    EXPECT_EQ(vid, 0x2B53);
    EXPECT_EQ(pid, 0x0036);
    EXPECT_EQ(HidrawNodeFromPath(u"\\\\?\\hid#vid_2b53&pid_0036#HIDRAW12#{x}"), "/dev/hidraw12");
}

TEST(HidPath, ParseRefusesMalformedPaths) {
    std::uint16_t vid, pid;
    EXPECT_FALSE(Parse(u"", vid, pid));
    EXPECT_FALSE(Parse(u"\\\\?\\hid#2B53&PID_0036#x", vid, pid));       // no "#VID_"
    EXPECT_FALSE(Parse(u"\\\\?\\hid#VID_2G53&PID_0036#x", vid, pid));   // not hex
    EXPECT_FALSE(Parse(u"\\\\?\\hid#VID_2B53&PID_00 6#x", vid, pid));   // blank in the digits
    EXPECT_FALSE(Parse(u"\\\\?\\hid#VID_+B53&PID_0036#x", vid, pid));   // sign is not a digit
    EXPECT_FALSE(Parse(u"#VID_2B53&PID_003", vid, pid));                // one digit short
    EXPECT_FALSE(Parse(u"#VID_2B53", vid, pid));
    EXPECT_EQ(vid, 0);  // nothing written on failure
    EXPECT_TRUE(Parse(u"#VID_2B53&PID_0036", vid, pid));                // exactly long enough
    // Only the digit positions count, not what stands between them.
    EXPECT_TRUE(Parse(u"#VID_2B53xxxxx0036", vid, pid));
    EXPECT_EQ(pid, 0x0036);
}

TEST(HidPath, HidrawNodeOnlyForPlainNodeNames) {
    EXPECT_FALSE(HidrawNodeFromPath(MakeDevicePath(1, 2, u"hidraw")));
    EXPECT_FALSE(HidrawNodeFromPath(MakeDevicePath(1, 2, u"hidraw1/../../etc")));
    EXPECT_FALSE(HidrawNodeFromPath(MakeDevicePath(1, 2, u"cardsim&1")));
    EXPECT_FALSE(HidrawNodeFromPath(u"\\\\?\\hid#VID_0001&PID_0002"));
    EXPECT_FALSE(InstanceFromPath(u"\\\\?\\hid#VID_0001&PID_0002##{x}"));
}

}  // namespace
