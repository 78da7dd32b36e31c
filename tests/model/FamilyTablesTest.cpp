#include <gtest/gtest.h>

#include <vector>

#include "families/FamilyData.h"
#include "plugin/model/CParamModel.h"
#include "plugin/model/RecordText.h"
#include "tests/model/ModelFakes.h"

namespace {

class FamilyTables : public ::testing::TestWithParam<const FamilyData*> {};

TEST_P(FamilyTables, DescriptorIdsAreTheirIndexAndEqBandsAreNamedInOrder) {
    const FamilyData& family = *GetParam();
    for (std::size_t i = 0; i < family.descriptors.size(); ++i) {
        const ParamDescriptor& d = family.descriptors[i];
        EXPECT_EQ(d.id, static_cast<int>(i));
        EXPECT_EQ(d.minimum, 0);
        EXPECT_LE(d.defaultValue, 0x0FFF);
        EXPECT_EQ(FieldText(d.format), u"%d");
        EXPECT_EQ(d.tag, 1);
    }
    for (int id = kFirstEqBand; id <= kLastEqBand; ++id) {
        const std::string name = "EQ_" + std::to_string(id - kFirstEqBand + 1);
        EXPECT_EQ(FieldText(family.descriptors[static_cast<std::size_t>(id)].name),
                  std::u16string(name.begin(), name.end()));
    }
}

TEST_P(FamilyTables, GroupsNameExistingParameters) {
    const FamilyData& family = *GetParam();
    for (const ParamGroup& group : family.groups) {
        ASSERT_GT(group.memberCount, 0);
        ASSERT_LE(group.memberCount, kPresetValueCount);
        for (int i = 0; i < group.memberCount; ++i)
            EXPECT_LT(group.members[i], static_cast<int>(family.descriptors.size()));
    }
}

TEST_P(FamilyTables, BuiltInPresetsFitTheirGroups) {
    const FamilyData& family = *GetParam();
    ASSERT_LE(family.presetBanks.size(), family.groups.size());
    for (std::size_t bank = 0; bank < family.presetBanks.size(); ++bank) {
        for (const GroupPreset& preset : family.presetBanks[bank].presets) {
            EXPECT_EQ(preset.valueCount, family.groups[bank].memberCount)
                << "bank " << bank << " preset " << std::string(FieldText(preset.name).begin(),
                                                                 FieldText(preset.name).end());
            EXPECT_EQ(preset.reserved, 0);
        }
    }
    for (int bank = kFirstCustomPresetBank; bank <= kLastCustomPresetBank; ++bank)
        EXPECT_EQ(family.presetBanks[static_cast<std::size_t>(bank)].firstCustomSlot,
                  static_cast<int>(family.presetBanks[static_cast<std::size_t>(bank)].presets.size()));
}

TEST_P(FamilyTables, BuiltInEffectsCarryTheirNumberAndCustomTemplatesTheirSlot) {
    const FamilyData& family = *GetParam();
    ASSERT_EQ(family.deviceEffects.size(),
              static_cast<std::size_t>(family.builtInEffectCount + kDeviceCustomEffectCount));
    for (int n = 0; n < family.builtInEffectCount; ++n) {
        const EffectRecord& effect = family.deviceEffects[static_cast<std::size_t>(n)];
        EXPECT_EQ(effect.values[kParamEffectNumber], n);
        EXPECT_EQ(effect.values[kParamEffectCode], 0);
        EXPECT_FALSE(FieldText(effect.name).empty());
    }
    for (int slot = 1; slot <= kDeviceCustomEffectCount; ++slot) {
        const EffectRecord& effect =
            family.deviceEffects[static_cast<std::size_t>(family.builtInEffectCount + slot - 1)];
        EXPECT_EQ(effect.values[kParamEffectCode], slot);
        EXPECT_EQ(effect.values[kParamEffectNumber], 1);
    }
    for (const EffectRecord& effect : family.deviceEffects) {
        EXPECT_EQ(effect.id, 0);
        EXPECT_EQ(effect.emptyFlag, 0);
        for (std::size_t id = family.descriptors.size(); id < kEffectValueCount; ++id)
            EXPECT_EQ(effect.values[id], 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Families, FamilyTables, ::testing::Values(&DorbIIFamily(), &ZenkFamily()),
                         [](const auto& info) { return std::string(info.param->name); });

// What a first start without a state file holds, typed independently of the
// family tables: a slip in either copy shows as a difference.
struct FirstStart {
    const FamilyData* family;
    std::u16string name;
    std::vector<std::int32_t> values;  // by parameter id
};

class FamilyFirstStart : public ::testing::TestWithParam<FirstStart> {};

TEST_P(FamilyFirstStart, ValuesAreThoseOfTheFirstBuiltInEffect) {
    const FirstStart& expected = GetParam();
    FakeParamPort port;
    CParamModel model(*expected.family, port, nullptr);
    ASSERT_EQ(model.GetParamCount(), static_cast<int>(expected.values.size()));
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), expected.name);
    for (int id = 0; id < model.GetParamCount(); ++id)
        EXPECT_EQ(model.GetValue(id), expected.values[static_cast<std::size_t>(id)]) << "parameter " << id;
}

INSTANTIATE_TEST_SUITE_P(
    Families, FamilyFirstStart,
    ::testing::Values(
        FirstStart{&DorbIIFamily(), u"原声",
                   {6, 6, 8, 8, 0, 0, 0, 0, 0, 70, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 13, 0, 0,
                    100, 0, 7, 11, 14, 15, 16, 19, 18, 15, 14, 10, 100, 100, 7, 3, 100, 65, 90, 180, 0, 0}},
        FirstStart{&ZenkFamily(), u"聊天",
                   {10, 10, 12, 12, 0, 0, 0, 0, 0, 73, 1, 0, 0, 0, 0, 0, 0, 12, 0, 0, 13, 3, 100, 75,
                    0, 9, 12, 13, 14, 15, 16, 18, 15, 12, 9, 109, 154, 6, 7, 100, 65, 90, 180, 139, 120,
                    0, 0}}),
    [](const auto& info) { return std::string(info.param.family->name); });

TEST(DorbIITables, CustomTemplatesCopySingingAndTheThirdEffectIsRAndB) {
    const FamilyData& family = DorbIIFamily();
    ASSERT_EQ(family.descriptors.size(), 45u);
    ASSERT_EQ(family.groups.size(), 6u);
    ASSERT_EQ(family.presetBanks.size(), 5u);
    const EffectRecord& singing = family.deviceEffects[1];
    for (std::size_t n = 9; n < 12; ++n)
        for (int id = 0; id < 45; ++id) {
            if (id != kParamEffectCode) {
                EXPECT_EQ(family.deviceEffects[n].values[id], singing.values[id]);
            }
        }
    EXPECT_EQ(FieldText(family.deviceEffects[3].name), u"R&&B");
    EXPECT_EQ(family.descriptors[20].scale, 100.0f);
    EXPECT_EQ(FieldText(family.descriptors[19].options),
              u"C[#]Db[#]D[#]Eb[#]E[#]F[#]Gb[#]G[#]Ab[#]A[#]Bb[#]B");
}

}  // namespace
