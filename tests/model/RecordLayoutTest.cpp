#include <gtest/gtest.h>

#include <cstring>

#include "plugin/model/CDownloadEffectList.h"
#include "plugin/model/RecordBytes.h"
#include "plugin/model/RecordText.h"

namespace {

std::int32_t Int32At(const std::uint8_t* bytes, std::size_t offset) {
    return static_cast<std::int32_t>(bytes[offset] | bytes[offset + 1] << 8 |
                                     bytes[offset + 2] << 16 |
                                     static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

TEST(RecordLayout, EffectRecordBytesAreLittleEndianWithUtf16Texts) {
    EffectRecord record{};
    record.values[0] = 0x01020304;
    record.values[63] = -2;
    SetFieldText(record.name, u"原A");
    SetFieldText(record.remark, u"r");
    SetFieldText(record.nickname, u"n");
    record.id = 77;
    record.emptyFlag = 1;
    const auto bytes = RecordToBytes(record);
    ASSERT_EQ(bytes.size(), 1032u);
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(bytes[3], 0x01);
    EXPECT_EQ(Int32At(bytes.data(), 252), -2);
    EXPECT_EQ(bytes[256], 0x9F);  // U+539F, low byte first
    EXPECT_EQ(bytes[257], 0x53);
    EXPECT_EQ(bytes[258], 'A');
    EXPECT_EQ(bytes[259], 0);
    EXPECT_EQ(bytes[384], 'r');
    EXPECT_EQ(bytes[896], 'n');
    EXPECT_EQ(Int32At(bytes.data(), 1024), 77);
    EXPECT_EQ(Int32At(bytes.data(), 1028), 1);
}

TEST(RecordLayout, GroupPresetIs168BytesInItsStoredOrder) {
    GroupPreset preset{};
    SetFieldText(preset.name, u"明亮");
    preset.values[0] = 11;
    preset.values[31] = 0x0A0B0C0D;
    preset.valueCount = 10;
    const auto bytes = RecordToBytes(preset);
    ASSERT_EQ(bytes.size(), 168u);
    EXPECT_EQ(bytes[0], 0x0E);  // U+660E
    EXPECT_EQ(bytes[1], 0x66);
    EXPECT_EQ(Int32At(bytes.data(), 32), 11);
    EXPECT_EQ(Int32At(bytes.data(), 32 + 31 * 4), 0x0A0B0C0D);
    EXPECT_EQ(Int32At(bytes.data(), 160), 10);
    EXPECT_EQ(Int32At(bytes.data(), 164), 0);
}

TEST(RecordLayout, ReadBackNeedsTheExactLengthAndTerminatesTexts) {
    std::vector<std::uint8_t> bytes(sizeof(GroupPreset), 0);
    for (int i = 0; i < 16; ++i) {  // a name filling the whole field, no terminator
        bytes[static_cast<std::size_t>(2 * i)] = 'x';
    }
    const auto preset = RecordFromBytes<GroupPreset>(bytes);
    ASSERT_TRUE(preset);
    EXPECT_EQ(FieldText(preset->name), std::u16string(15, u'x'));

    std::vector<std::uint8_t> effect(sizeof(EffectRecord), 0x41);
    const auto record = RecordFromBytes<EffectRecord>(effect);
    ASSERT_TRUE(record);
    EXPECT_EQ(FieldText(record->name).size(), 63u);
    EXPECT_EQ(FieldText(record->remark).size(), 255u);
    EXPECT_EQ(FieldText(record->nickname).size(), 63u);

    bytes.pop_back();
    EXPECT_FALSE(RecordFromBytes<GroupPreset>(bytes));
    effect.push_back(0);
    EXPECT_FALSE(RecordFromBytes<EffectRecord>(effect));
}

TEST(RecordText, SetFieldTextCutsAndClearsTheRest) {
    char16_t field[4] = {u'a', u'b', u'c', u'd'};
    SetFieldText(field, u"xy");
    EXPECT_EQ(field[2], 0);
    EXPECT_EQ(field[3], 0);
    SetFieldText(field, u"123456");
    EXPECT_EQ(FieldText(field), u"123");
}

EffectRecord Downloaded(std::int32_t cloudId, std::int32_t firstValue) {
    EffectRecord record{};
    record.id = cloudId;
    record.values[0] = firstValue;
    return record;
}

TEST(CDownloadEffectList, LaterRecordOfACloudIdWins) {
    CDownloadEffectList list;
    EXPECT_EQ(list.AddEffect(Downloaded(5, 1)), 0);
    EXPECT_EQ(list.AddEffect(Downloaded(6, 2)), 1);
    EXPECT_EQ(list.AddEffect(Downloaded(5, 3)), 2);
    ASSERT_TRUE(list.FindByCloudId(5));
    EXPECT_EQ(list.FindByCloudId(5)->values[0], 3);
    EXPECT_EQ(list.FindByCloudId(6)->values[0], 2);
    EXPECT_EQ(list.FindByCloudId(7), nullptr);
    EXPECT_EQ(list.GetAt(3), nullptr);
    EXPECT_EQ(list.GetAt(-1), nullptr);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.FindByCloudId(5), nullptr);
}

TEST(CDownloadEffectList, AddingARecordOfTheListItselfCopiesItFirst) {
    CDownloadEffectList list;
    list.AddEffect(Downloaded(1, 42));
    for (int i = 0; i < 40; ++i) ASSERT_EQ(list.AddEffect(*list.GetAt(0)), i + 1);
    EXPECT_EQ(list.GetAt(40)->values[0], 42);
    EXPECT_EQ(list.FindByCloudId(1), list.GetAt(40));
}

}  // namespace
