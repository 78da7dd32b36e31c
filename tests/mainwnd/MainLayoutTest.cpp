// The main window's layout as the effect page will drive it: every id and
// name it looks for, of the class it expects, and every text in both
// languages.
#include <cairo.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "platform/os/Utf.h"
#include "plugin/device/DeviceInfoText.h"
#include "plugin/dialogs/DlgDeviceInfo.h"
#include "plugin/windows/MainDlg.h"
#include "platform/ui/STranslator.h"
#include "platform/ui/controls/STabCtrl.h"
#include "tests/mainwnd/MainWndTestEnv.h"

namespace qv::test {
namespace {

class MainLayoutTest : public SkinAppTest {
protected:
    void SetUp() override {
        SkinAppTest::SetUp();
        m_dlg = std::make_unique<CMainDlg>(MainDlgPages{});
        ASSERT_TRUE(m_dlg->Create(nullptr));
    }
    void TearDown() override {
        m_dlg.reset();
        SkinAppTest::TearDown();
    }
    // The class of the window with that id, or "<none>".
    std::string ClassOf(int id) {
        ui::SWindow* w = m_dlg->FindChildByID(id);
        return w ? ui::SStringW(w->GetObjectClass()).ToUtf8() : "<none>";
    }
    std::string ClassOf(const char16_t* name) {
        ui::SWindow* w = m_dlg->FindChildByName(name);
        return w ? ui::SStringW(w->GetObjectClass()).ToUtf8() : "<none>";
    }
    static void SaveFrame(ui::SHostWnd& host, const std::string& name) {
        host.UpdateWindow();
        const std::filesystem::path path = std::filesystem::path(QV_ARTIFACTS_DIR) / "mainwnd" / name;
        std::filesystem::create_directories(path.parent_path());
        ASSERT_EQ(cairo_surface_write_to_png(host.GetFrameBitmap()->Surface(), path.c_str()), CAIRO_STATUS_SUCCESS);
    }

    std::unique_ptr<CMainDlg> m_dlg;
};

TEST_F(MainLayoutTest, CarriesEveryControlOfTheEffectSideByIdAndClass) {
    struct Range {
        int first;
        int last;
        int step;
        const char* cls;
    };
    const Range ranges[] = {
        {10000, 10023, 1, "qvradiobtn"},    // effect buttons
        {11101, 11110, 1, "qvradiobtn"},    // EQ presets
        {11201, 11211, 1, "qvradiobtn"},    // reverb presets
        {11301, 11308, 1, "qvradiobtn"},    // voice-change presets
        {12001, 12003, 1, "button"},        // save preset of banks 1..3
        {13001, 13003, 1, "button"},        // defaults of banks 1..3
        {11000, 11000, 1, "button"},        // the mixer's defaults
        {12100, 12100, 1, "button"},        // save effect
        {2025, 2034, 1, "qvslider"},        // EQ bands
        {6025, 6034, 1, "edit2"},           // their value boxes
        {600018, 601018, 1000, "qvradiobtn"},  // major, minor
        {600019, 611019, 1000, "qvradiobtn"},  // keys C..B
        {900, 901, 1, "tabctrl"},
    };
    for (const Range& r : ranges) {
        for (int id = r.first; id <= r.last; id += r.step) EXPECT_EQ(ClassOf(id), r.cls) << id;
    }
    for (int param : {0, 1, 2, 3, 9, 16, 17, 20, 22, 23, 38}) {
        EXPECT_EQ(ClassOf(8000 + param), "qvrotaryknob") << param;
        EXPECT_EQ(ClassOf(6000 + param), "edit2") << param;
    }
    for (int param : {5, 6, 10, 43, 44}) EXPECT_EQ(ClassOf(7000 + param), "qvcheckbtn") << param;

    const std::pair<const char16_t*, const char*> named[] = {
        {u"txt_app_title", "text"}, {u"btn_menu", "imgbtn"}, {u"btn_min", "imgbtn"}, {u"btn_close", "imgbtn"},
        {u"param_content", "window"}, {u"txt_eff_title", "text"}, {u"tab_reverb_pitch", "tabctrl"},
        {u"reverb_scrollview", "scrollview"}, {u"eq_curve", "qveq"}, {u"mclist_cloud_effect", "mclistview"},
        {u"mclist_download_effect", "mclistview"}, {u"ani_fetch_cloud_eff", "gifplayer"},
        {u"wnd_cloud_eff_refresh", "window"}, {u"btn_cloud_retry", "link"},
        {u"forbid_not_electric_param", "window"}, {u"forbid_electric_param", "window"},
        {u"forbid_device_conn_status", "window"}, {u"forbid_reverb_pitch_param", "window"},
        {u"forbid_pitch_param", "window"}};
    for (const auto& [name, cls] : named) EXPECT_EQ(ClassOf(name), cls) << ui::SStringW(name).ToUtf8();
    EXPECT_EQ(m_dlg->FindChildByName(u"btn_cloud_retry")->GetID(), 65560);
    EXPECT_EQ(m_dlg->FindChildByName(u"btn_close")->GetID(), 2);
    // The binder finds every parameter control under its container.
    ui::SWindow* content = m_dlg->FindChildByName(u"param_content");
    for (int id : {8000, 6038, 2034, 7044, 611019}) EXPECT_NE(content->FindChildByID(id), nullptr) << id;
    auto* tabs = dynamic_cast<ui::STabCtrl*>(m_dlg->FindChildByName(u"tab_reverb_pitch"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetItemCount(), 2);
}

// Texts of the skin's windows and menus: a Chinese text is translated by
// "lang_en"; an English menu item by "lang_cn". Names, units and numbers in
// the layouts stay as they are.
TEST_F(MainLayoutTest, EveryTextOfTheMainWindowsAndMenusHasBothLanguages) {
    auto language = [this](const char16_t* name) {
        pugi::xml_document doc;
        EXPECT_TRUE(m_app->LoadXmlResource(doc, name, u"translator"));
        auto lang = std::make_unique<ui::SLanguage>();
        EXPECT_TRUE(lang->LoadFromXml(doc.child("language")));
        return lang;
    };
    const auto en = language(u"lang_en");
    const auto cn = language(u"lang_cn");
    const std::regex chinese("[\\xE4-\\xE9][\\x80-\\xBF][\\x80-\\xBF]");
    int checked = 0;
    for (const char16_t* res : {u"LAYOUT:XML_MAINWND_DORBII", u"LAYOUT:XML_INC_EFFECTS", u"LAYOUT:XML_INC_CLOUNDEFFECTLIST",
                                u"LAYOUT:XML_INC_VOLUME", u"LAYOUT:XML_INC_ELECTRIC", u"LAYOUT:XML_INC_EQ",
                                u"LAYOUT:XML_INC_REVERB_PITCH", u"LAYOUT:XML_ABOUT_DORBII", u"LAYOUT:XML_DLGDEVICEINFO",
                                u"SMENU:menu_main", u"SMENU:menu_tray"}) {
        pugi::xml_document doc;
        ASSERT_TRUE(m_app->LoadXmlResource(doc, res, u"LAYOUT")) << ui::SStringW(res).ToUtf8();
        const bool isMenu = std::u16string_view(res).starts_with(u"SMENU");
        for (pugi::xpath_node node : doc.select_nodes("//*")) {
            std::vector<std::string> texts = {node.node().child_value()};
            for (const char* attr : {"title", "tip", "text1", "text2"}) texts.push_back(node.node().attribute(attr).value());
            for (const std::string& text : texts) {
                if (text.empty() || text.find_first_not_of(" \n") == std::string::npos || text.rfind("@string/", 0) == 0) continue;
                const bool isChinese = std::regex_search(text, chinese);
                if (!isChinese && !isMenu) continue;
                const ui::SLanguage& table = isChinese ? *en : *cn;
                EXPECT_NE(table.Translate(ui::SStringW::FromUtf8(text), {}), nullptr)
                    << ui::SStringW(res).ToUtf8() << ": " << text;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 90);
}

TEST_F(MainLayoutTest, ShowsInEnglishAsInChinese) {
    SaveFrame(*m_dlg, "layout_cn.png");  // the layout alone: no page drives it
    ASSERT_TRUE(m_app->InstallLanguage(u"translator:lang_en"));
    EXPECT_EQ(m_dlg->FindChildByID(10001)->GetWindowText(), u"Singing");
    EXPECT_EQ(m_dlg->FindChildByName(u"txt_app_title")->GetWindowText(), u"Halvena Audio");
    SaveFrame(*m_dlg, "layout_en.png");

    std::uint8_t reply[64] = {};
    reply[4] = 10;
    reply[6] = 23;
    reply[14] = 1;
    const std::u16string info = DeviceInfoText(u"产品名称：Dorb Ⅱ Pro\n", reply);
    EXPECT_EQ(info, u"Product: Dorb Ⅱ Pro\nHardware version: V1.0\nFirmware version: V2.3\nDevice type: Sound card\n");
    CDlgDeviceInfo box(info);
    ASSERT_TRUE(box.Create(nullptr));
    SaveFrame(box, "device_info_en.png");
    box.DestroyWindow();
    ui::SHostWnd about(u"LAYOUT:XML_ABOUT_DORBII");
    ASSERT_TRUE(about.Create(nullptr));
    SaveFrame(about, "about_en.png");
    about.DestroyWindow();
}

}  // namespace
}  // namespace qv::test
