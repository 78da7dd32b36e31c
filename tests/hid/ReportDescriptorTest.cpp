#include <gtest/gtest.h>

#include <vector>

#include "platform/hid/ReportDescriptor.h"

namespace {

using qv::hid::ParseReportDescriptor;
using Bytes = std::vector<std::uint8_t>;

qv::hid::ReportLengths Parse(const Bytes& d) { return ParseReportDescriptor(d.data(), d.size()); }

// A vendor-defined interface like the card's: 64 bytes in, 40 bytes out.
const Bytes kCardDescriptor = {
    0x06, 0x00, 0xFF,  // usage page (vendor)
    0x09, 0x01,        // usage
    0xA1, 0x01,        // collection (application)
    0x15, 0x00,        //   logical minimum 0
    0x26, 0xFF, 0x00,  //   logical maximum 255
    0x75, 0x08,        //   report size 8
    0x95, 0x40,        //   report count 64
    0x09, 0x01, 0x81, 0x02,  // input
    0x95, 0x28,        //   report count 40
    0x09, 0x01, 0x91, 0x02,  // output
    0xC0,              // end collection
};

TEST(ReportDescriptor, CardLengthsCountTheReportIdByte) {
    auto lengths = Parse(kCardDescriptor);
    EXPECT_EQ(lengths.input, 65);
    EXPECT_EQ(lengths.output, 41);
    EXPECT_EQ(lengths.feature, 0);
    EXPECT_FALSE(lengths.numbered);
}

TEST(ReportDescriptor, NumberedReportsTakeTheLargestAndSumItemsPerReport) {
    const Bytes d = {
        0x85, 0x01, 0x75, 0x08, 0x95, 0x10, 0x81, 0x02,  // id 1: 16 bytes in
        0x85, 0x02, 0x95, 0x08, 0x81, 0x02,              // id 2: 8 bytes in ...
        0x75, 0x01, 0x95, 0x0C, 0x81, 0x02,              //        + 12 bits -> 10 bytes
        0x85, 0x03, 0x75, 0x08, 0x96, 0x00, 0x01, 0x91, 0x02,  // id 3: 256 bytes out
        0x95, 0x04, 0xB1, 0x02,                          // id 3: 4 bytes feature
    };
    auto lengths = Parse(d);
    EXPECT_TRUE(lengths.numbered);
    EXPECT_EQ(lengths.input, 17);
    EXPECT_EQ(lengths.output, 257);
    EXPECT_EQ(lengths.feature, 5);
}

TEST(ReportDescriptor, PushAndPopRestoreGlobals) {
    const Bytes d = {
        0x75, 0x08, 0x95, 0x02,  // 8 x 2
        0xA4,                    // push
        0x95, 0x20, 0x91, 0x02,  // output 32 bytes
        0xB4,                    // pop: back to 8 x 2
        0x81, 0x02,              // input 2 bytes
    };
    auto lengths = Parse(d);
    EXPECT_EQ(lengths.output, 33);
    EXPECT_EQ(lengths.input, 3);
}

TEST(ReportDescriptor, LongItemsAreSkippedAndTruncatedItemsEndTheWalk) {
    Bytes d = {0xFE, 0x02, 0x10, 0xAA, 0xBB,  // long item with two data bytes
               0x75, 0x08, 0x95, 0x04, 0x81, 0x02};
    EXPECT_EQ(Parse(d).input, 5);
    d.push_back(0x96);  // report count with a two-byte value, cut short
    d.push_back(0x01);
    EXPECT_EQ(Parse(d).input, 5);
    EXPECT_EQ(Parse({}).input, 0);
    EXPECT_EQ(ParseReportDescriptor(nullptr, 10).output, 0);
}

TEST(ReportDescriptor, HugeCountsStayBounded) {
    const Bytes d = {0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF,
                     0x81, 0x02, 0x81, 0x02};
    EXPECT_GT(Parse(d).input, 0);
    EXPECT_LE(Parse(d).input, (1 << 21) + 1);
}

}  // namespace
