#include <gtest/gtest.h>

#include "common/device/Frame.h"
#include "families/FamilyData.h"
#include "plugin/model/ParamPacking.h"

namespace {

using qv::model::PackParamFrames;
using qv::model::ParamFrame;
using qv::model::ParamValue;
using qv::model::UnpackNotification;

std::map<std::int32_t, std::int32_t> FirstParams(int count) {
    std::map<std::int32_t, std::int32_t> changed;
    for (int id = 0; id < count; ++id) changed[id] = id * 3;
    return changed;
}

TEST(PackParamFrames, ElevenTriplesAFrameAndTheLastFrameMarked) {
    const auto frames = PackParamFrames(FirstParams(12), DorbIIFamily().descriptors);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0][0], 0x94);
    EXPECT_EQ(frames[0][2], 0);
    EXPECT_EQ(frames[0][4], 11);
    EXPECT_EQ(frames[0][38], 0);
    EXPECT_EQ(frames[1][2], 1);
    EXPECT_EQ(frames[1][4], 1);
    EXPECT_EQ(frames[1][5], 11);  // ascending ids carry on in the next frame
    EXPECT_EQ(frames[1][38], 1);
    for (const ParamFrame& frame : frames) EXPECT_TRUE(qv::frame::HasValidCrc(frame.data()));
    EXPECT_TRUE(PackParamFrames({}, DorbIIFamily().descriptors).empty());
}

TEST(PackParamFrames, FullSetIsFiveFramesOfElevenElevenElevenElevenOne) {
    const auto frames = PackParamFrames(FirstParams(45), DorbIIFamily().descriptors);
    ASSERT_EQ(frames.size(), 5u);
    const int expected[] = {11, 11, 11, 11, 1};
    int nextId = 0;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        EXPECT_EQ(frames[f][4], expected[f]);
        EXPECT_EQ(frames[f][38], f == 4 ? 1 : 0);
        for (int k = 0; k < frames[f][4]; ++k) EXPECT_EQ(frames[f][5 + 3 * k], nextId++);
    }
    // Eleven triples end at byte 37, just before the last-frame byte.
    EXPECT_EQ(frames[0][5 + 3 * 10 + 2], (10 * 3) & 0xFF);
}

TEST(PackParamFrames, ValuesAreMaskedToTwelveBitsBelowTheTagAndNegativeOnesSentAsZero) {
    const std::map<std::int32_t, std::int32_t> changed = {
        {0, 0}, {1, 0xFF}, {2, 0x100}, {3, 0xFFF}, {4, 0x1000}, {5, -1}, {6, 0x7FFFFFFF}};
    const ParamFrame frame = PackParamFrames(changed, DorbIIFamily().descriptors).at(0);
    auto triple = [&](int k) {
        return std::array<int, 3>{frame[5 + 3 * k], frame[6 + 3 * k], frame[7 + 3 * k]};
    };
    EXPECT_EQ(triple(0), (std::array<int, 3>{0, 0x10, 0x00}));
    EXPECT_EQ(triple(1), (std::array<int, 3>{1, 0x10, 0xFF}));
    EXPECT_EQ(triple(2), (std::array<int, 3>{2, 0x11, 0x00}));
    EXPECT_EQ(triple(3), (std::array<int, 3>{3, 0x1F, 0xFF}));
    EXPECT_EQ(triple(4), (std::array<int, 3>{4, 0x10, 0x00}));
    EXPECT_EQ(triple(5), (std::array<int, 3>{5, 0x10, 0x00}));  // a negative value goes out as 0
    EXPECT_EQ(triple(6), (std::array<int, 3>{6, 0x1F, 0xFF}));
}

ParamFrame Notification(std::initializer_list<std::array<std::uint8_t, 3>> triples, int count = -1) {
    ParamFrame frame{};
    frame[0] = 0x9E;
    frame[4] = static_cast<std::uint8_t>(count >= 0 ? count : static_cast<int>(triples.size()));
    int k = 0;
    for (const auto& t : triples) {
        for (int i = 0; i < 3; ++i) frame[static_cast<std::size_t>(5 + 3 * k + i)] = t[static_cast<std::size_t>(i)];
        ++k;
    }
    return frame;
}

TEST(UnpackNotification, ReadsTwelveBitValuesAndIgnoresTheHighNibble) {
    const auto n = UnpackNotification(
        Notification({{{25, 0x00, 0x0F}}, {{26, 0xF0, 0xFF}}, {{27, 0xFF, 0xFF}}, {{28, 0x01, 0x00}}}));
    EXPECT_EQ(n.countClaimed, 4);
    const std::vector<ParamValue> expected = {{25, 15}, {26, 0xFF}, {27, 0xFFF}, {28, 0x100}};
    EXPECT_EQ(n.triples, expected);
}

TEST(UnpackNotification, ReadsAtMostElevenTriplesWhateverTheCountClaims) {
    ParamFrame frame{};
    for (std::size_t i = 5; i < frame.size(); ++i) frame[i] = 0x21;
    for (int count : {12, 200, 255}) {
        frame[4] = static_cast<std::uint8_t>(count);
        const auto n = UnpackNotification(frame);
        EXPECT_EQ(n.countClaimed, count);
        EXPECT_EQ(n.triples.size(), 11u);
    }
    frame[4] = 0;
    EXPECT_TRUE(UnpackNotification(frame).triples.empty());
}

TEST(UnpackNotification, ReadsBackWhatWasPacked) {
    std::map<std::int32_t, std::int32_t> changed;
    for (int id = 0; id < 11; ++id) changed[id] = (id * 389) & 0xFFF;
    ParamFrame frame = PackParamFrames(changed, DorbIIFamily().descriptors).at(0);
    const auto n = UnpackNotification(frame);
    ASSERT_EQ(n.triples.size(), 11u);
    for (const auto& [id, value] : n.triples) EXPECT_EQ(changed.at(id), value);
}

}  // namespace
