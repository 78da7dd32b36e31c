#include <gtest/gtest.h>

#include "common/device/Frame.h"

namespace {

TEST(Frame, ChecksumsOfTheWorkedExamples) {
    std::uint8_t frame[qv::frame::kBufferSize] = {};
    frame[0] = 0x26;
    EXPECT_EQ(qv::frame::Seal(frame), 0xA9);

    std::uint8_t session[qv::frame::kBufferSize] = {};
    session[0] = 0x90;
    session[4] = 1;
    EXPECT_EQ(qv::frame::Seal(session), 0x7B);
    EXPECT_TRUE(qv::frame::HasValidCrc(session));
}

TEST(Frame, BytesPastTheFrameDoNotCount) {
    std::uint8_t a[qv::frame::kBufferSize] = {0x94, 1, 2, 0, 5};
    std::uint8_t b[qv::frame::kBufferSize] = {0x94, 1, 2, 0, 5};
    for (int i = qv::frame::kFrameLength; i < qv::frame::kBufferSize; ++i) b[i] = 0xEE;
    EXPECT_EQ(qv::frame::Seal(a), qv::frame::Seal(b));
    b[7] ^= 1;
    EXPECT_FALSE(qv::frame::HasValidCrc(b));
}

}  // namespace
