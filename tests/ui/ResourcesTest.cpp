#include <gtest/gtest.h>

#include "platform/ui/ModuleResources.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SSkin.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::ui {
namespace {

using ResourcesTest = test::UiAppTest;

TEST(ResNameTest, TypesAndNamesAreReadTolerantly) {
    auto rn = ParseResName(u"LAYOUT:XML_MAIN", u"x");
    EXPECT_EQ(rn.type, u"LAYOUT");
    EXPECT_EQ(rn.name, u"XML_MAIN");
    rn = ParseResName(u"SMENU::menu_preset", u"x");
    EXPECT_EQ(rn.type, u"SMENU");
    EXPECT_EQ(rn.name, u"menu_preset");
    rn = ParseResName(u"XML_DLG", u"LAYOUT");
    EXPECT_EQ(rn.type, u"LAYOUT");
    EXPECT_EQ(rn.name, u"XML_DLG");
}

TEST_F(ResourcesTest, ModuleResourcesResolveByTypeAndNameIgnoringCase) {
    for (const char16_t* name : {u"smenu:menu_x", u"SMENU::menu_x", u"SMenu:MENU_X"}) {
        pugi::xml_document doc;
        EXPECT_TRUE(m_app->LoadXmlResource(doc, name, u"SMENU")) << SStringW(name).ToUtf8();
        EXPECT_STREQ(doc.first_child().name(), "menu");
    }
    EXPECT_GT(m_app->GetRawBufferSize(u"img", u"NinePatch"), 8u);
    EXPECT_EQ(m_app->GetRawBufferSize(u"IMG", u"missing"), 0u);
    std::vector<std::uint8_t> buf(m_app->GetRawBufferSize(u"IMG", u"ninepatch"));
    EXPECT_TRUE(m_app->GetRawBuffer(u"IMG", u"ninepatch", buf.data(), buf.size()));
    EXPECT_EQ(buf[1], 'P');
    EXPECT_FALSE(m_app->GetRawBuffer(u"IMG", u"ninepatch", buf.data(), 3));  // too small
    // The executable's table is found through its address too.
    EXPECT_NE(ExecutableModule(), nullptr);
    EXPECT_TRUE(FindModuleResource(ExecutableModule(), u"LAYOUT", u"XML_DLG"));
    EXPECT_FALSE(FindModuleResource(reinterpret_cast<HMODULE>(0x1000), u"LAYOUT", u"XML_DLG"));
}

TEST_F(ResourcesTest, SkinPoolStringsAndImagesFromTheUiDefinition) {
    auto* two = dynamic_cast<SSkinImgList*>(m_app->GetSkin(u"skin_two"));
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->GetStates(), 2);
    EXPECT_EQ(two->GetSkinSize(), CSize(8, 8));
    EXPECT_NE(m_app->GetSkin(u"skin_color"), nullptr);
    EXPECT_EQ(m_app->GetSkin(u"nope"), nullptr);
    EXPECT_EQ(m_app->LoadImage(u"IMG:twostates"), m_app->LoadImage(u"twostates"));  // cached
    EXPECT_EQ(m_app->GetString(u"@string/ver"), SStringW(u"2.1.0"));
    EXPECT_EQ(m_app->GetString(u"title"), SStringW(u"Quorvel"));
    EXPECT_FALSE(m_app->GetString(u"@string/none"));
    EXPECT_EQ(m_app->TranslateText(u"@string/ver"), u"2.1.0");
}

TEST_F(ResourcesTest, TranslatorSwitchesLanguages) {
    EXPECT_EQ(m_app->TranslateText(u"Quorvel"), u"Quorvel");
    ASSERT_TRUE(m_app->InstallLanguage(u"translator:lang_cn"));
    EXPECT_EQ(m_app->GetTranslator().GetLanguage()->GetName(), u"cn");
    EXPECT_EQ(m_app->TranslateText(u"Quorvel"), u"阔沃");
    EXPECT_EQ(m_app->TranslateText(u"@string/title"), u"阔沃");
    EXPECT_EQ(m_app->GetTranslator().Translate(u"OK", u"dlg"), u"确定");
    EXPECT_EQ(m_app->GetTranslator().Translate(u"OK"), u"OK");
    ASSERT_TRUE(m_app->InstallLanguage(u"lang_en"));
    EXPECT_EQ(m_app->TranslateText(u"提示"), u"Notice");
    EXPECT_EQ(m_app->TranslateText(u"Quorvel"), u"Quorvel");
    EXPECT_FALSE(m_app->InstallLanguage(u"translator:lang_xx"));
}

TEST_F(ResourcesTest, InstallingALanguageRetranslatesOpenWindows) {
    SHostWnd host(u"LAYOUT:XML_MAIN");
    HWND hwnd = host.Create();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(m_app->FindHostWnd(hwnd), &host);
    SWindow* title = host.FindChildByName(u"txt_title");
    EXPECT_EQ(title->GetWindowText(), u"Quorvel");
    ASSERT_TRUE(m_app->InstallLanguage(u"translator:lang_cn"));
    EXPECT_EQ(title->GetWindowText(), u"阔沃");
    host.DestroyWindow();
    EXPECT_EQ(m_app->FindHostWnd(hwnd), nullptr);
}

TEST_F(ResourcesTest, ComponentsLoadByName) {
    EXPECT_TRUE(m_app->LoadComponent(u"render-skia.dll"));
    EXPECT_TRUE(m_app->LoadComponent(u"imgdecoder-gdip"));
    EXPECT_TRUE(m_app->LoadComponent(u"log4z.dll"));
    EXPECT_TRUE(m_app->LoadComponent(u"translator.so"));
    EXPECT_FALSE(m_app->LoadComponent(u"render-d3d.dll"));
}

}  // namespace
}  // namespace qv::ui
