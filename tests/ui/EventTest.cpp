#include <gtest/gtest.h>

#include "platform/os/MessageQueue.h"
#include "platform/ui/SHostWnd.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::ui {
namespace {

using test::UiAppTest;

// Two control events that share one id, as the value edit and the equaliser do.
QV_EVENT_BEGIN(EventEditValueChanging, 29101, u"on_edit_valuechanging")
    int delta = 0;
QV_EVENT_END
QV_EVENT_BEGIN(EventEqValueChanged, 29101, u"on_eqchanged")
    int band = 0;
QV_EVENT_END

class RecordingHost : public SHostWnd {
public:
    EVENT_MAP_BEGIN()
        EVENT_NAME_COMMAND(u"btn_a", OnA)
        EVENT_HANDLER(29101, OnValue)
    EVENT_MAP_END()

    void OnA() { ++commandsA; }
    void OnValue(EventArgs* e) { valueEvents.push_back(e->GetName()); }

    int commandsA = 0;
    std::vector<SStringW> valueEvents;
};

constexpr const char16_t* kLayout =
    u"<SOUI size=\"200,100\"><root>"
    u"<window name=\"btn_a\" pos=\"0,0,@50,@50\"/>"
    u"<window name=\"btn_b\" pos=\"100,0,@50,@50\"/>"
    u"</root></SOUI>";

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

TEST_F(UiAppTest, EventsBubbleToTheHostUnlessHandled) {
    RecordingHost host;
    ASSERT_NE(host.CreateFromXml(kLayout), nullptr);
    SWindow* a = host.FindChildByName(u"btn_a");
    int windowSaw = 0;
    bool handleIt = false;
    a->SubscribeEvent(EVT_CMD, [&](EventArgs* e) {
        ++windowSaw;
        EXPECT_EQ(e->sender, a);
        EXPECT_EQ(e->nameFrom, u"btn_a");
        return handleIt;
    });
    host.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    host.SendMessage(WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_EQ(windowSaw, 1);
    EXPECT_EQ(host.commandsA, 1);

    handleIt = true;
    EXPECT_TRUE(a->FireCommand());
    EXPECT_EQ(windowSaw, 2);
    EXPECT_EQ(host.commandsA, 1);  // stopped at the window

    // Released outside: no command.
    host.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    host.SendMessage(WM_LBUTTONUP, 0, At(120, 10));
    EXPECT_EQ(windowSaw, 2);
    EXPECT_FALSE(a->GetState() & WndState_PushDown);
    host.DestroyWindow();
}

TEST_F(UiAppTest, EventsBubbleToTheOwnerFirst) {
    RecordingHost host;
    ASSERT_NE(host.CreateFromXml(kLayout), nullptr);
    SWindow* a = host.FindChildByName(u"btn_a");
    SWindow* b = host.FindChildByName(u"btn_b");
    b->SetOwner(a);
    int ownerSaw = 0;
    a->SubscribeEvent(EVT_CMD, [&](EventArgs* e) {
        ++ownerSaw;
        EXPECT_EQ(e->nameFrom, u"btn_b");
        return true;
    });
    b->FireCommand();
    EXPECT_EQ(ownerSaw, 1);
    EXPECT_EQ(host.commandsA, 0);
    host.DestroyWindow();
}

TEST_F(UiAppTest, CheckedDowncastTellsEventsWithOneIdApart) {
    RecordingHost host;
    ASSERT_NE(host.CreateFromXml(kLayout), nullptr);
    SWindow* a = host.FindChildByName(u"btn_a");
    EventEditValueChanging edit(a);
    EventEqValueChanged eq(a);
    EventArgs* e1 = &edit;
    EventArgs* e2 = &eq;
    EXPECT_NE(EventCast<EventEditValueChanging>(e1), nullptr);
    EXPECT_EQ(EventCast<EventEqValueChanged>(e1), nullptr);
    EXPECT_EQ(EventCast<EventEditValueChanging>(e2), nullptr);
    EXPECT_EQ(EventCast<EventCmd>(e2), nullptr);
    // Unregistered on the window: straight to the host.
    EXPECT_EQ(a->SubscribeEvent(29101, [](EventArgs*) { return true; }), 0u);
    a->FireEvent(edit);
    a->FireEvent(eq);
    ASSERT_EQ(host.valueEvents.size(), 2u);
    EXPECT_EQ(host.valueEvents[0], u"on_edit_valuechanging");
    EXPECT_EQ(host.valueEvents[1], u"on_eqchanged");
    host.DestroyWindow();
}

TEST_F(UiAppTest, DestroyingAWindowInsideItsOwnClickHandlerIsSafe) {
    RecordingHost host;
    ASSERT_NE(host.CreateFromXml(kLayout), nullptr);
    SWindow* a = host.FindChildByName(u"btn_a");
    int later = 0;
    a->SubscribeEvent(EVT_CMD, [&](EventArgs*) {
        a->DestroyWindow();
        return false;
    });
    a->SubscribeEvent(EVT_CMD, [&](EventArgs*) {
        ++later;  // removed with its window: not called
        return true;
    });
    host.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    host.SendMessage(WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_EQ(later, 0);
    EXPECT_EQ(host.FindChildByName(u"btn_a"), nullptr);
    EXPECT_EQ(host.GetSwndCapture(), nullptr);
    // The host goes on working without it.
    host.SendMessage(WM_MOUSEMOVE, 0, At(10, 10));
    host.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(110, 10));
    host.SendMessage(WM_LBUTTONUP, 0, At(110, 10));
    host.DestroyWindow();
}

TEST_F(UiAppTest, HoverFocusAndTabOrder) {
    RecordingHost host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"200,100\"><root>"
                                 u"<window name=\"f1\" focusable=\"1\" pos=\"0,0,@50,@50\"/>"
                                 u"<window name=\"f2\" focusable=\"1\" pos=\"100,0,@50,@50\"/>"
                                 u"</root></SOUI>"),
              nullptr);
    SWindow* f1 = host.FindChildByName(u"f1");
    SWindow* f2 = host.FindChildByName(u"f2");
    host.SendMessage(WM_MOUSEMOVE, 0, At(10, 10));
    EXPECT_TRUE(f1->GetState() & WndState_Hover);
    host.SendMessage(WM_MOUSEMOVE, 0, At(110, 10));
    EXPECT_FALSE(f1->GetState() & WndState_Hover);
    EXPECT_TRUE(f2->GetState() & WndState_Hover);
    host.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    host.SendMessage(WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_TRUE(f1->IsFocused());
    host.SendMessage(WM_KEYDOWN, VK_TAB, 0);
    EXPECT_TRUE(f2->IsFocused());
    EXPECT_TRUE(f2->GetState() & WndState_Focus);
    host.SendMessage(WM_KEYDOWN, VK_TAB, 0);
    EXPECT_TRUE(f1->IsFocused());
    host.DestroyWindow();
}

}  // namespace
}  // namespace qv::ui

namespace qv::ui {
namespace {

// Deletes itself once its native window is gone, as top-level windows do.
class SelfDeletingHost : public SHostWnd {
public:
    explicit SelfDeletingHost(bool* deleted) : m_deleted(deleted) {}
    ~SelfDeletingHost() override { *m_deleted = true; }
    EVENT_MAP_BEGIN()
        EVENT_NAME_COMMAND(u"btn_a", OnClose)
    EVENT_MAP_END()
    void OnClose() { DestroyWindow(); }
    void OnFinalMessage(HWND) override { delete this; }

private:
    bool* m_deleted;
};

TEST_F(UiAppTest, AHostMayDestroyAndDeleteItselfFromAChildsClick) {
    bool deleted = false;
    auto* host = new SelfDeletingHost(&deleted);
    HWND hwnd = host->CreateFromXml(kLayout);
    ASSERT_NE(hwnd, nullptr);
    qv::os::SendMessage(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    qv::os::SendMessage(hwnd, WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(qv::os::IsTarget(hwnd));
}

class TypingWindow : public SWindow {
public:
    bool OnChar(char16_t ch) override {
        typed += ch;
        return true;
    }
    void OnCaptureLost() override { ++captureLost; }
    std::u16string typed;
    int captureLost = 0;
};

TEST_F(UiAppTest, KeysAndTextGoToTheFocusedWindow) {
    SHostWnd host;
    ASSERT_NE(host.CreateFromXml(kLayout), nullptr);
    auto* typing = new TypingWindow;
    host.InsertChild(typing);
    typing->SetFocus();
    for (char16_t ch : std::u16string(u"音量5")) host.SendMessage(WM_CHAR, ch, 0);
    EXPECT_EQ(typing->typed, u"音量5");
    typing->SetCapture();
    host.FindChildByName(u"btn_b")->SetCapture();
    EXPECT_EQ(typing->captureLost, 1);
    typing->EnableWindow(false);
    host.SendMessage(WM_CHAR, u'x', 0);  // disabled windows take no input
    EXPECT_EQ(typing->typed, u"音量5");
    host.DestroyWindow();
}

}  // namespace
}  // namespace qv::ui
