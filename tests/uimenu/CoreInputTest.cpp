#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/controls/SComboBox.h"
#include "platform/ui/controls/SEdit.h"
#include "tests/uimenu/MenuTestEnv.h"

namespace qv::ui {
namespace {

// Records the key-ups it is given while focused.
class KeyProbe : public SWindow {
public:
    KeyProbe() { SetAttribute(u"focusable", u"1", true); }
    bool OnKeyUp(UINT vk, UINT repeat, UINT flags) override {
        (void)repeat;
        ups.push_back({vk, flags});
        return true;
    }
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override {
        (void)repeat;
        downs.push_back({vk, flags});
        return true;
    }
    std::vector<std::pair<UINT, UINT>> ups, downs;
};

// Lays its children out in a rectangle wider than itself, as a view does.
class WideView : public SWindow {
protected:
    CRect GetChildrenLayoutRect() const override {
        CRect rc = GetClientRect();
        rc.right = rc.left + 400;
        return rc;
    }
};

using CoreInputTest = test::MenuUiTest;
using Keys = std::vector<std::pair<UINT, UINT>>;

TEST_F(CoreInputTest, KeyUpsReachTheFocusWithTheModifiersHeld) {
    SHostWnd host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"100,100\"/>"), nullptr);
    auto* probe = new KeyProbe;
    host.InsertChild(probe);
    probe->SetFocus();
    host.SendMessage(WM_KEYDOWN, VK_CONTROL, 0);
    host.SendMessage(WM_KEYDOWN, VK_SHIFT, 0);
    host.SendMessage(WM_KEYDOWN, 'A', 0);
    host.SendMessage(WM_KEYUP, 'A', 0);
    host.SendMessage(WM_KEYUP, VK_CONTROL, 0);
    host.SendMessage(WM_KEYUP, VK_SHIFT, 0);
    host.SendMessage(WM_KEYDOWN, 0xA4, 0);  // left Alt
    host.SendMessage(WM_KEYUP, VK_F1, 0);
    EXPECT_EQ(probe->downs, (Keys{{VK_CONTROL, MK_CONTROL}, {VK_SHIFT, MK_CONTROL | MK_SHIFT},
                                  {'A', MK_CONTROL | MK_SHIFT}, {0xA4, MK_ALT}}));
    EXPECT_EQ(probe->ups, (Keys{{'A', MK_CONTROL | MK_SHIFT}, {VK_CONTROL, MK_SHIFT}, {VK_SHIFT, 0}, {VK_F1, MK_ALT}}));
    // Losing the activation forgets the modifiers held.
    host.SendMessage(WM_ACTIVATE, WA_INACTIVE, 0);
    host.SendMessage(WM_KEYDOWN, 'C', 0);
    EXPECT_EQ(probe->downs.back(), std::make_pair(UINT('C'), 0u));
    // No focus: the key-up is not used.
    probe->KillFocus();
    EXPECT_EQ(host.SendMessage(WM_KEYUP, 'B', 0), 0);
}

TEST_F(CoreInputTest, CompositionGoesToTheFocusedEditAndEndsEmpty) {
    SHostWnd host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"200,60\"><root><edit name=\"e\" pos=\"0,0,-0,@24\"/></root></SOUI>"),
              nullptr);
    auto* edit = host.FindChildByName2<SEdit>(u"e");
    ASSERT_NE(edit, nullptr);
    const char16_t composing[] = u"ni hao";
    host.SendMessage(WM_IME_COMPOSITION, 6, reinterpret_cast<LPARAM>(composing));
    EXPECT_EQ(edit->GetCompositionText(), SStringW());  // not focused yet
    edit->SetFocus();
    host.SendMessage(WM_IME_COMPOSITION, 6, reinterpret_cast<LPARAM>(composing));
    EXPECT_EQ(edit->GetCompositionText(), SStringW(u"ni hao"));
    EXPECT_EQ(edit->GetWindowText(), SStringW());
    host.SendMessage(WM_IME_ENDCOMPOSITION, 0, 0);
    EXPECT_EQ(edit->GetCompositionText(), SStringW());
}

TEST_F(CoreInputTest, ChildrenAreLaidOutInTheRectangleTheParentGives) {
    SHostWnd host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"200,100\"/>"), nullptr);
    auto* view = new WideView;
    host.InsertChild(view);
    view->SetAttribute(u"pos", u"0,0,@200,@100", true);
    view->SetAttribute(u"layout", u"gridLayout", true);
    view->SetAttribute(u"columnCount", u"2", true);
    ASSERT_TRUE(view->CreateChildrenFromXml(u"<window size=\"-1,30\"/><window size=\"-1,30\"/>"));
    host.UpdateLayout();
    SWindow* second = view->GetWindow(GSW_LASTCHILD);
    EXPECT_EQ(second->GetWindowRect().left, 200);  // half of 400, not of 200
}

TEST_F(CoreInputTest, AClickElsewhereClosesAnOpenDropDownAndIsUsedUp) {
    SHostWnd host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"300,200\"><root>"
                                 u"<combobox name=\"cb\" pos=\"10,10,@150,@24\" dropDown=\"1\">"
                                 u"<items><item text=\"Low\"/><item text=\"High\"/></items></combobox>"
                                 u"<button name=\"b\" pos=\"10,150,@80,@24\">b</button></root></SOUI>"),
              nullptr);
    auto* cb = host.FindChildByName2<SComboBox>(u"cb");
    int clicks = 0;
    host.FindChildByName(u"b")->SubscribeEvent(EVT_CMD, [&](EventArgs*) { return ++clicks, true; });
    Click(host, {20, 20});
    ASSERT_TRUE(cb->IsDropped());
    Click(host, {30, 160});
    EXPECT_FALSE(cb->IsDropped());
    EXPECT_EQ(clicks, 0);
    Click(host, {30, 160});
    EXPECT_EQ(clicks, 1);
    // A right click closes it too.
    Click(host, {20, 20});
    ASSERT_TRUE(cb->IsDropped());
    Click(host, {200, 100}, true);
    EXPECT_FALSE(cb->IsDropped());
}

}  // namespace
}  // namespace qv::ui
