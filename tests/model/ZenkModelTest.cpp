#include <gtest/gtest.h>

#include "families/FamilyData.h"
#include "plugin/model/CParamModel.h"
#include "plugin/model/RecordText.h"
#include "tests/model/ModelFakes.h"

namespace {

using qv::model::ParamFrame;

class ZenkModelTest : public ::testing::Test {
protected:
    const FamilyData& family = ZenkFamily();
    FakeParamPort port;
    FakeStateStore store;
    CParamModel model{family, port, &store};

    const EffectRecord& DeviceEffect(int n) { return family.deviceEffects[static_cast<std::size_t>(n)]; }
    static ParamFrame Notification(std::initializer_list<std::pair<int, int>> triples) {
        ParamFrame frame{};
        frame[0] = 0x9E;
        frame[4] = static_cast<std::uint8_t>(triples.size());
        std::size_t at = 5;
        for (const auto& [id, value] : triples) {
            frame[at++] = static_cast<std::uint8_t>(id);
            frame[at++] = static_cast<std::uint8_t>(0x10 | ((value >> 8) & 0x0F));
            frame[at++] = static_cast<std::uint8_t>(value & 0xFF);
        }
        return frame;
    }
    bool SentParam(int id) {
        for (const auto& frames : port.sends)
            for (const ParamFrame& f : frames)
                for (int k = 0; k < f[4]; ++k)
                    if (f[static_cast<std::size_t>(5 + 3 * k)] == id) return true;
        return false;
    }
};

TEST_F(ZenkModelTest, FirstStartHasChatAndEmptyCustomPresetSlots) {
    EXPECT_EQ(model.GetParamCount(), 47);
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), u"聊天");
    EXPECT_EQ(model.GetValue(43), 139);
    for (int bank = 1; bank <= 3; ++bank) {
        EXPECT_EQ(model.GetPresetBank(bank)->size(), 9u);
        for (int slot = 5; slot <= 8; ++slot) EXPECT_EQ(model.FindCustomPreset(slot, bank), nullptr);
        GroupPreset out;
        EXPECT_EQ(model.GetCustomPreset(9, bank, out), 0);
    }
    EXPECT_EQ(model.ApplyCloudEffectDetail(), 0);
}

TEST_F(ZenkModelTest, NotifiedEffectOverridesTheWholeFrame) {
    model.ApplyNotification(Notification({{4, 7}, {25, 3}, {0, 5}}));
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), u"电音");
    EXPECT_EQ(model.GetValue(25), DeviceEffect(7).values[25]);
    EXPECT_EQ(model.GetValue(0), 5);  // not an effect parameter
    EXPECT_EQ(port.paramChangedFirings, 1);

    port.paramChangedFirings = 0;
    model.ApplyNotification(Notification({{4, 8}, {25, 3}}));  // no effect 8 in this family
    EXPECT_EQ(model.GetValue(25), 3);
    EXPECT_EQ(port.paramChangedFirings, 0);

    model.ApplyNotification(Notification({{11, 3}}));
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), u"自定义3");
}

TEST_F(ZenkModelTest, UnknownIdAppliesNoRecord) {
    const auto outcome = model.ApplyNotification(Notification({{4, 7}, {47, 0}}));
    EXPECT_FALSE(outcome.complete);
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), u"聊天");
    EXPECT_EQ(model.GetValue(4), 7);
}

TEST_F(ZenkModelTest, EffectCodesFollowTheFamily) {
    EXPECT_EQ(model.ApplyDeviceEffect(7), 1);
    EXPECT_EQ(model.GetCurrentEffectCode(), 0);
    EXPECT_EQ(model.ApplyDeviceEffect(8), 1);
    EXPECT_EQ(model.GetCurrentEffectCode(), 1);
    EXPECT_EQ(model.ApplyDeviceEffect(11), 0);

    ASSERT_EQ(model.SaveCustomEffect(u"mine", 1, 0), 1);
    EXPECT_EQ(model.GetCurrentEffectCode(), -1);  // the current effect became the saved one
    port.sends.clear();
    EXPECT_EQ(model.ApplyMyCustomEffect(0), 1);
    EXPECT_EQ(model.GetCurrentEffectCode(), -1);
    EXPECT_FALSE(SentParam(kParamEffectCode));
    EXPECT_EQ(model.ApplyEffectGroup(11, 1), 1);  // user effect 0
    EXPECT_EQ(model.ApplyEffectGroup(23, 1), 0);
}

TEST_F(ZenkModelTest, DownloadedEffectNumberFiveSwitchesDodgingOn) {
    EffectRecord cloud = DeviceEffect(5);
    cloud.values[kParamDodgeSwitch] = 0;
    cloud.id = 3;
    ASSERT_EQ(model.AddDownloadedEffect(cloud), 1);
    EXPECT_EQ(model.ApplyDownloadedEffect(3), 1);
    EXPECT_EQ(model.GetValue(kParamDodgeSwitch), 1);
    EXPECT_EQ(model.GetCurrentEffectCode(), 0);
}

TEST_F(ZenkModelTest, CustomPresetsLiveInSlotsFiveToEight) {
    GroupPreset preset{};
    preset.valueCount = 5;
    preset.values[1] = 30;
    EXPECT_EQ(model.SaveCustomPreset(0, 2, preset), 1);
    EXPECT_TRUE(store.Has(u"CustomPreset", u"2_0"));
    EXPECT_NE(model.FindCustomPreset(5, 2), nullptr);
    EXPECT_EQ(model.ApplyCustomPreset(5, 2), 1);
    EXPECT_EQ(model.GetValue(20), 30);
}

TEST_F(ZenkModelTest, SavingADeviceEffectSendsItBeforeStoringIt) {
    EXPECT_EQ(model.SaveCustomEffect(u"dev", 0, 2), 1);
    EXPECT_EQ(model.GetCurrentEffectCode(), 3);
    EXPECT_EQ(port.sends.size(), 2u);  // the code, then every parameter
    EXPECT_TRUE(store.Has(u"DeviceCustomEffect", u"2"));
    EXPECT_EQ(model.GetDeviceEffects()[10].values[kParamEffectCode], 3);

    // A save that fails at the card or at the file changes nothing.
    const EffectRecord before = model.GetCurrentEffect();
    port.connected = false;
    EXPECT_EQ(model.SaveCustomEffect(u"off", 0, 0), 0);
    port.connected = true;
    store.writesSucceed = false;
    EXPECT_EQ(model.SaveCustomEffect(u"nofile", 0, 0), 0);
    EXPECT_EQ(FieldText(model.GetDeviceEffects()[8].name), u"自定义1");
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), FieldText(before.name));
    EXPECT_EQ(model.GetCurrentEffect().id, before.id);
    EXPECT_EQ(model.GetCurrentEffectCode(), before.values[kParamEffectCode]);
    EXPECT_TRUE(model.GetChangedParams().empty());
    EXPECT_FALSE(store.Has(u"DeviceCustomEffect", u"0"));
}

}  // namespace
