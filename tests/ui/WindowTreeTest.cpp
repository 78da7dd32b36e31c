#include <gtest/gtest.h>

#include "platform/ui/AttrParse.h"
#include "platform/ui/SHostWnd.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::ui {
namespace {

using test::UiAppTest;

// A control with one attribute of its own; everything else goes to SWindow.
class TestKnob : public SWindow {
    QV_CLASS_NAME(TestKnob, SWindow, u"testknob", kObjectWindow)

public:
    HRESULT SetAttribute(const SStringW& name, const SStringW& value, bool loading) override {
        if (name == u"value") {
            auto v = ParseInt(value);
            if (!v) return E_FAIL;
            m_value = *v;
            return AfterAttribute(name, value, loading, S_OK);
        }
        return SWindow::SetAttribute(name, value, loading);
    }
    int m_value = 0;
};

class WindowTreeTest : public UiAppTest {
protected:
    void SetUp() override {
        UiAppTest::SetUp();
        static const NamedId kIds[] = {{u"btnOK", 1}, {u"btn_close", 2}, {u"txt_title", 65560}};
        m_app->SetNamedIds(kIds, 3);
        m_app->GetWindowFactory().RegisterClass<TestKnob>();
    }
};

TEST_F(WindowTreeTest, LayoutBuildsTreeWithIdsNamesClassesAndPositions) {
    SHostWnd host(u"LAYOUT:XML_MAIN");
    ASSERT_NE(host.Create(), nullptr);
    EXPECT_EQ(host.GetTitle(), u"main");
    EXPECT_EQ(host.GetWindowRect(), CRect(0, 0, 400, 300));

    SWindow* top = host.FindChildByName(u"wnd_top");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->GetWindowRect(), CRect(10, 10, 390, 50));

    SWindow* ok = host.FindChildByName(u"btnOK");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetID(), 1);  // from the named-id table
    EXPECT_EQ(ok->GetParent(), top);
    EXPECT_EQ(ok->GetWindowRect(), CRect(320, 15, 385, 45));
    EXPECT_EQ(ok->GetStyleClass(), u"cls_btn");
    EXPECT_EQ(ok->GetTextColor(), RGBA(0xE6, 0xE8, 0xEE, 0xFF));
    EXPECT_TRUE(ok->IsFocusable());
    EXPECT_EQ(ok->GetWindowText(), u"OK && go");
    EXPECT_EQ(host.FindChildByID(1), ok);
    EXPECT_EQ(host.FindChildByName(u"btnOK", 1), nullptr);  // not a direct child

    SWindow* title = host.FindChildByName(u"txt_title");
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(title->IsClass(u"text"));
    EXPECT_TRUE(title->IsClass(u"window"));
    EXPECT_EQ(title->GetWindowText(), u"Quorvel");
    EXPECT_EQ(title->GetWindowText(true), u"@string/title");
    CRect rc = title->GetWindowRect();
    EXPECT_EQ(rc.left, 15);
    EXPECT_GT(rc.Width(), 20);  // sized to its text
    EXPECT_EQ(rc.top, 30);      // parent's vertical centre

    SWindow* grid = host.FindChildByID(300);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->GetName(), u"wnd_grid");
    EXPECT_EQ(host.FindChildByName(u"cell0")->GetWindowRect(), CRect(10, 60, 130, 80));
    EXPECT_EQ(host.FindChildByName(u"cell1")->GetWindowRect(), CRect(140, 60, 260, 80));
    EXPECT_EQ(host.FindChildByName(u"cell2")->GetWindowRect(), CRect(270, 60, 390, 80));
    EXPECT_EQ(host.FindChildByName(u"cell3")->GetWindowRect(), CRect(10, 85, 130, 115));

    SWindow* wrap = host.FindChildByName(u"txt_wrap");
    EXPECT_EQ(wrap->GetWindowRect().left, 395);  // after the previous sibling's right edge
    host.DestroyWindow();
}

TEST_F(WindowTreeTest, UnknownAttributesReachTheBaseAndResultsTellRepaint) {
    SWindow root;
    ASSERT_TRUE(root.CreateChildrenFromXml(u"<testknob name=\"k\" value=\"5\" text=\"hi\" data=\"0x10\"/>"));
    auto* knob = root.FindChildByName2<TestKnob>(u"k");
    ASSERT_NE(knob, nullptr);
    EXPECT_EQ(knob->m_value, 5);
    EXPECT_EQ(knob->GetWindowText(), u"hi");
    EXPECT_EQ(knob->GetUserData(), 0x10u);
    EXPECT_EQ(knob->SetAttribute(u"value", u"7", false), S_OK);
    EXPECT_EQ(knob->m_value, 7);
    EXPECT_EQ(knob->SetAttribute(u"name", u"k2", false), S_FALSE);
    EXPECT_EQ(knob->SetAttribute(u"value", u"x", false), E_FAIL);
    EXPECT_EQ(knob->SetAttribute(u"bogus", u"1", false), E_FAIL);
    EXPECT_EQ(knob->SetAttribute(u"colorText", u"", false), E_FAIL);
    EXPECT_EQ(knob->m_value, 7);
}

TEST_F(WindowTreeTest, StateChangesFireTheStateEvent) {
    SWindow wnd;
    std::vector<std::pair<DWORD, DWORD>> seen;
    wnd.SubscribeEvent(EVT_STATECHANGED, [&](EventArgs* e) {
        auto* sc = EventCast<EventSwndStateChanged>(e);
        if (sc) seen.emplace_back(sc->dwOldState, sc->dwNewState);
        return true;
    });
    wnd.ModifyState(WndState_PushDown, 0);
    wnd.ModifyState(WndState_PushDown, 0);  // no change, no event
    wnd.SetCheck(true);
    wnd.EnableWindow(false);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], std::make_pair(WndState_Normal, WndState_PushDown));
    EXPECT_EQ(seen[1].second, WndState_PushDown | WndState_Check);
    EXPECT_TRUE(wnd.IsDisabled());
    EXPECT_EQ(SkinFrameForState(WndState_PushDown, 4), 2);
    EXPECT_EQ(SkinFrameForState(WndState_Hover | WndState_Check, 8), 5);
    EXPECT_EQ(SkinFrameForState(WndState_Disable, 8), 3);
    EXPECT_EQ(SkinFrameForState(WndState_Hover, 1), 0);
}

TEST_F(WindowTreeTest, TreeEditingKeepsSiblingOrder) {
    SWindow root;
    auto* a = new SWindow;
    auto* b = new SWindow;
    auto* c = new SWindow;
    a->SetName(u"a");
    b->SetName(u"b");
    c->SetName(u"c");
    root.InsertChild(a);
    root.InsertChild(c);
    root.InsertChild(b, a);
    EXPECT_EQ(root.GetWindow(GSW_FIRSTCHILD), a);
    EXPECT_EQ(a->GetWindow(GSW_NEXTSIBLING), b);
    EXPECT_EQ(b->GetWindow(GSW_NEXTSIBLING), c);
    EXPECT_EQ(c->GetWindow(GSW_PREVSIBLING), b);
    a->BringWindowToTop();
    EXPECT_EQ(root.GetWindow(GSW_LASTCHILD), a);
    EXPECT_TRUE(b->IsDescendant(&root));
    b->DestroyWindow();
    EXPECT_EQ(root.GetChildrenCount(), 2);
    EXPECT_EQ(root.FindChildByName(u"b"), nullptr);
    root.DestroyAllChildren();
    EXPECT_EQ(root.GetChildrenCount(), 0);
}

TEST_F(WindowTreeTest, VisibilityFollowsParents) {
    SWindow root;
    ASSERT_TRUE(root.CreateChildrenFromXml(u"<window name=\"p\"><window name=\"c\" visible=\"1\"/></window>"));
    SWindow* p = root.FindChildByName(u"p");
    SWindow* c = root.FindChildByName(u"c");
    p->SetVisible(false);
    EXPECT_TRUE(c->IsVisible());
    EXPECT_FALSE(c->IsVisible(true));
    EXPECT_EQ(p->GetState() & WndState_Invisible, WndState_Invisible);
    c->SetToolTipText(u"tip");
    EXPECT_EQ(c->GetToolTipText(), u"tip");
}

}  // namespace
}  // namespace qv::ui

namespace qv::ui {
namespace {

TEST_F(WindowTreeTest, ContentSizedTextWrapsAtItsMaximumWidth) {
    SWindow root;
    root.Move(CRect(0, 0, 1000, 500));
    ASSERT_TRUE(root.CreateChildrenFromXml(
        u"<text name=\"one\" pos=\"0,0\" text=\"a fairly long line of text to wrap\"/>"
        u"<text name=\"two\" pos=\"0,0\" maxWidth=\"80\" text=\"a fairly long line of text to wrap\"/>"));
    root.UpdateChildrenPosition();
    CRect one = root.FindChildByName(u"one")->GetWindowRect();
    CRect two = root.FindChildByName(u"two")->GetWindowRect();
    EXPECT_GT(one.Width(), 80);
    EXPECT_LE(two.Width(), 80);
    EXPECT_GT(two.Height(), one.Height() * 2);
}

TEST_F(WindowTreeTest, ContentSizedHostCoversItsChildren) {
    SHostWnd host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI><root padding=\"4\">"
                                 u"<window pos=\"0,0,@50,@20\"/><text pos=\"10,30\" text=\"tip text\"/>"
                                 u"</root></SOUI>"),
              nullptr);
    CRect rc = host.GetWindowRect();
    EXPECT_GE(rc.Width(), 58);
    EXPECT_GT(rc.Height(), 30 + 8);
    EXPECT_EQ(host.GetFrameBitmap()->Size(), rc.Size());
    host.DestroyWindow();
}

TEST_F(WindowTreeTest, IconsAreScaledToTheAskedSize) {
    BitmapPtr icon = m_app->LoadIcon(u"ninepatch", 32);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Size(), CSize(32, 32));
    EXPECT_EQ(icon->GetPixel(0, 0), RGBA(255, 0, 0, 255));
    EXPECT_EQ(m_app->LoadIcon(u"ninepatch", 12)->Size(), CSize(12, 12));
    EXPECT_FALSE(m_app->LoadIcon(u"ICON_NONE", 16));
}

}  // namespace
}  // namespace qv::ui
