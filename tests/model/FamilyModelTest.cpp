// What every family's model does by its own rules, run once per family: the
// value ranges of its tables, the effect codes both ways, the card's
// notifications, the custom presets and their keys, and what goes on the wire.
#include <gtest/gtest.h>

#include <string>

#include "families/FamilyData.h"
#include "plugin/model/CParamModel.h"
#include "plugin/model/RecordText.h"
#include "tests/model/ModelFakes.h"

namespace {

using qv::model::ParamFrame;

constexpr int kParamMixSwitch = 10;

class FamilyModel : public ::testing::TestWithParam<const FamilyData*> {
protected:
    const FamilyData& family = *GetParam();
    FakeParamPort port;
    FakeStateStore store;
    CParamModel model{family, port, &store};

    static std::u16string Key(int n) {
        const std::string text = std::to_string(n);
        return std::u16string(text.begin(), text.end());
    }
    int ParamCount() const { return static_cast<int>(family.descriptors.size()); }
    std::int32_t Max(int id) const { return family.descriptors[static_cast<std::size_t>(id)].maximum; }
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
    // The wire triple of a parameter in the last send: (tag, 12-bit value).
    std::optional<std::pair<int, int>> SentTriple(int id) const {
        if (port.sends.empty()) return std::nullopt;
        for (const ParamFrame& f : port.sends.back())
            for (int k = 0; k < f[4]; ++k) {
                const std::uint8_t* t = &f[static_cast<std::size_t>(5 + 3 * k)];
                if (t[0] == id) return std::make_pair(t[1] >> 4, ((t[1] & 0x0F) << 8) | t[2]);
            }
        return std::nullopt;
    }
};

TEST_P(FamilyModel, TableValuesLieWithinTheirParametersRanges) {
    for (int id = 0; id < ParamCount(); ++id) {
        const ParamDescriptor& d = family.descriptors[static_cast<std::size_t>(id)];
        // The mix switch's default is 80 in one family: a switch reads any non-zero as on.
        if (id == kParamMixSwitch && d.defaultValue == 80) continue;
        EXPECT_GE(d.defaultValue, 0) << id;
        EXPECT_LE(d.defaultValue, d.maximum) << id;
    }
    for (const EffectRecord& effect : family.deviceEffects)
        for (int id = 0; id < ParamCount(); ++id) {
            EXPECT_GE(effect.values[id], 0) << "id " << id;
            // An effect's number is its index, which one family's last effect
            // carries beyond the parameter's maximum.
            const std::int32_t max = id == kParamEffectNumber ? family.builtInEffectCount - 1 : Max(id);
            EXPECT_LE(effect.values[id], max) << "id " << id;
        }
    for (std::size_t bank = 0; bank < family.presetBanks.size(); ++bank) {
        const ParamGroup& group = family.groups[bank];
        for (const GroupPreset& preset : family.presetBanks[bank].presets)
            for (int i = 0; i < preset.valueCount; ++i) {
                EXPECT_GE(preset.values[i], 0) << "bank " << bank << " value " << i;
                EXPECT_LE(preset.values[i], Max(group.members[i])) << "bank " << bank << " value " << i;
            }
    }
}

TEST_P(FamilyModel, EffectCodesGoBothWaysAndPickTheirButtons) {
    for (int n = 0; n < family.builtInEffectCount; ++n) {
        ASSERT_EQ(model.ApplyDeviceEffect(n), 1);
        EXPECT_EQ(model.GetCurrentEffectCode(), 0);
        EXPECT_EQ(EffectButtonOfCode(family, 0, model.GetValue(kParamEffectNumber)), n);
    }
    for (int slot = 1; slot <= kDeviceCustomEffectCount; ++slot) {
        ASSERT_EQ(model.ApplyDeviceEffect(family.builtInEffectCount + slot - 1), 1);
        EXPECT_EQ(model.GetCurrentEffectCode(), slot);
        EXPECT_EQ(EffectButtonOfCode(family, slot, 1), family.builtInEffectCount + slot - 1);
        EXPECT_EQ(UserEffectOfCode(family, slot), -1);
    }
    EXPECT_EQ(model.ApplyDeviceEffect(DeviceEffectCount(family)), 0);
    for (int n = 0; n < kUserEffectCount; ++n) {
        const std::int32_t code = UserEffectCode(family, n);
        EXPECT_EQ(UserEffectOfCode(family, code), n);
        EXPECT_EQ(EffectButtonOfCode(family, code, 0), FirstUserEffectButton(family) + n);
        EXPECT_LT(FirstUserEffectButton(family) + n, EffectButtonCount(family));
        ASSERT_EQ(model.SaveCustomEffect(u"mine", 1, n), 1);
        ASSERT_EQ(model.ApplyMyCustomEffect(n), 1);
        EXPECT_EQ(model.GetCurrentEffectCode(), code);
        EXPECT_TRUE(store.Has(u"MyCustomEffect", Key(n).c_str())) << n;
    }
    EXPECT_EQ(UserEffectOfCode(family, UserEffectCode(family, kUserEffectCount)), -1);
    EXPECT_EQ(UserEffectOfCode(family, family.downloadedEffectCode), -1);
    // A value the card sends may be anything of 12 bits: it checks no button.
    EXPECT_EQ(EffectButtonOfCode(family, 0, 0x0FFF), -1);
    EXPECT_EQ(EffectButtonOfCode(family, 0, family.builtInEffectCount), -1);
    // The effect group split: device effects first, then the user's.
    EXPECT_EQ(model.ApplyEffectGroup(DeviceEffectCount(family) - 1, 1), 1);
    EXPECT_EQ(model.ApplyEffectGroup(DeviceEffectCount(family) + kUserEffectCount - 1, 1), 1);
    EXPECT_EQ(model.ApplyEffectGroup(DeviceEffectCount(family) + kUserEffectCount, 1), 0);
}

TEST_P(FamilyModel, AFullSyncSendsAUserEffectsCodeOnlyWithinItsRange) {
    ASSERT_EQ(model.SaveCustomEffect(u"mine", 1, 0), 1);
    ASSERT_EQ(model.ApplyMyCustomEffect(0), 1);
    ASSERT_EQ(model.SyncParams(1), 1);
    const auto triple = SentTriple(kParamEffectCode);
    ASSERT_TRUE(triple);
    EXPECT_EQ(triple->first, family.descriptors[kParamEffectCode].tag);
    const std::int32_t code = UserEffectCode(family, 0);
    EXPECT_EQ(triple->second, code < 0 ? 0 : code);
    EXPECT_EQ(model.GetCurrentEffectCode(), code);  // the model keeps the code as it is
}

TEST_P(FamilyModel, NotificationsApplyTheNamedEffectByTheFamilysRule) {
    const int last = family.builtInEffectCount - 1;
    const EffectRecord& named = family.deviceEffects[static_cast<std::size_t>(last)];
    const int band = kFirstEqBand;
    const int sentBand = named.values[band] == 3 ? 4 : 3;
    port.paramChangedFirings = 0;
    auto outcome = model.ApplyNotification(Notification({{kParamEffectNumber, last}, {band, sentBand}}));
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), FieldText(named.name));
    const bool afterFrame = family.notifiedEffectRule == NotifiedEffectRule::kApplyAfterFrame;
    EXPECT_EQ(model.GetValue(band), afterFrame ? named.values[band] : sentBand);
    EXPECT_EQ(port.paramChangedFirings, 1);

    // A custom slot names its device record.
    model.ApplyNotification(Notification({{kParamEffectCode, 3}}));
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name),
              FieldText(family.deviceEffects[static_cast<std::size_t>(family.builtInEffectCount + 2)].name));

    // Out of range: no record; the value is kept as it came.
    ASSERT_EQ(model.ApplyDeviceEffect(0), 1);
    outcome = model.ApplyNotification(Notification({{kParamEffectNumber, 0x0FFF}, {kParamEffectCode, 9}}));
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(FieldText(model.GetCurrentEffect().name), FieldText(family.deviceEffects[0].name));
    EXPECT_EQ(model.GetValue(kParamEffectNumber), 0x0FFF);

    // An unknown id ends the handling: nothing is announced.
    port.paramChangedFirings = 0;
    outcome = model.ApplyNotification(Notification({{band, 5}, {ParamCount(), 1}, {band + 1, 5}}));
    EXPECT_FALSE(outcome.complete);
    EXPECT_EQ(model.GetValue(band), 5);
    EXPECT_NE(model.GetValue(band + 1), 5);
    EXPECT_EQ(port.paramChangedFirings, 0);
}

TEST_P(FamilyModel, CustomPresetsFollowTheBuiltInOnesAndKeepTheirKeys) {
    for (int bank = kFirstCustomPresetBank; bank <= kLastCustomPresetBank; ++bank) {
        const int first = FirstCustomPresetSlot(family, bank);
        for (int n = 0; n < kCustomPresetSlots; ++n) {
            EXPECT_EQ(model.FindCustomPreset(first + n, bank), nullptr);
            const std::u16string name = u"p" + Key(bank) + Key(n);
            ASSERT_EQ(model.SaveCurrentAsPreset(name, bank, n), 1);
            const std::u16string key = Key(bank) + u"_" + Key(n);
            EXPECT_TRUE(store.Has(u"CustomPreset", key.c_str())) << bank << "_" << n;
            const GroupPreset* preset = model.FindCustomPreset(first + n, bank);
            ASSERT_NE(preset, nullptr);
            EXPECT_EQ(FieldText(preset->name), name);
        }
        EXPECT_EQ(model.FindCustomPreset(first + kCustomPresetSlots, bank), nullptr);
        GroupPreset out;
        EXPECT_EQ(model.GetCustomPreset(first + kCustomPresetSlots, bank, out), 0);
        EXPECT_EQ(model.ApplyCustomPreset(first + 1, bank), 1);
    }
    // A restart reads them back into the same slots.
    CParamModel again(family, port, &store);
    for (int bank = kFirstCustomPresetBank; bank <= kLastCustomPresetBank; ++bank)
        for (int n = 0; n < kCustomPresetSlots; ++n) {
            const GroupPreset* preset = again.FindCustomPreset(FirstCustomPresetSlot(family, bank) + n, bank);
            ASSERT_NE(preset, nullptr);
            EXPECT_EQ(FieldText(preset->name)[1], u'0' + bank);
        }
}

INSTANTIATE_TEST_SUITE_P(Families, FamilyModel, ::testing::Values(&DorbIIFamily(), &ZenkFamily()),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
