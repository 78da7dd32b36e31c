// Each kind of pad's context menu in both families: the family's menu with
// the pad's items where the family puts them, white under the pointer, and
// no menu for ids that name no pad.
#include <gtest/gtest.h>

#include "platform/os/Utf.h"
#include "platform/ui/SMenu.h"
#include "plugin/pages/SoundPadMenu.h"
#include "tests/mainwnd/MainWndTestEnv.h"
#include "tests/support/ExpectedFamily.h"

namespace qv::test {
namespace {

struct FamilyCase {
    const char* name;
    const FamilyData& (*family)();
    const ExpectedFamily* expected;
};

class SoundPadMenuTest : public SkinAppTest, public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(SoundPadMenuTest, EachKindOfPadHasTheItemsOfItsKind) {
    const FamilySoundPageData& family = GetParam().family().soundPage;
    const UINT rename = static_cast<UINT>(GetParam().expected->renameCommand);
    struct Case {
        int pad;
        bool hotkey;
        std::vector<std::pair<UINT, std::u16string>> items;  // empty: no menu
    };
    const Case cases[] = {
        {14000, false, {{1001, u"取消收藏"}, {1002, u"设置热键"}}},
        {14998, true, {{1001, u"取消收藏"}, {1003, u"删除热键"}, {1004, u"编辑热键"}}},
        {15009, false, {{1000, u"添加到收藏夹"}}},
        {15010, false, {{1000, u"添加到收藏夹"}, {1005, u"删除特效"}, {rename, u"重命名"}}},
        {17998, false, {{1000, u"添加到收藏夹"}}},
        {18000, false, {{1000, u"添加到收藏夹"}}},
        {24999, false, {{1000, u"添加到收藏夹"}}},
        {14999, false, {}}, {15998, false, {}}, {16500, false, {}}, {17999, false, {}},
        {25000, false, {}}, {99999, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pad);
        ui::SMenu menu;
        ASSERT_EQ(LoadPadMenu(menu, family, c.pad, c.hotkey), !c.items.empty());
        if (c.items.empty()) continue;
        std::vector<std::pair<UINT, std::u16string>> top;
        for (pugi::xml_node item : menu.GetRoot().children("item")) {
            const UINT id = item.attribute("id").as_uint();
            top.emplace_back(id, ui::SStringW::FromUtf8(item.text().get()).str());
            if (id >= 1000) {
                EXPECT_EQ(menu.GetItemAttribute(id, u"colorTextHover"), u"#ffffff") << id;
            }
        }
        // dorbII's menu starts with the card's keys, its items follow.
        std::vector<std::pair<UINT, std::u16string>> expected = c.items;
        if (GetParam().expected->soundKeys) {
            expected.insert(expected.begin(), {1006, u"载入设备"});
            for (UINT key : {110u, 111u, 112u}) EXPECT_TRUE(menu.HasItem(key)) << key;
        } else {
            EXPECT_FALSE(menu.HasItem(110));
        }
        EXPECT_EQ(top, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Families, SoundPadMenuTest,
                         ::testing::Values(FamilyCase{"dorbII", &DorbIIFamily, &kExpectedDorbII},
                                           FamilyCase{"zenk", &ZenkFamily, &kExpectedZenk}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qv::test
