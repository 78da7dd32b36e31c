#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/ui/SHostWnd.h"
#include "platform/ui/SObject.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/STranslator.h"
#include "platform/ui/WinDefs.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::ui {
namespace {

// The fixture's application loads "uidef:xml_init" from this executable's
// resources, as the plug-in does from the host's.
using SkinResourcesTest = test::UiAppTest;

pugi::xml_document LoadXml(SApplication& app, const char16_t* resName, const char16_t* defaultType) {
    pugi::xml_document doc;
    EXPECT_TRUE(app.LoadXmlResource(doc, resName, defaultType)) << SStringW(resName).ToUtf8();
    return doc;
}

SLanguage LoadLanguage(SApplication& app, const char16_t* name) {
    pugi::xml_document doc = LoadXml(app, name, u"translator");
    SLanguage language;
    EXPECT_TRUE(language.LoadFromXml(doc.child("language"))) << SStringW(name).ToUtf8();
    return language;
}

// The texts the skin itself shows: button captions and menu items.
std::vector<SStringW> SkinTexts(SApplication& app) {
    std::vector<SStringW> texts;
    pugi::xml_document msgbox = LoadXml(app, u"XML_MSGBOX", u"LAYOUT");
    for (pugi::xpath_node button : msgbox.select_nodes("//button")) {
        texts.push_back(XmlText(button.node().text().get()));
    }
    pugi::xml_document menu = LoadXml(app, u"XML_EDITMENU", u"SMENU");
    for (pugi::xml_node item : menu.child("editmenu").children("item")) texts.push_back(XmlText(item.text().get()));
    return texts;
}

TEST_F(SkinResourcesTest, UiDefinitionGivesTheVersionStylesAndEverySkinWithItsImage) {
    EXPECT_EQ(m_app->GetString(u"@string/ver"), SStringW(u"1.0.3"));
    EXPECT_EQ(m_app->TranslateText(u"@string/ver"), u"1.0.3");
    struct Expected {
        const char16_t* name;
        int states;
        CSize frame;
    };
    for (const Expected& e : {Expected{u"skin_wnd_bg", 1, {24, 24}}, Expected{u"skin_tip_bg", 1, {16, 16}},
                              Expected{u"skin_btn", 4, {24, 24}}, Expected{u"skin_btn_close", 4, {24, 24}},
                              Expected{u"skin_menu_item", 2, {12, 12}}, Expected{u"skin_logo", 1, {16, 16}},
                              Expected{u"skin_logo_32", 1, {32, 32}}}) {
        auto* skin = dynamic_cast<SSkinImgList*>(m_app->GetSkin(e.name));
        ASSERT_NE(skin, nullptr) << SStringW(e.name).ToUtf8();
        EXPECT_NE(skin->GetImage(), nullptr) << SStringW(e.name).ToUtf8();
        EXPECT_EQ(skin->GetStates(), e.states) << SStringW(e.name).ToUtf8();
        EXPECT_EQ(skin->GetSkinSize(), e.frame) << SStringW(e.name).ToUtf8();
    }
    EXPECT_NE(m_app->GetSkin(u"skin_line"), nullptr);
    for (const char16_t* style : {u"cls_text", u"cls_text_secondary", u"cls_caption", u"cls_btn", u"cls_btn_close", u"cls_tip"}) {
        EXPECT_TRUE(m_app->GetStyle(style)) << SStringW(style).ToUtf8();
    }
}

TEST_F(SkinResourcesTest, LogoIconDecodesAtBothSizesWithTransparentCorners) {
    for (int size : {16, 32}) {
        BitmapPtr icon = m_app->LoadIcon(u"ICON_LOGO", size);
        ASSERT_NE(icon, nullptr) << size;
        EXPECT_EQ(icon->Width(), size);
        EXPECT_EQ(icon->Height(), size);
        EXPECT_EQ(GetAValue(icon->GetPixel(0, 0)), 0) << size;                  // rounded corner
        EXPECT_EQ(GetAValue(icon->GetPixel(size / 2, size / 8)), 255) << size;  // the accent square
    }
    BitmapPtr small = m_app->LoadImage(u"IMG:image_logo");
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->Width(), 16);
}

TEST_F(SkinResourcesTest, TranslatorTablesLoadAsThePlugInLoadsThem) {
    ASSERT_TRUE(m_app->InstallLanguage(u"translator:lang_en"));
    EXPECT_EQ(m_app->TranslateText(u"提示"), u"Notice");
    EXPECT_EQ(m_app->TranslateText(u"错误"), u"Error");
    EXPECT_EQ(m_app->TranslateText(u"退出"), u"Exit");
    EXPECT_EQ(m_app->TranslateText(u"设备类型：%s\n"), u"Device type: %s\n");  // escaped line break kept
    ASSERT_TRUE(m_app->InstallLanguage(u"translator:lang_cn"));
    EXPECT_EQ(m_app->GetTranslator().GetLanguage()->GetName(), u"cn");
    EXPECT_EQ(m_app->TranslateText(u"Show"), u"显示主界面");
    EXPECT_EQ(m_app->TranslateText(u"About"), u"关于");
    EXPECT_EQ(m_app->TranslateText(u"Exit"), u"退出");
    EXPECT_EQ(m_app->TranslateText(u"提示"), u"提示");
}

TEST_F(SkinResourcesTest, EverySkinTextHasAChineseTextThatTranslatesBack) {
    SLanguage cn = LoadLanguage(*m_app, u"lang_cn");
    SLanguage en = LoadLanguage(*m_app, u"lang_en");
    std::vector<SStringW> texts = SkinTexts(*m_app);
    EXPECT_GE(texts.size(), 10u);
    for (const SStringW& text : texts) {
        const SStringW* chinese = cn.Translate(text, {});
        ASSERT_NE(chinese, nullptr) << text.ToUtf8();
        const SStringW* english = en.Translate(*chinese, {});
        ASSERT_NE(english, nullptr) << chinese->ToUtf8();
        EXPECT_EQ(*english, text);
    }
}

TEST_F(SkinResourcesTest, TranslationTablesHaveNoEmptyOrRepeatedEntries) {
    for (const char16_t* name : {u"lang_cn", u"lang_en"}) {
        pugi::xml_document doc = LoadXml(*m_app, name, u"translator");
        std::set<std::string> sources;
        int items = 0;
        for (pugi::xpath_node item : doc.select_nodes("//item")) {
            ++items;
            const char* src = item.node().attribute("src").value();
            EXPECT_NE(*src, '\0') << SStringW(name).ToUtf8();
            EXPECT_NE(*item.node().text().get(), '\0') << src;
            EXPECT_TRUE(sources.insert(src).second) << "repeated: " << src;
        }
        EXPECT_GE(items, 10) << SStringW(name).ToUtf8();
    }
}

TEST_F(SkinResourcesTest, MessageBoxTemplateCarriesTheBoxFieldsAndButtonIds) {
    pugi::xml_document doc = LoadXml(*m_app, u"LAYOUT:XML_MSGBOX", u"LAYOUT");
    pugi::xml_node tmpl = doc.child("SOUI");
    ASSERT_TRUE(tmpl);
    for (const char* name : {"msgtitle", "msgtext", "msgicon", "btnSwitch", "btn_close"}) {
        EXPECT_TRUE(tmpl.find_node([name](pugi::xml_node n) { return std::string_view(n.attribute("name").value()) == name; }))
            << name;
    }
    // One page per button count; the ids are the results the box returns.
    std::vector<std::vector<int>> pages;
    for (pugi::xml_node page : tmpl.select_node("//*[@name='btnSwitch']").node().children()) {
        pages.emplace_back();
        for (pugi::xml_node button : page.children("button")) pages.back().push_back(button.attribute("id").as_int());
    }
    EXPECT_EQ(pages, (std::vector<std::vector<int>>{{IDOK}, {IDYES, IDNO}, {IDYES, IDNO, IDCANCEL}}));

    // The layer builds the whole tree; the control tags the template uses
    // stand as plain windows where no control class is registered.
    for (const char16_t* tag : {u"caption", u"img", u"button", u"imgbtn"}) {
        if (!m_app->GetWindowFactory().IsRegistered(tag)) m_app->GetWindowFactory().Register(tag, [] { return new SWindow(); });
    }
    SHostWnd host(u"LAYOUT:XML_MSGBOX");
    ASSERT_NE(host.Create(), nullptr);
    EXPECT_EQ(host.GetWindowRect().Size(), CSize(360, 168));
    EXPECT_EQ(host.GetSkin(), m_app->GetSkin(u"skin_wnd_bg"));
    for (const char16_t* name : {u"msgtitle", u"msgtext", u"msgicon", u"btnSwitch"}) {
        SWindow* wnd = host.FindChildByName(name);
        ASSERT_NE(wnd, nullptr) << SStringW(name).ToUtf8();
        EXPECT_FALSE(wnd->GetWindowRect().IsRectEmpty()) << SStringW(name).ToUtf8();
    }
    EXPECT_EQ(host.FindChildByName(u"msgtitle")->GetFontSize(), 14);
    EXPECT_EQ(host.FindChildByName(u"msgtext")->GetFontSize(), 12);
    EXPECT_EQ(host.FindChildByName(u"msgicon")->GetSkin(), m_app->GetSkin(u"skin_logo_32"));
    // The text, centred in its box, shares its middle line with the icon.
    EXPECT_EQ(host.FindChildByName(u"msgicon")->GetWindowRect().CenterPoint().y,
              host.FindChildByName(u"msgtext")->GetWindowRect().CenterPoint().y);
    SWindow* close = host.FindChildByName(u"btn_close");
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->GetID(), IDCANCEL);
    EXPECT_EQ(close->GetSkin(), m_app->GetSkin(u"skin_btn_close"));
    SWindow* ok = host.FindChildByName(u"button1st");  // the first page's
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetID(), IDOK);
    EXPECT_EQ(ok->GetSkin(), m_app->GetSkin(u"skin_btn_accent"));  // the confirming button
    EXPECT_EQ(ok->GetWindowText(), u"OK");
    host.DestroyWindow();
}

TEST_F(SkinResourcesTest, EditMenuAndTooltipTemplatesLoad) {
    pugi::xml_document menu = LoadXml(*m_app, u"SMENU:XML_EDITMENU", u"SMENU");
    std::vector<int> ids;
    for (pugi::xml_node item : menu.child("editmenu").children("item")) ids.push_back(item.attribute("id").as_int());
    EXPECT_EQ(ids, (std::vector<int>{0x304, 0x300, 0x301, 0x302, 0x303, 0xB1}));
    EXPECT_NE(m_app->GetSkin(XmlText(menu.child("editmenu").attribute("itemSkin").value())), nullptr);

    SHostWnd tip(u"LAYOUT:XML_TOOLTIP");
    ASSERT_NE(tip.Create(), nullptr);
    EXPECT_EQ(tip.GetSkin(), m_app->GetSkin(u"skin_tip_bg"));
    SWindow* text = tip.FindChildByName(u"txt_tip");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetFontSize(), 12);
    tip.DestroyWindow();
}

}  // namespace
}  // namespace qv::ui
