#include <gtest/gtest.h>

#include <cstring>

#include "families/FamilyData.h"
#include "plugin/model/CParamModel.h"
#include "plugin/model/RecordText.h"
#include "tests/model/ModelFakes.h"

namespace {

using qv::model::ParamFrame;
using qv::model::ParamValue;

class CParamModelTest : public ::testing::Test {
protected:
    const FamilyData& family = DorbIIFamily();
    FakeParamPort port;
    FakeStateStore store;
    CParamModel model{family, port, &store};

    const EffectRecord& DeviceEffect(int n) { return family.deviceEffects[static_cast<std::size_t>(n)]; }
    std::vector<std::uint8_t> TriplesSent() {
        std::vector<std::uint8_t> ids;
        for (const auto& frames : port.sends)
            for (const ParamFrame& f : frames)
                for (int k = 0; k < f[4]; ++k) ids.push_back(f[static_cast<std::size_t>(5 + 3 * k)]);
        return ids;
    }
    static ParamFrame Notification(std::initializer_list<std::pair<int, int>> triples, int count = -1) {
        ParamFrame frame{};
        frame[0] = 0x9E;
        frame[4] = static_cast<std::uint8_t>(count >= 0 ? count : static_cast<int>(triples.size()));
        std::size_t at = 5;
        for (const auto& [id, value] : triples) {
            frame[at++] = static_cast<std::uint8_t>(id);
            frame[at++] = static_cast<std::uint8_t>(0x10 | ((value >> 8) & 0x0F));
            frame[at++] = static_cast<std::uint8_t>(value & 0xFF);
        }
        return frame;
    }
};

TEST_F(CParamModelTest, FirstStartHasTheFirstBuiltInEffectAndEmptyUserSlots) {
    for (int id = 0; id < 45; ++id) EXPECT_EQ(model.GetValue(id), DeviceEffect(0).values[id]) << id;
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), u"原声");
    ASSERT_EQ(model.GetUserEffects().size(), 12u);
    for (const EffectRecord& user : model.GetUserEffects()) EXPECT_EQ(user.emptyFlag, 1);
    EXPECT_EQ(model.GetGroupCount(), 6);
    EXPECT_EQ(*model.GetGroupName(4), u"混响2");
    EXPECT_EQ(model.GetParamGroup(6), nullptr);
    EXPECT_EQ(model.GetPresetBank(1)->size(), 11u);  // 7 built-in + 4 custom slots
    EXPECT_EQ(model.GetPresetBank(0)->size(), 1u);
    EXPECT_EQ(model.GetValue(45), 0);
}

TEST_F(CParamModelTest, WriteParamQueuesChangedValuesOnlyWithACard) {
    model.WriteParam(8016, 55);
    EXPECT_EQ(model.GetValue(16), 55);
    EXPECT_EQ(model.GetChangedParams().at(16), 55);
    EXPECT_EQ(port.sendRequests, 1);

    port.connected = false;
    model.WriteParam(8000, 3);
    EXPECT_EQ(model.GetValue(0), 3);
    EXPECT_FALSE(model.GetChangedParams().count(0));
    EXPECT_EQ(port.sendRequests, 1);
}

TEST_F(CParamModelTest, WriteParamIgnoresIdsWithoutADescriptor) {
    model.WriteParam(8045, 1);
    model.WriteParam(999, 1);
    model.WriteParam(-8001, 1);
    EXPECT_TRUE(model.GetChangedParams().empty());
    EXPECT_EQ(port.sendRequests, 0);
    EXPECT_EQ(model.GetCurrentEffect().values[45], 0);
}

TEST_F(CParamModelTest, AnUnchangedBandSendsNothingButIsStillAnnounced) {
    const int current = model.GetValue(25);
    model.WriteParam(2025, current);
    EXPECT_TRUE(model.GetChangedParams().empty());
    EXPECT_EQ(port.bandWrites, (std::vector<std::pair<int, int>>{{25, current}}));
    model.WriteParam(8024, 3);  // not a band
    EXPECT_EQ(port.bandWrites.size(), 1u);
}

TEST_F(CParamModelTest, TwoWritesBeforeAFlushSendOneTripleWithTheLastValue) {
    model.WriteParam(8016, 10);
    model.WriteParam(8016, 20);
    ASSERT_EQ(model.SendChangedParams(), 1);
    ASSERT_EQ(port.sends.size(), 1u);
    const ParamFrame& frame = port.sends[0].at(0);
    EXPECT_EQ(frame[4], 1);
    EXPECT_EQ(frame[5], 16);
    EXPECT_EQ(frame[7], 20);
    EXPECT_TRUE(model.GetChangedParams().empty());
    EXPECT_EQ(model.SendChangedParams(), 1);  // nothing pending: nothing sent
    EXPECT_EQ(port.sends.size(), 1u);
}

TEST_F(CParamModelTest, AFailedFlushKeepsEveryChangedValue) {
    for (int id = 0; id < 12; ++id) model.WriteParam(8000 + id, 100 + id);
    port.sendSucceeds = false;
    EXPECT_EQ(model.SendChangedParams(), 0);
    EXPECT_EQ(model.GetChangedParams().size(), 12u);
    port.sendSucceeds = true;
    EXPECT_EQ(model.SendChangedParams(), 1);
    EXPECT_EQ(port.sends.back().size(), 2u);
}

TEST_F(CParamModelTest, FullSyncSendsEveryParameterEffectSyncOnlyEffectParameters) {
    EXPECT_EQ(model.SyncParams(1), 1);
    ASSERT_EQ(port.sends.size(), 1u);
    EXPECT_EQ(port.sends[0].size(), 5u);
    EXPECT_EQ(TriplesSent().size(), 45u);

    port.sends.clear();
    EXPECT_EQ(model.SyncParams(0), 1);
    for (std::uint8_t id : TriplesSent()) EXPECT_EQ(family.descriptors[id].effectFlag, 1) << int(id);
    std::size_t effectParams = 0;
    for (const ParamDescriptor& d : family.descriptors) effectParams += d.effectFlag == 1;
    EXPECT_EQ(TriplesSent().size(), effectParams);

    port.connected = false;
    port.sends.clear();
    EXPECT_EQ(model.SyncParams(1), 0);
    EXPECT_TRUE(port.sends.empty());
}

TEST_F(CParamModelTest, DeviceEffectsSetTheirCodeRefreshAndSync) {
    model.WriteParam(8000, 2);  // a mixer value: not an effect parameter
    EXPECT_EQ(model.ApplyDeviceEffect(2), 1);
    EXPECT_EQ(model.GetValue(22), DeviceEffect(2).values[22]);
    EXPECT_EQ(model.GetValue(0), 2);
    EXPECT_EQ(model.GetCurrentEffectCode(), 0);
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), u"迷幻");
    EXPECT_EQ(port.paramChangedFirings, 1);
    EXPECT_EQ(port.sends.size(), 1u);

    EXPECT_EQ(model.ApplyDeviceEffect(10), 1);
    EXPECT_EQ(model.GetCurrentEffectCode(), 2);
    EXPECT_EQ(model.ApplyDeviceEffect(12), 0);
    EXPECT_EQ(model.ApplyDeviceEffect(-1), 0);
    EXPECT_EQ(port.paramChangedFirings, 2);
}

TEST_F(CParamModelTest, ApplyingAnEffectDropsValuesWaitingToBeSent) {
    model.WriteParam(8000, 1);
    ASSERT_FALSE(model.GetChangedParams().empty());
    model.ApplyEffectRecord(DeviceEffect(3));
    EXPECT_TRUE(model.GetChangedParams().empty());
}

TEST_F(CParamModelTest, EmptyUserSlotIsNotApplied) {
    const EffectRecord before = model.GetCurrentEffect();
    EXPECT_EQ(model.ApplyMyCustomEffect(0), 0);
    EXPECT_EQ(model.ApplyMyCustomEffect(12), 0);
    EXPECT_EQ(model.ApplyMyCustomEffect(-1), 0);
    EXPECT_EQ(std::memcmp(&before, &model.GetCurrentEffect(), sizeof before), 0);
    EXPECT_EQ(port.paramChangedFirings, 0);
}

TEST_F(CParamModelTest, EffectGroupTakesDeviceThenUserEffectsAndRefusesOtherIndices) {
    EXPECT_EQ(model.ApplyEffectGroup(11, 1), 1);
    EXPECT_EQ(model.GetValue(25), DeviceEffect(11).values[25]);
    EXPECT_EQ(model.GetChangedParams().size(), 0u);  // sent at once
    EXPECT_EQ(port.sends.size(), 1u);

    ASSERT_EQ(model.SaveCustomEffect(u"mine", 1, 0), 1);
    model.WriteParam(2025, 0);
    EXPECT_EQ(model.ApplyEffectGroup(12, 1), 1);  // user effect 0
    EXPECT_EQ(model.GetValue(25), model.GetUserEffects()[0].values[25]);

    EXPECT_EQ(model.ApplyEffectGroup(24, 1), 0);
    EXPECT_EQ(model.ApplyEffectGroup(-1, 1), 0);
    EXPECT_EQ(model.ApplyEffectGroup(0, 6), 0);
    EXPECT_EQ(model.ApplyEffectGroup(0, -1), 0);
}

TEST_F(CParamModelTest, CustomPresetNeedsABankASlotInsideItAndTheGroupsSize) {
    EXPECT_EQ(model.ApplyCustomPreset(1, 1), 1);  // 明亮
    EXPECT_EQ(model.GetValue(30), 19);
    EXPECT_EQ(model.ApplyCustomPreset(0, 5), 0);  // 电音 has no bank
    EXPECT_EQ(model.ApplyCustomPreset(11, 1), 0);
    EXPECT_EQ(model.ApplyCustomPreset(-1, 1), 0);
    EXPECT_EQ(model.ApplyCustomPreset(7, 1), 0);  // an empty custom slot holds no values
}

TEST_F(CParamModelTest, CustomPresetLookupStaysInsideTheBank) {
    GroupPreset out;
    EXPECT_EQ(model.GetCustomPreset(8, 2, out), 1);
    EXPECT_EQ(out.valueCount, 0);
    EXPECT_EQ(model.GetCustomPreset(12, 2, out), 0);
    EXPECT_EQ(model.GetCustomPreset(0, 0, out), 0);
    EXPECT_EQ(model.GetCustomPreset(0, 4, out), 0);
    EXPECT_NE(model.FindCustomPreset(1, 2), nullptr);
    EXPECT_EQ(model.FindCustomPreset(8, 2), nullptr);  // empty
    EXPECT_EQ(model.FindCustomPreset(-1, 2), nullptr);
}

TEST_F(CParamModelTest, DownloadedEffectWithTheDodgeNumberSwitchesDodgingOn) {
    EffectRecord cloud = DeviceEffect(4);
    cloud.values[kParamDodgeSwitch] = 0;
    cloud.id = 901;
    ASSERT_EQ(model.AddDownloadedEffect(cloud), 1);
    EXPECT_EQ(model.ApplyDownloadedEffect(902), 0);
    EXPECT_EQ(model.ApplyDownloadedEffect(901), 1);
    EXPECT_EQ(model.GetCurrentEffectCode(), 20);
    EXPECT_EQ(model.GetValue(kParamDodgeSwitch), 1);
    EXPECT_EQ(model.GetCurrentEffect().id, 901);

    EXPECT_EQ(model.ApplyDownloadedEffectGroup(2, 901), 1);
    EXPECT_EQ(model.ApplyDownloadedEffectGroup(2, 0), 0);
    EXPECT_EQ(model.ApplyDownloadedEffectGroup(9, 901), 0);
}

TEST_F(CParamModelTest, CloudDetailAppliesTheFirstPresetOfItsBank) {
    EXPECT_EQ(model.ApplyCloudEffectDetail(), 1);
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), u"回荡");
    EXPECT_EQ(model.GetCurrentEffect().id, -1);
    EXPECT_EQ(model.GetCurrentEffectCode(), 20);
    EXPECT_EQ(model.GetValue(37), 10);
    EXPECT_EQ(model.GetValue(39), 15);
}

TEST_F(CParamModelTest, NotifiedEffectNumberAppliesBeforeLaterValues) {
    const auto outcome = model.ApplyNotification(Notification({{4, 2}, {25, 15}}));
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), u"迷幻");
    EXPECT_EQ(model.GetValue(25), 15);
    EXPECT_EQ(model.GetValue(22), DeviceEffect(2).values[22]);
    EXPECT_EQ(outcome.pairs, (std::vector<ParamValue>{{4, 2}, {25, 15}}));
    EXPECT_EQ(port.displayUpdates, (std::vector<std::pair<int, int>>{{4, 2}, {25, 15}}));
    EXPECT_EQ(port.paramChangedFirings, 1);
    EXPECT_TRUE(port.sends.empty());  // nothing echoed to the card
    EXPECT_TRUE(model.GetChangedParams().empty());
}

TEST_F(CParamModelTest, EarlierValuesOfTheFrameAreOverwrittenByTheEffect) {
    model.ApplyNotification(Notification({{25, 3}, {4, 2}}));
    EXPECT_EQ(model.GetValue(25), DeviceEffect(2).values[25]);
}

TEST_F(CParamModelTest, NotifiedCustomSlotWinsOverTheEffectNumber) {
    model.ApplyNotification(Notification({{11, 2}, {4, 5}}));
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), u"自定义2");
    EXPECT_EQ(model.GetValue(4), 5);
    EXPECT_EQ(model.GetValue(16), DeviceEffect(10).values[16]);  // not 魔兽音's

    model.ApplyNotification(Notification({{11, 7}, {4, 5}}));  // no such slot: nothing applied
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), u"自定义2");
    model.ApplyNotification(Notification({{4, 9}}));  // no such effect
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), u"自定义2");
}

TEST_F(CParamModelTest, EmptyNotificationOnlyRefreshes) {
    const auto outcome = model.ApplyNotification(Notification({}));
    EXPECT_TRUE(outcome.complete);
    EXPECT_TRUE(outcome.pairs.empty());
    EXPECT_EQ(port.paramChangedFirings, 1);
}

TEST_F(CParamModelTest, UnknownIdEndsTheNotificationWithoutRefresh) {
    const auto outcome = model.ApplyNotification(Notification({{25, 20}, {45, 1}, {26, 20}}));
    EXPECT_FALSE(outcome.complete);
    EXPECT_EQ(model.GetValue(25), 20);
    EXPECT_NE(model.GetValue(26), 20);
    EXPECT_EQ(model.GetCurrentEffect().values[45], 0);
    EXPECT_EQ(port.paramChangedFirings, 0);

    const auto far = model.ApplyNotification(Notification({{255, 0xFFF}}));
    EXPECT_FALSE(far.complete);
}

TEST_F(CParamModelTest, OverlongNotificationReadsElevenTriples) {
    ParamFrame frame = Notification({{0, 1}, {1, 2}, {2, 3}, {3, 4}, {5, 1}, {6, 1}, {7, 1},
                                     {8, 1}, {9, 9}, {10, 0}, {12, 0}}, 200);
    frame[38] = 44;  // a twelfth triple would start here
    const auto outcome = model.ApplyNotification(frame);
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(outcome.pairs.size(), 11u);
    EXPECT_EQ(model.GetValue(44), 0);
}

}  // namespace
