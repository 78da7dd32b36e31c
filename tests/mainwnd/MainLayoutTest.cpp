// The main window's layout as the effect page will drive it: every id and
// name it looks for, of the class it expects, and every text in both
// languages. Built once per family: the expectations come from the family's
// tables.
#include <cairo.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "families/ThisFamily.h"
#include "platform/os/MessageQueue.h"
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
        const std::filesystem::path path =
            std::filesystem::path(QV_ARTIFACTS_DIR) / "mainwnd" / (std::string(ThisFamily().name) + "_" + name);
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
    const FamilyData& family = ThisFamily();
    std::vector<Range> ranges = {
        {kFirstEffectButton, kFirstEffectButton + EffectButtonCount(family) - 1, 1, "qvradiobtn"},
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
    // Each bank's built-in presets from slot 1, then its custom ones, and no more.
    for (int bank = kFirstCustomPresetBank; bank <= kLastCustomPresetBank; ++bank) {
        const int last = FirstCustomPresetSlot(family, bank) + kCustomPresetSlots - 1;
        ranges.push_back({PresetButtonId(bank, 1), PresetButtonId(bank, last), 1, "qvradiobtn"});
        ranges.push_back({PresetButtonId(bank, last + 1), PresetButtonId(bank, last + 1), 1, "<none>"});
    }
    ranges.push_back({kFirstEffectButton + EffectButtonCount(family), kFirstEffectButton + EffectButtonCount(family), 1, "<none>"});
    for (const Range& r : ranges) {
        for (int id = r.first; id <= r.last; id += r.step) EXPECT_EQ(ClassOf(id), r.cls) << id;
    }
    for (int param : {0, 1, 2, 3, 9, 16, 17, 20, 22, 23, 38}) {
        EXPECT_EQ(ClassOf(8000 + param), "qvrotaryknob") << param;
        EXPECT_EQ(ClassOf(6000 + param), "edit2") << param;
    }
    const int paramCount = static_cast<int>(family.descriptors.size());
    for (int param : {5, 6, 10, paramCount - 2, paramCount - 1}) EXPECT_EQ(ClassOf(7000 + param), "qvcheckbtn") << param;

    const std::pair<const char16_t*, const char*> named[] = {
        {u"txt_app_title", "text"}, {u"btn_menu", "imgbtn"}, {u"btn_min", "imgbtn"}, {u"btn_close", "imgbtn"},
        {u"param_content", "window"}, {u"txt_eff_title", "text"}, {u"tab_reverb_pitch", "tabctrl"},
        {u"reverb_scrollview", "scrollview"}, {u"eq_curve", "qveq"}, {u"mclist_cloud_effect", "mclistview"},
        {u"mclist_download_effect", "mclistview"}, {u"ani_fetch_cloud_eff", "gifplayer"},
        {u"wnd_cloud_eff_refresh", "window"}, {u"btn_cloud_retry", "link"},
        {u"forbid_not_electric_param", "window"}, {u"forbid_electric_param", "window"},
        {u"forbid_device_conn_status", "window"}};
    for (const auto& [name, cls] : named) EXPECT_EQ(ClassOf(name), cls) << ui::SStringW(name).ToUtf8();
    // The pitch overlays belong to the family whose first effect locks reverb and voice change.
    const char* pitchOverlay = family.effectPage.pitchTabRule == PitchTabRule::kVoiceEffectsOrSwitch ? "window" : "<none>";
    EXPECT_EQ(ClassOf(u"forbid_reverb_pitch_param"), pitchOverlay);
    EXPECT_EQ(ClassOf(u"forbid_pitch_param"), pitchOverlay);
    EXPECT_EQ(m_dlg->FindChildByName(u"btn_cloud_retry")->GetID(), 65560);
    EXPECT_EQ(m_dlg->FindChildByName(u"btn_close")->GetID(), 2);
    // The binder finds every parameter control under its container.
    ui::SWindow* content = m_dlg->FindChildByName(u"param_content");
    for (int id : {8000, 6038, 2034, 7000 + paramCount - 1, 611019}) EXPECT_NE(content->FindChildByID(id), nullptr) << id;
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
    // The family's main window with every layout it includes, its boxes and menus.
    const FamilyWindowData& window = ThisFamily().window;
    std::vector<std::u16string> resources = {window.mainLayout, window.aboutLayout, u"LAYOUT:XML_DLGDEVICEINFO",
                                             window.mainMenu, u"SMENU:menu_tray"};
    for (std::size_t i = 0; i < resources.size(); ++i) {
        pugi::xml_document doc;
        if (!m_app->LoadXmlResource(doc, resources[i].c_str(), u"LAYOUT")) continue;
        for (pugi::xpath_node include : doc.select_nodes("//include[@src]"))
            resources.push_back(ui::SStringW::FromUtf8(include.node().attribute("src").value()).c_str());
    }
    for (const std::u16string& name : resources) {
        const char16_t* res = name.c_str();
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
    EXPECT_GT(resources.size(), 8u);
    EXPECT_GT(checked, 90);
}

TEST_F(MainLayoutTest, ShowsInEnglishAsInChinese) {
    SaveFrame(*m_dlg, "layout_cn.png");  // the layout alone: no page drives it
    ASSERT_TRUE(m_app->InstallLanguage(u"translator:lang_en"));
    const ui::SStringW builtIn = m_dlg->FindChildByID(kFirstEffectButton + 1)->GetWindowText();
    EXPECT_FALSE(builtIn.IsEmpty());
    EXPECT_FALSE(std::regex_search(builtIn.ToUtf8(), std::regex("[\\xE4-\\xE9]"))) << builtIn.ToUtf8();
    EXPECT_EQ(m_dlg->FindChildByName(u"txt_app_title")->GetWindowText(), u"Halvena Audio");
    SaveFrame(*m_dlg, "layout_en.png");

    std::uint8_t reply[64] = {};
    reply[4] = 10;
    reply[6] = 23;
    reply[14] = 1;
    const std::u16string info = DeviceInfoText(ThisFamily().window.productLine, reply);
    EXPECT_NE(info.find(u"Hardware version: V1.0\nFirmware version: V2.3\nDevice type: Sound card\n"), std::u16string::npos);
    EXPECT_EQ(info.rfind(u"Product: ", 0), 0u) << ui::SStringW(info).ToUtf8();
    CDlgDeviceInfo box(info);
    ASSERT_TRUE(box.Create(nullptr));
    SaveFrame(box, "device_info_en.png");
    box.DestroyWindow();
    ui::SHostWnd about(ThisFamily().window.aboutLayout);
    ASSERT_TRUE(about.Create(nullptr));
    SaveFrame(about, "about_en.png");
    about.DestroyWindow();
}

// What a user sees go wrong first, in both languages: the no-card message
// on a panel in the middle of the page it locks, the device information
// box's lines whole (Escape closes it), the cloud lists closing up on the
// effects when the save button hides.
TEST_F(MainLayoutTest, NoCardMessageDeviceInformationAndListsLayOutInBothLanguages) {
    for (const char16_t* language : {u"translator:lang_cn", u"translator:lang_en"}) {
        SCOPED_TRACE(ui::SStringW(language).ToUtf8());
        ASSERT_TRUE(m_app->InstallLanguage(language));
        ui::SWindow* overlay = m_dlg->FindChildByName(u"forbid_device_conn_status");
        overlay->SetVisible(true);
        m_dlg->UpdateWindow();
        ui::SWindow* panel = m_dlg->FindChildByName(u"conn_status_panel");
        ASSERT_NE(panel, nullptr);
        const ui::CRect locked = overlay->GetWindowRect();
        EXPECT_NEAR(panel->GetWindowRect().CenterPoint().x, locked.CenterPoint().x, 1);
        EXPECT_NEAR(panel->GetWindowRect().CenterPoint().y, locked.CenterPoint().y, 1);
        ui::SWindow* message = panel->GetWindow(ui::GSW_FIRSTCHILD);
        EXPECT_LE(message->GetDesiredSize().cx, message->GetWindowRect().Width()) << message->GetWindowText().ToUtf8();
        // The panel is opaque: nothing of the page shows through it.
        const ui::CPoint inside(panel->GetWindowRect().left + 6, panel->GetWindowRect().CenterPoint().y);
        EXPECT_EQ(m_dlg->GetRenderTarget()->GetPixel(inside.x, inside.y), ui::RGBA(0x2A, 0x2C, 0x33, 0xFF));
        overlay->SetVisible(false);

        std::uint8_t reply[64] = {};
        reply[4] = 10;
        reply[6] = 23;
        reply[14] = 1;
        const std::u16string info = DeviceInfoText(u"产品名称：Dorb Ⅱ Pro\n", reply);
        CDlgDeviceInfo box(info);
        qv::os::PostTask(qv::os::GetCurrentThreadId(), [&box] {
            ui::SWindow* lines = box.FindChildByName(u"txt_info");
            EXPECT_TRUE(lines && lines->GetDesiredSize().cy <= lines->GetWindowRect().Height());
            box.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
        });
        EXPECT_EQ(box.DoModal(nullptr), IDCANCEL);
    }

    ui::SWindow* save = m_dlg->FindChildByID(12100);
    ui::SWindow* effects = m_dlg->FindChildByName(u"common_eff_wnd");
    ui::SWindow* lists = m_dlg->FindChildByName(u"cloud_eff_wnd");
    m_dlg->UpdateWindow();
    EXPECT_EQ(lists->GetWindowRect().top, save->GetWindowRect().bottom + 10);
    save->SetVisible(false);
    m_dlg->UpdateWindow();
    EXPECT_EQ(lists->GetWindowRect().top, effects->GetWindowRect().bottom + 10);
}

}  // namespace
}  // namespace qv::test
