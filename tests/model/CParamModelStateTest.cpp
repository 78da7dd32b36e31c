#include <gtest/gtest.h>

#include <memory>

#include "families/FamilyData.h"
#include "plugin/model/CParamModel.h"
#include "plugin/model/RecordBytes.h"
#include "plugin/model/RecordText.h"
#include "tests/model/ModelFakes.h"

namespace {

class CParamModelStateTest : public ::testing::Test {
protected:
    std::unique_ptr<CParamModel> Start() {
        return std::make_unique<CParamModel>(DorbIIFamily(), port, &store);
    }
    template <class Record>
    void Put(const char16_t* section, const char16_t* key, const Record& record) {
        const auto bytes = RecordToBytes(record);
        store.structs[{section, key}].assign(bytes.begin(), bytes.end());
    }

    FakeParamPort port;
    FakeStateStore store;
};

TEST_F(CParamModelStateTest, TheModelSurvivesARestart) {
    auto model = Start();
    model->ApplyDeviceEffect(5);
    model->WriteParam(8000, 2);
    ASSERT_EQ(model->SaveCustomEffect(u"我的效果", 1, 3), 1);
    ASSERT_EQ(model->SaveCustomEffect(u"card", 0, 1), 1);
    ASSERT_EQ(model->SaveCurrentAsPreset(u"preset", 1, 2), 1);
    ASSERT_EQ(model->SaveCurrentEffect(), 1);
    const EffectRecord current = model->GetCurrentEffect();

    auto restarted = Start();
    EXPECT_EQ(std::memcmp(&restarted->GetCurrentEffect(), &current, sizeof current), 0);
    EXPECT_EQ(restarted->GetValue(0), 2);
    const EffectRecord& user = restarted->GetUserEffects()[3];
    EXPECT_EQ(user.emptyFlag, 0);
    EXPECT_EQ(FieldText(user.name), u"我的效果");
    EXPECT_EQ(user.values[kParamEffectCode], 7);
    EXPECT_EQ(restarted->ApplyMyCustomEffect(3), 1);
    EXPECT_EQ(restarted->GetCurrentEffectCode(), 7);
    EXPECT_EQ(restarted->GetDeviceEffects()[10].values[kParamEffectCode], 2);
    EXPECT_EQ(FieldText(restarted->GetDeviceEffects()[10].name), u"card");
    const GroupPreset* preset = restarted->FindCustomPreset(9, 1);
    ASSERT_NE(preset, nullptr);
    EXPECT_EQ(FieldText(preset->name), u"preset");
}

TEST_F(CParamModelStateTest, PresetSlotThreeOfBankThreeIsEntryEightUnderKey3_3) {
    auto model = Start();
    GroupPreset preset{};
    SetFieldText(preset.name, u"imported");
    preset.values[1] = 77;
    preset.valueCount = 3;
    EXPECT_EQ(model->SaveCustomPreset(3, 3, preset), 1);
    EXPECT_TRUE(store.Has(u"CustomPreset", u"3_3"));
    EXPECT_EQ((*model->GetPresetBank(3))[8].values[1], 77);
    EXPECT_EQ(model->ApplyCustomPreset(8, 3), 1);
    EXPECT_EQ(model->GetValue(16), 77);
}

TEST_F(CParamModelStateTest, PresetSavesRefuseBadSlotsBanksAndSizes) {
    auto model = Start();
    GroupPreset preset{};
    preset.valueCount = 3;
    EXPECT_EQ(model->SaveCustomPreset(4, 3, preset), 0);
    EXPECT_EQ(model->SaveCustomPreset(-1, 3, preset), 0);
    EXPECT_EQ(model->SaveCustomPreset(0, 4, preset), 0);
    EXPECT_EQ(model->SaveCustomPreset(0, 0, preset), 0);
    EXPECT_EQ(model->SaveCustomPreset(0, 1, preset), 0);  // 3 values for a bank of 10
    // Values each parameter of the bank can take, and one beyond either end.
    const auto& members = *model->GetParamGroup(3);
    for (int i = 0; i < 3; ++i) preset.values[i] = members[static_cast<std::size_t>(i)]->maximum;
    preset.values[0] = members[0]->maximum + 1;
    EXPECT_EQ(model->SaveCustomPreset(0, 3, preset), 0);
    preset.values[0] = 0;
    preset.values[2] = -1;
    EXPECT_EQ(model->SaveCustomPreset(0, 3, preset), 0);
    EXPECT_EQ(model->SaveCurrentAsPreset(u"x", 1, -1), 0);
    EXPECT_EQ(model->SaveCurrentAsPreset(u"x", 1, 4), 0);
    EXPECT_EQ(model->SaveCurrentAsPreset(u"x", 4, 0), 0);
    EXPECT_TRUE(store.structs.empty());
    for (int bank = 1; bank <= 3; ++bank)
        EXPECT_EQ(model->GetPresetBank(bank)->size(),
                  DorbIIFamily().presetBanks[static_cast<std::size_t>(bank)].presets.size() + 4);
}

TEST_F(CParamModelStateTest, ASavedReverbPresetAlwaysTurnsTheSwitchOnAndCutsItsName) {
    auto model = Start();
    model->WriteParam(7012, 0);
    ASSERT_EQ(model->GetValue(12), 0);
    ASSERT_EQ(model->SaveCurrentAsPreset(u"a name of twenty chars", 2, 0), 1);
    const GroupPreset* preset = model->FindCustomPreset(8, 2);
    ASSERT_NE(preset, nullptr);
    EXPECT_EQ(preset->values[0], 1);
    EXPECT_EQ(preset->valueCount, 5);
    EXPECT_EQ(FieldText(preset->name), u"a name of twent");
}

TEST_F(CParamModelStateTest, MissingShortAndOverlongValuesReadAsAbsent) {
    GroupPreset preset{};
    preset.valueCount = 10;
    auto bytes = RecordToBytes(preset);
    store.structs[{u"CustomPreset", u"1_0"}].assign(bytes.begin(), bytes.end() - 1);
    EffectRecord last{};
    SetFieldText(last.name, u"last");
    auto lastBytes = RecordToBytes(last);
    store.structs[{u"LastStatus", u"CurrentEffect"}].assign(lastBytes.begin(), lastBytes.end());
    store.structs[{u"LastStatus", u"CurrentEffect"}].push_back(0);
    store.structs[{u"MyCustomEffect", u"0"}] = {1, 2, 3};
    store.structs[{u"DeviceCustomEffect", u"0"}] = {};

    auto model = Start();
    EXPECT_EQ(model->FindCustomPreset(7, 1), nullptr);
    EXPECT_EQ(FieldText(model->GetCurrentEffect().name), u"原声");
    EXPECT_EQ(model->GetUserEffects()[0].emptyFlag, 1);
    EXPECT_EQ(FieldText(model->GetDeviceEffects()[9].name), u"自定义1");
}

TEST_F(CParamModelStateTest, NamesReadFromTheFileAreTerminatedAtTheirFieldWidth) {
    std::vector<std::uint8_t> full(sizeof(EffectRecord), 0x42);
    store.structs[{u"LastStatus", u"CurrentEffect"}] = full;
    std::vector<std::uint8_t> presetBytes(sizeof(GroupPreset), 0x43);
    store.structs[{u"CustomPreset", u"2_1"}] = presetBytes;
    auto model = Start();
    EXPECT_EQ(FieldText(model->GetCurrentEffect().name).size(), 63u);
    EXPECT_EQ(FieldText(model->GetCurrentEffect().remark).size(), 255u);
    GroupPreset out;
    ASSERT_EQ(model->GetCustomPreset(9, 2, out), 1);
    EXPECT_EQ(FieldText(out.name).size(), 15u);
    // A corrupt value count never lets a preset write past its group.
    EXPECT_EQ(model->ApplyCustomPreset(9, 2), 0);
}

TEST_F(CParamModelStateTest, DownloadsAreWrittenWholeAndTheirCountIsCapped) {
    auto model = Start();
    for (int id = 1; id <= 3; ++id) {
        EffectRecord record{};
        record.id = id;
        ASSERT_EQ(model->AddDownloadedEffect(record), 1);
    }
    EXPECT_EQ((store.ints[{u"DownloadEffect", u"count"}]), 3);
    for (const char16_t* key : {u"0", u"1", u"2"}) EXPECT_TRUE(store.Has(u"DownloadEffect", key));
    EXPECT_EQ(Start()->GetDownloadedEffects().GetCount(), 3);

    store.ints[{u"DownloadEffect", u"count"}] = 2000000000;
    store.structReads = 0;
    auto capped = Start();
    EXPECT_EQ(capped->GetDownloadedEffects().GetCount(), 3);
    EXPECT_LE(store.structReads, 10000 + 64);
}

TEST_F(CParamModelStateTest, FailedWritesAreReportedAsFailures) {
    auto model = Start();
    store.writesSucceed = false;
    EXPECT_EQ(model->SaveCustomEffect(u"x", 1, 0), 0);
    EXPECT_EQ(model->SaveCustomEffect(u"x", 0, 0), 0);
    EXPECT_EQ(model->SaveCurrentAsPreset(u"x", 1, 0), 0);
    EXPECT_EQ(model->SaveCurrentEffect(), 0);
    EffectRecord record{};
    record.id = 5;
    EXPECT_EQ(model->AddDownloadedEffect(record), 0);

    CParamModel withoutFile(DorbIIFamily(), port, nullptr);
    EXPECT_EQ(withoutFile.SaveCurrentEffect(), 0);
    EXPECT_EQ(withoutFile.GetUserEffects().size(), 12u);
}

TEST_F(CParamModelStateTest, CustomEffectSavesRefuseEmptyNamesAndBadSlots) {
    auto model = Start();
    EXPECT_EQ(model->SaveCustomEffect(u"", 1, 0), 0);
    EXPECT_EQ(model->SaveCustomEffect(u"x", 0, 3), 0);
    EXPECT_EQ(model->SaveCustomEffect(u"x", 1, 12), 0);
    EXPECT_EQ(model->SaveCustomEffect(u"x", 1, -1), 0);
    EXPECT_EQ(model->SaveCustomEffect(u"x", 2, 0), 0);
    EXPECT_TRUE(store.structs.empty());
    EXPECT_EQ(model->SaveCustomEffect(std::u16string(70, u'n'), 1, 0), 1);
    EXPECT_EQ(FieldText(model->GetUserEffects()[0].name).size(), 63u);
}

}  // namespace
