// What the workspace keeps in its state file survives a restart of the
// plug-in: the last effect, user effects and presets.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "families/FamilyData.h"
#include "tests/workspace/WorkSpaceRig.h"

namespace qv::test {
namespace {

constexpr int kBank1FirstCustom = 7;  // custom slots follow bank 1's built-in presets

TEST(WorkSpaceState, TheModelSurvivesARestart) {
    WorkSpaceRig rig;
    rig.StartWorkspace();
    ASSERT_EQ(rig.workspace->OpenSession(), 1);
    CWorkSpaceParams& params = *rig.workspace->Params();
    params.WriteParam(8019, 3);
    params.WriteParam(2000 + kFirstEqBand, 20);
    ASSERT_EQ(rig.Model().SaveCustomEffect(u"Mine", 1, 2), 1);
    ASSERT_EQ(rig.Model().SaveCurrentAsPreset(u"Bands", 1, 0), 1);
    const EffectRecord current = rig.Model().GetCurrentEffect();
    ASSERT_EQ(rig.workspace->CloseSession(), 1);
    EXPECT_FALSE(rig.card.SessionOpen());
    rig.StopWorkspace();

    // The next start reads the file again through a fresh store.
    CSettingsStore reloaded;
    ASSERT_TRUE(reloaded.Load(rig.settings.FilePath()));
    rig.stateStore = std::make_unique<CSettingsStateStore>(reloaded);
    rig.StartWorkspace();
    CParamModel& model = rig.Model();
    EXPECT_EQ(0, std::memcmp(&model.GetCurrentEffect(), &current, sizeof current));
    EXPECT_EQ(model.GetValue(19), 3);
    EXPECT_EQ(model.GetValue(kFirstEqBand), 20);
    ASSERT_GE(model.GetUserEffects().size(), 3u);
    EXPECT_EQ(std::u16string(model.GetUserEffects()[2].name), u"Mine");
    GroupPreset preset{};
    ASSERT_EQ(model.GetCustomPreset(kBank1FirstCustom, 1, preset), 1);
    EXPECT_EQ(std::u16string(preset.name), u"Bands");

    // The session sends what was restored.
    ASSERT_EQ(rig.workspace->OpenSession(), 1);
    EXPECT_EQ(rig.card.ParamValue(kFirstEqBand), 20);
    rig.StopWorkspace();
    rig.stateStore.reset();
}

TEST(WorkSpaceState, CorruptRecordsReadAsAbsent) {
    WorkSpaceRig rig;
    // A last effect with a wrong checksum, one of the wrong length, a count
    // far too large and a preset that is not hexadecimal.
    std::u16string record(2 * sizeof(EffectRecord) + 2, u'0');
    record.back() = u'1';
    ASSERT_TRUE(rig.settings.WriteString(u"LastStatus", u"CurrentEffect", record.c_str()));
    ASSERT_TRUE(rig.settings.WriteString(u"MyCustomEffect", u"0", u"00112233"));
    ASSERT_TRUE(rig.settings.WriteString(u"CustomPreset", u"1_0", std::u16string(338, u'Z').c_str()));
    ASSERT_TRUE(rig.settings.WriteInt(u"DownloadEffect", u"count", 2000000000));
    rig.StartWorkspace();
    CParamModel& model = rig.Model();
    EXPECT_EQ(0, std::memcmp(&model.GetCurrentEffect(), &model.GetDeviceEffects()[0], sizeof(EffectRecord)));
    EXPECT_EQ(model.GetUserEffects()[0].name[0], u'\0');
    EXPECT_EQ(model.FindCustomPreset(kBank1FirstCustom, 1), nullptr);
    EXPECT_EQ(model.GetDownloadedEffects().GetCount(), 0);
}

}  // namespace
}  // namespace qv::test
