#include <gtest/gtest.h>

#include <vector>

#include "platform/os/MessageQueue.h"
#include "platform/ui/headless/HeadlessDisplay.h"
#include "platform/ui/SMenu.h"
#include "platform/ui/SMenuWnd.h"
#include "tests/uimenu/MenuTestEnv.h"

namespace qv::ui {
namespace {

// A plain window that records the commands it is sent.
class CommandSink {
public:
    CommandSink() {
        hwnd = qv::os::CreateTarget([this](HWND, UINT msg, WPARAM wp, LPARAM) {
            if (msg == WM_COMMAND) commands.push_back(LOWORD(wp));
            return LRESULT(0);
        });
    }
    ~CommandSink() { qv::os::DestroyTarget(hwnd); }
    HWND hwnd;
    std::vector<UINT> commands;
};

class MenuTest : public test::MenuUiTest {
protected:
    SMenuWnd* Level(int level) {
        auto* tracker = menu.GetTracker();
        if (!tracker || static_cast<int>(tracker->GetWindows().size()) <= level) return nullptr;
        return tracker->GetWindows()[static_cast<size_t>(level)].get();
    }
    void ClickItem(int level, UINT id) {
        SMenuWnd* wnd = Level(level);
        ASSERT_NE(wnd, nullptr);
        SMenuItemWnd* item = wnd->FindItem(id);
        ASSERT_NE(item, nullptr);
        Click(*wnd, CenterOf(item));
    }
    UINT Track(int x = 100, int y = 100) {
        UINT id = menu.TrackPopupMenu(0, x, y, sink.hwnd, 100);
        test::PumpPending();
        return id;
    }
    SMenu menu;
    CommandSink sink;
};

TEST_F(MenuTest, LoadsByEitherResourceNameFormAndRefusesMissingOnes) {
    for (const char16_t* name : {u"smenu:XML_EDITMENU", u"SMENU::XML_EDITMENU", u"XML_EDITMENU", u"smenu::menu_test"}) {
        SMenu m;
        EXPECT_TRUE(m.LoadMenu(name)) << SStringW(name).ToUtf8();
    }
    SMenu missing;
    EXPECT_FALSE(missing.LoadMenu(u"smenu:no_such_menu"));
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_EQ(missing.TrackPopupMenu(0, 0, 0, sink.hwnd), 0u);
    // The skin's edit menu: six commands between two separators.
    ASSERT_TRUE(menu.LoadMenu(u"smenu:XML_EDITMENU"));
    EXPECT_EQ(menu.GetItemCount(), 8);
    EXPECT_EQ(menu.GetItemText(0x301), SStringW(u"Copy"));

    // Kept as the edit controls' template, a copy any menu loads from.
    EXPECT_FALSE(SetEditMenuTemplate({}));
    ASSERT_TRUE(SetEditMenuTemplate(menu.GetRoot()));
    menu.SetItemAttribute(0x301, u"disable", u"1");
    SMenu edit;
    ASSERT_TRUE(edit.LoadMenu(GetEditMenuTemplate()));
    EXPECT_EQ(edit.GetItemCount(), 8);
    EXPECT_EQ(edit.GetItemAttribute(0x301, u"disable"), SStringW());
    SetEditMenuTemplate({});
    EXPECT_FALSE(edit.LoadMenu(GetEditMenuTemplate()));
}

TEST_F(MenuTest, ItemsByIdCarryAttributesAndInsertedItems) {
    ASSERT_TRUE(menu.LoadMenu(u"SMENU::menu_test"));
    EXPECT_TRUE(menu.HasItem(8));
    EXPECT_TRUE(menu.HasItem(111));  // inside the sub-menu
    EXPECT_FALSE(menu.HasItem(12));
    EXPECT_EQ(menu.GetItemAttribute(8, u"check"), SStringW(u"1"));
    EXPECT_TRUE(menu.CheckMenuItem(8, false));
    EXPECT_EQ(menu.GetItemAttribute(8, u"check"), SStringW(u"0"));
    EXPECT_TRUE(menu.SetItemAttribute(7, u"colorTextHover", u"#FF0000"));
    EXPECT_EQ(menu.GetItemAttribute(7, u"colorTextHover"), SStringW(u"#FF0000"));
    EXPECT_FALSE(menu.SetItemAttribute(12, u"check", u"1"));

    // By position after the sub-menu (entry 3), by command before Exit, past the end.
    EXPECT_TRUE(menu.InsertMenu(4, MF_BYPOSITION, 120, u"Pad 1"));
    EXPECT_TRUE(menu.InsertMenu(10, MF_BYCOMMAND | MF_SEPARATOR, 0, {}));
    EXPECT_TRUE(menu.InsertMenu(99, MF_BYPOSITION, 121, u"Last"));
    EXPECT_FALSE(menu.InsertMenu(12, MF_BYCOMMAND, 122, u"nowhere"));
    EXPECT_EQ(menu.GetItemCount(), 9);
    std::vector<std::string> order;
    for (pugi::xml_node n : menu.GetRoot().children()) order.push_back(std::string(n.name()) + n.attribute("id").value());
    EXPECT_EQ(order, (std::vector<std::string>{"item7", "item8", "sep", "item1006", "item120", "item9", "sep", "item10",
                                               "item121"}));

    // What the open menu shows follows the items' attributes.
    ASSERT_TRUE(menu.CheckMenuItem(8, true));
    Later([&] {
        SMenuWnd* top = Level(0);
        ASSERT_NE(top, nullptr);
        EXPECT_TRUE(top->FindItem(8)->IsChecked());
        EXPECT_FALSE(top->FindItem(7)->IsChecked());
        EXPECT_TRUE(top->FindItem(9)->IsDisabled(true));
        EXPECT_EQ(top->FindItem(120)->GetWindowText(), SStringW(u"Pad 1"));
        menu.CheckMenuItem(8, false);
        EXPECT_FALSE(top->FindItem(8)->IsChecked());
        menu.EndMenu();
    });
    EXPECT_EQ(Track(), 0u);
}

TEST_F(MenuTest, AChoiceEndsTheMenuAndReachesTheOwnerAsACommand) {
    ASSERT_TRUE(menu.LoadMenu(u"smenu:menu_test"));
    Later([&] {
        SMenuWnd* top = Level(0);
        ASSERT_NE(top, nullptr);
        // A top-most, no-activate popup without a taskbar entry, at the point.
        EXPECT_EQ(top->GetHostStyle() & (HostStyle_Popup | HostStyle_TopMost | HostStyle_NoActivate | HostStyle_ToolWindow),
                  HostStyle_Popup | HostStyle_TopMost | HostStyle_NoActivate | HostStyle_ToolWindow);
        EXPECT_TRUE(top->IsWindowVisible());
        EXPECT_EQ(top->GetScreenRect().TopLeft(), CPoint(100, 100));
        ClickItem(0, 9);  // disabled: nothing
        EXPECT_FALSE(menu.GetTracker()->IsEnded());
        ClickItem(0, 10);
    });
    EXPECT_EQ(Track(), 10u);
    EXPECT_EQ(sink.commands, std::vector<UINT>{10});
    EXPECT_EQ(menu.GetTracker(), nullptr);
    // The windows are gone with the loop.
    for (SHostWnd* h : m_app->GetHostWnds()) EXPECT_EQ(dynamic_cast<SMenuWnd*>(h), nullptr);

    // Asked for the id only: nothing is sent.
    Later([&] { ClickItem(0, 7); });
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, sink.hwnd), 7u);
    test::PumpPending();
    EXPECT_EQ(sink.commands.size(), 1u);
}

TEST_F(MenuTest, EscapeOrAClickOutsideEndsWithoutAChoice) {
    ASSERT_TRUE(menu.LoadMenu(u"smenu:menu_test"));
    Later([&] { Level(0)->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0); });
    EXPECT_EQ(Track(), 0u);

    // A click in another window of the program closes the menu and is used up.
    SHostWnd other;
    ASSERT_NE(other.CreateFromXml(u"<SOUI size=\"200,100\"><root><button name=\"b\" pos=\"0,0,-0,-0\">x</button></root></SOUI>"),
              nullptr);
    int commands = 0;
    other.FindChildByName(u"b")->SubscribeEvent(EVT_CMD, [&](EventArgs*) { return ++commands, true; });
    other.ShowWindow(SW_SHOWNORMAL);
    Later([&] { Click(other, {50, 50}); });
    EXPECT_EQ(Track(), 0u);
    EXPECT_EQ(commands, 0);
    EXPECT_TRUE(sink.commands.empty());
    Click(other, {50, 50});  // with no menu open the click is the button's
    EXPECT_EQ(commands, 1);
}

TEST_F(MenuTest, SubMenusOpenBesideTheirItemAndChoicesInThemCount) {
    ASSERT_TRUE(menu.LoadMenu(u"smenu:menu_test"));
    Later([&] {
        SMenuWnd* top = Level(0);
        SMenuItemWnd* parent = top->FindItem(1006);
        Hover(*top, CenterOf(parent));
        SMenuWnd* sub = Level(1);
        ASSERT_NE(sub, nullptr);
        CRect topRect = top->GetScreenRect();
        EXPECT_EQ(sub->GetScreenRect().left, topRect.left + parent->GetWindowRect().right);
        EXPECT_EQ(sub->GetScreenRect().top, topRect.top + parent->GetWindowRect().top);
        // Another item of the top level closes it again; back on the parent it reopens.
        Hover(*top, CenterOf(top->FindItem(7)));
        EXPECT_EQ(Level(1), nullptr);
        Hover(*top, CenterOf(parent));
        ASSERT_NE(Level(1), nullptr);
        // A click in the sub-menu is no click outside for the top level.
        ClickItem(1, 111);
    });
    EXPECT_EQ(Track(), 111u);
    EXPECT_EQ(sink.commands, std::vector<UINT>{111});
}

TEST_F(MenuTest, KeysStepOpenCloseAndChooseItems) {
    ASSERT_TRUE(menu.LoadMenu(u"smenu:menu_test"));
    Later([&] {
        SMenuWnd* top = Level(0);
        auto key = [&](int level, UINT vk) { Level(level)->SendMessage(WM_KEYDOWN, vk, 0); };
        auto hot = [&](int level) { return Level(level)->GetHotItem() ? UINT(Level(level)->GetHotItem()->GetID()) : 0u; };
        EXPECT_EQ(hot(0), 0u);
        key(0, VK_RETURN);  // nothing hot: nothing chosen
        EXPECT_FALSE(menu.GetTracker()->IsEnded());
        key(0, VK_DOWN);
        EXPECT_EQ(hot(0), 7u);
        EXPECT_TRUE(top->FindItem(7)->GetState() & WndState_Hover);
        key(0, VK_UP);  // wraps to the last
        EXPECT_EQ(hot(0), 10u);
        EXPECT_FALSE(top->FindItem(7)->GetState() & WndState_Hover);
        key(0, VK_UP);  // skips the disabled item
        EXPECT_EQ(hot(0), 1006u);
        key(0, VK_UP);  // and the separator
        EXPECT_EQ(hot(0), 8u);
        key(0, VK_DOWN);
        key(0, VK_RIGHT);
        ASSERT_NE(Level(1), nullptr);
        EXPECT_EQ(hot(1), 110u);
        key(1, VK_LEFT);  // closes the sub-menu only
        EXPECT_EQ(Level(1), nullptr);
        EXPECT_EQ(hot(0), 1006u);
        key(0, VK_LEFT);  // nothing to close on the top level
        EXPECT_NE(Level(0), nullptr);
        key(0, VK_RETURN);  // opens the sub-menu as Right does
        ASSERT_NE(Level(1), nullptr);
        key(1, VK_ESCAPE);
        EXPECT_EQ(Level(1), nullptr);
        EXPECT_FALSE(menu.GetTracker()->IsEnded());
        key(0, VK_RIGHT);
        key(0, VK_DOWN);  // keys act on the deepest level whichever window has them
        EXPECT_EQ(hot(1), 111u);
        key(1, VK_RETURN);
    });
    EXPECT_EQ(Track(), 111u);
    EXPECT_EQ(sink.commands, std::vector<UINT>{111});

    // Keys posted to the focused window, not the menu, are the menu's.
    Later([&] {
        qv::os::PostMessage(sink.hwnd, WM_KEYDOWN, VK_DOWN, 0);
        qv::os::PostMessage(sink.hwnd, WM_KEYDOWN, VK_RETURN, 0);
    });
    EXPECT_EQ(Track(), 7u);
    EXPECT_EQ(sink.commands, (std::vector<UINT>{111, 7}));

    // Escape on the top level ends the menu.
    Later([&] {
        Level(0)->SendMessage(WM_KEYDOWN, VK_DOWN, 0);
        Level(0)->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(Track(), 0u);
    EXPECT_EQ(sink.commands.size(), 2u);
}

TEST_F(MenuTest, TheMenuStaysOnTheWorkArea) {
    ASSERT_TRUE(menu.LoadMenu(u"smenu:menu_test"));
    CRect area = GetDisplayBackend().GetWorkArea();
    Later([&] {
        CRect rc = Level(0)->GetScreenRect();
        EXPECT_LE(rc.right, area.right);
        EXPECT_LE(rc.bottom, area.bottom);
        EXPECT_GT(rc.Height(), 5 * 20);  // five items and a separator
        // No room right of the item: the sub-menu opens on its left.
        SMenuItemWnd* parent = Level(0)->FindItem(1006);
        Hover(*Level(0), CenterOf(parent));
        ASSERT_NE(Level(1), nullptr);
        const CRect sub = Level(1)->GetScreenRect();
        EXPECT_EQ(sub.right, rc.left + parent->GetWindowRect().left);
        EXPECT_LE(sub.bottom, area.bottom);
        menu.EndMenu();
    });
    EXPECT_EQ(Track(area.right - 2, area.bottom - 2), 0u);
}

}  // namespace
}  // namespace qv::ui
