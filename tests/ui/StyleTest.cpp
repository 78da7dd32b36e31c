// Styles from the skin: the UI font and the named fonts and colours of the
// ui definition, references to them, inherited text colour and font, and
// attribute names in any case.
#include <gtest/gtest.h>

#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"
#include "tests/device/LogProbe.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::ui {
namespace {

using test::UiAppTest;

constexpr COLORREF kAccent = RGBA(0x3D, 0xA9, 0xFC, 0xFF);
constexpr COLORREF kPanel = RGBA(0x2A, 0x2C, 0x33, 0xFF);

class StyleTest : public UiAppTest {};

TEST_F(StyleTest, TextColourAndFontComeFromTheParentUnlessSet) {
    SHostWnd host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI SIZE=\"200,100\" Title=\"t\"><root colorText=\"#E6E8EE\" font=\"@font/title\">"
                                 u"<window name=\"box\" colorTextDisable=\"#808080\">"
                                 u"  <text name=\"plain\" text=\"a\"/>"
                                 u"  <text name=\"own\" text=\"b\" ColorText=\"#102030\" FONT=\"size:10,bold:0\"/>"
                                 u"  <text name=\"styled\" text=\"c\" class=\"cls_accent\"/>"
                                 u"  <text name=\"over\" text=\"d\" class=\"cls_accent\" colorText=\"@color/panel\"/>"
                                 u"</window></root></SOUI>"),
              nullptr);
    EXPECT_EQ(host.GetWindowRect(), CRect(0, 0, 200, 100));
    EXPECT_EQ(host.GetTitle(), u"t");
    struct Case {
        const char16_t* name;
        COLORREF color;
        int size;
        bool bold;
    } cases[] = {
        {u"plain", RGBA(0xE6, 0xE8, 0xEE, 0xFF), 16, true},
        {u"own", RGBA(0x10, 0x20, 0x30, 0xFF), 10, false},
        {u"styled", kAccent, 10, true},
        {u"over", kPanel, 10, true},
    };
    for (const Case& c : cases) {
        SWindow* w = host.FindChildByName(c.name);
        ASSERT_NE(w, nullptr);
        SCOPED_TRACE(SStringW(c.name).ToUtf8());
        EXPECT_EQ(w->GetTextColor(), c.color);
        EXPECT_EQ(w->GetDisabledTextColor(), RGBA(0x80, 0x80, 0x80, 0xFF));
        SFont font = w->GetFont();
        EXPECT_EQ(font.face, u"Test Sans");  // the skin's UI font
        EXPECT_EQ(font.size, c.size);
        EXPECT_EQ(font.bold, c.bold);
    }
    // A parent's change reaches the children that do not set their own.
    host.FindChildByName(u"box")->SetTextColor(kPanel);
    EXPECT_EQ(host.FindChildByName(u"plain")->GetTextColor(), kPanel);
    EXPECT_EQ(host.FindChildByName(u"own")->GetTextColor(), RGBA(0x10, 0x20, 0x30, 0xFF));
    host.DestroyWindow();
}

TEST_F(StyleTest, ColourReferencesResolveEverywhereAndUnknownOnesAreRefused) {
    SHostWnd host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"40,20\"><root colorBkgnd=\"@color/accent\">"
                                 u"<window pos=\"20,0,-0,-0\" skin=\"skin_color\"/></root></SOUI>"),
              nullptr);
    host.UpdateWindow();
    EXPECT_EQ(host.GetRenderTarget()->GetPixel(5, 5), kAccent);
    EXPECT_EQ(host.GetRenderTarget()->GetPixel(30, 5), RGBA(0x1E, 0x1F, 0x24, 0xFF));
    // The skin's hover colour came from the table when the skin loaded.
    SRenderTarget rt(4, 4);
    m_app->GetSkin(u"skin_color")->Draw(rt, CRect(0, 0, 4, 4), 1);
    EXPECT_EQ(rt.GetPixel(1, 1), kAccent);

    SWindow w;
    EXPECT_EQ(w.SetAttribute(u"colorText", u"@color/ACCENT", false), S_OK);
    EXPECT_EQ(w.GetTextColor(), kAccent);
    EXPECT_EQ(w.SetAttribute(u"colorText", u"@color/nowhere", false), E_FAIL);
    EXPECT_EQ(w.SetAttribute(u"font", u"@font/nowhere", false), E_FAIL);
    EXPECT_EQ(w.SetAttribute(u"font", u"weight:3", false), E_FAIL);
    EXPECT_EQ(w.GetTextColor(), kAccent);
    EXPECT_EQ(w.GetFont().size, 12);
    host.DestroyWindow();
}

}  // namespace
}  // namespace qv::ui

namespace qv::ui {
namespace {

using test::UiAppTest;

class LayoutIncludeTest : public UiAppTest {};

TEST_F(LayoutIncludeTest, IncludedLayoutsTakeTheStylesOfWhereTheyStand) {
    LogProbe log;
    SHostWnd host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"200,100\"><root colorText=\"#E6E8EE\" font=\"@font/title\">"
                                 u"<window name=\"holder\" pos=\"0,0,-0,-0\" class=\"cls_accent\">"
                                 u"<Include SRC=\"LAYOUT:XML_INC_PANEL\"/></window>"
                                 u"<bogus name=\"x\"/></root></SOUI>"),
              nullptr);
    host.UpdateWindow();
    SWindow* holder = host.FindChildByName(u"holder");
    SWindow* plain = host.FindChildByName(u"inc_plain");
    SWindow* over = host.FindChildByName(u"inc_over");
    SWindow* inner = host.FindChildByName(u"inc_inner");
    ASSERT_TRUE(plain && over && inner);
    EXPECT_EQ(inner->GetParent(), holder);  // nested includes land where the include stood
    EXPECT_EQ(plain->GetTextColor(), kAccent);
    EXPECT_EQ(plain->GetFont().size, 10);
    EXPECT_TRUE(plain->GetFont().bold);
    EXPECT_EQ(over->GetTextColor(), RGBA(0xFF, 0, 0, 0xFF));
    EXPECT_FALSE(over->GetFont().bold);
    EXPECT_EQ(over->GetFont().size, 10);
    EXPECT_EQ(host.GetRenderTarget()->GetPixel(190, 2), kPanel);
    EXPECT_EQ(inner->GetWindowRect().top, 40);  // placed after the included box
    EXPECT_EQ(log.Count("qv::ui::SWindow::CreateChildren: no window class for <bogus>"), 1);
    host.DestroyWindow();
}

TEST_F(LayoutIncludeTest, NamedLayoutsLoadIntoAWindowAndIncludeLoopsEnd) {
    LogProbe log;
    SWindow root;
    EXPECT_TRUE(root.CreateChildrenFromResource(u"LAYOUT:XML_INC_INNER"));
    EXPECT_NE(root.FindChildByName(u"inc_inner"), nullptr);
    EXPECT_FALSE(root.CreateChildrenFromResource(u"LAYOUT:XML_NONE"));

    SWindow loops;
    EXPECT_TRUE(loops.CreateChildrenFromResource(u"layout:xml_inc_self"));
    int count = 0;
    for (SWindow* w = loops.GetWindow(GSW_FIRSTCHILD); w; w = w->GetWindow(GSW_NEXTSIBLING)) ++count;
    EXPECT_EQ(count, 8);
    EXPECT_EQ(log.Count("qv::ui::SWindow::CreateChildrenFromResource: layout LAYOUT:XML_INC_SELF included 8 deep"), 1);
}

}  // namespace
}  // namespace qv::ui
