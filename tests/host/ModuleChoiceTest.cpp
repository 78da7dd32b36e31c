#include "host/ModuleChoice.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

constexpr std::uint16_t kZenkPid = 0x001D;
constexpr std::uint16_t kDorbPid = 0x0036;

std::u16string Choose(std::u16string_view last, std::set<std::uint16_t> present) {
    const DeviceRow& row = ChooseStartRow(last, [&](const DeviceRow& r) {
        return r.vendorId == kQuorvelVendorId && present.count(r.productId) > 0;
    });
    return row.pluginFile;
}

TEST(DeviceTable, KnowsThreeCardsAndTheLegacyName) {
    ASSERT_NE(FindDeviceRow(0x2B53, 0x001D), nullptr);
    EXPECT_EQ(FindDeviceRow(0x2B53, 0x001D)->modelCode, kModelZenk);
    EXPECT_EQ(FindDeviceRow(0x2B53, 0x0020)->modelCode, kModelZenk);
    EXPECT_EQ(FindDeviceRow(0x2B53, 0x0036)->modelCode, kModelDorbII);
    EXPECT_EQ(FindDeviceRow(0x2B54, 0x0036), nullptr);
    EXPECT_EQ(CanonicalPluginFile(u"dorbIV.so"), u"dorbII.so");
    EXPECT_EQ(CanonicalPluginFile(u"DORBIV.so"), u"DORBIV.so");
}

TEST(ModuleChoice, WithoutCardOrNameStartsFirstRow) {
    EXPECT_EQ(Choose(u"", {}), u"zenk.so");
    EXPECT_EQ(Choose(u"other.so", {}), u"zenk.so");
}

TEST(ModuleChoice, WithoutCardStartsTheNamedPlugin) {
    EXPECT_EQ(Choose(u"dorbII.so", {}), u"dorbII.so");
    EXPECT_EQ(Choose(u"zenk.so", {}), u"zenk.so");
    EXPECT_EQ(Choose(u"dorbIV.so", {}), u"dorbII.so");
    // The name compares case-sensitively.
    EXPECT_EQ(Choose(u"DORBII.so", {}), u"zenk.so");
}

TEST(ModuleChoice, WithoutCardRemembersLastMatchingRow) {
    const DeviceRow& row = ChooseStartRow(u"zenk.so", [](const DeviceRow&) { return false; });
    EXPECT_EQ(&row, &kDeviceTable[1]);
}

TEST(ModuleChoice, PresentCardWinsOverName) {
    EXPECT_EQ(Choose(u"zenk.so", {kDorbPid}), u"dorbII.so");
    EXPECT_EQ(Choose(u"dorbII.so", {kZenkPid}), u"zenk.so");
    EXPECT_EQ(Choose(u"dorbIV.so", {kZenkPid}), u"zenk.so");
    EXPECT_EQ(Choose(u"", {kDorbPid}), u"dorbII.so");
}

TEST(ModuleChoice, TwoFamiliesPresentFollowTableOrder) {
    EXPECT_EQ(Choose(u"dorbII.so", {kZenkPid, kDorbPid}), u"zenk.so");
}

TEST(ModuleChoice, UpdateModeCardAloneGoesToFamilyLastUsed) {
    EXPECT_EQ(Choose(u"dorbII.so", {kUpdateModeProductId}), u"dorbII.so");
    EXPECT_EQ(Choose(u"dorbIV.so", {kUpdateModeProductId}), u"dorbII.so");
    EXPECT_EQ(Choose(u"zenk.so", {kUpdateModeProductId}), u"zenk.so");
}

TEST(ModuleChoice, UpdateModeCardWithoutNameFollowsTable) {
    const DeviceRow& row = ChooseStartRow(
        u"", [](const DeviceRow& r) { return r.productId == kUpdateModeProductId; });
    EXPECT_EQ(&row, &kDeviceTable[1]);
    EXPECT_EQ(Choose(u"unknown.so", {kUpdateModeProductId}), u"zenk.so");
}

TEST(ModuleChoice, NormalCardWinsOverUpdateModeCard) {
    EXPECT_EQ(Choose(u"zenk.so", {kUpdateModeProductId, kDorbPid}), u"dorbII.so");
    EXPECT_EQ(Choose(u"dorbII.so", {kUpdateModeProductId, kZenkPid}), u"zenk.so");
}

}  // namespace
