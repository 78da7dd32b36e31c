// What the controls' popups and pointer need: the plain popup window, the
// system's tool-tip colours and GUI font, cursors per window and the input
// method switched off per window.
#include <gtest/gtest.h>

#include "platform/ui/CSimpleWnd.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SystemLook.h"
#include "platform/ui/controls/SRichEdit.h"
#include "platform/ui/controls/StandardControls.h"
#include "platform/ui/headless/HeadlessDisplay.h"
#include "tests/support/UiInput.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::ui {
namespace {

using test::UiAppTest;

class ValuePopup : public CSimpleWnd {
protected:
    void OnPaint(SRenderTarget& rt) override {
        rt.FillSolidRect(GetClientRect(), GetSysColor(COLOR_INFOBK));
        ++paints;
    }

public:
    int paints = 0;
};

TEST_F(UiAppTest, APlainPopupIsTopMostWithoutActivationAndDrawsItself) {
    SHostWnd main;
    ASSERT_NE(main.CreateFromXml(u"<SOUI size=\"50,50\"><root/></SOUI>"), nullptr);
    main.ShowWindow(SW_SHOWNORMAL);
    ValuePopup popup;
    ASSERT_NE(popup.CreatePopup(u"simple tooltip", CRect(300, 200, 340, 220)), nullptr);
    EXPECT_EQ(popup.GetTitle(), u"simple tooltip");
    EXPECT_EQ(popup.GetScreenRect(), CRect(300, 200, 340, 220));
    DWORD style = static_cast<HeadlessWindow*>(popup.GetNativeWindow())->GetStyle();
    EXPECT_EQ(style & (HostStyle_TopMost | HostStyle_ToolWindow | HostStyle_NoActivate | HostStyle_Popup),
              HostStyle_TopMost | HostStyle_ToolWindow | HostStyle_NoActivate | HostStyle_Popup);
    popup.ShowPopup();
    EXPECT_TRUE(popup.IsWindowVisible());
    EXPECT_EQ(GetActiveWindow(), main.GetHwnd());
    popup.UpdateWindow();
    EXPECT_GT(popup.paints, 0);
    // The skin's panel colour; its text colour falls back to the palette's.
    EXPECT_EQ(popup.GetRenderTarget()->GetPixel(5, 5), RGBA(0x2A, 0x2C, 0x33, 0xFF));
    EXPECT_EQ(GetSysColor(COLOR_INFOTEXT), RGBA(0xE6, 0xE8, 0xEE, 0xFF));
    SFont gui = GetDefaultGuiFont();
    EXPECT_EQ(gui.face, u"Test Sans");
    EXPECT_EQ(gui.size, 12);
    popup.DestroyWindow();
    main.DestroyWindow();
}

TEST_F(UiAppTest, TheCursorIsTheOneOfTheWindowUnderThePointerOrItsParents) {
    SHostWnd host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"200,100\"><root>"
                                 u"<window name=\"panel\" pos=\"0,0,@100,@100\" cursor=\"hand\">"
                                 u"<window name=\"grip\" pos=\"0,0,@20,@20\" Cursor=\"SizeAll\"/>"
                                 u"<window name=\"plain\" pos=\"50,50,@20,@20\"/></window>"
                                 u"</root></SOUI>"),
              nullptr);
    auto* native = static_cast<HeadlessWindow*>(host.GetNativeWindow());
    struct Case {
        CPoint at;
        CursorId cursor;
    } cases[] = {{{5, 5}, CursorId::SizeAll}, {{55, 55}, CursorId::Hand}, {{150, 50}, CursorId::Arrow}, {{5, 5}, CursorId::SizeAll}};
    for (const Case& c : cases) {
        qv::test::MouseMove(host, c.at);
        EXPECT_EQ(native->GetCursor(), c.cursor) << c.at.x;
    }
    // While a window holds the capture its cursor stays.
    host.FindChildByName(u"grip")->SetCapture();
    qv::test::MouseMove(host, CPoint(150, 50), MK_LBUTTON);
    EXPECT_EQ(native->GetCursor(), CursorId::SizeAll);
    EXPECT_FALSE(host.FindChildByName(u"plain")->SetCursor(u"pointer"));
    host.DestroyWindow();
}

TEST_F(UiAppTest, WithTheInputMethodOffNoCompositionReachesTheEdit) {
    RegisterStandardControls(m_app->GetWindowFactory());
    SHostWnd host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"200,40\"><root><edit name=\"e\" pos=\"0,0,-0,-0\"/></root></SOUI>"),
              nullptr);
    auto* edit = host.FindChildByName2<SRichEdit>(u"e");
    ASSERT_NE(edit, nullptr);
    edit->SetFocus();
    const std::u16string composing = u"ni";
    host.SendMessage(WM_IME_COMPOSITION, 2, reinterpret_cast<LPARAM>(composing.c_str()));
    EXPECT_EQ(edit->GetCompositionText(), u"ni");
    host.EnableIme(false);
    EXPECT_FALSE(static_cast<HeadlessWindow*>(host.GetNativeWindow())->IsImeEnabled());
    EXPECT_EQ(edit->GetCompositionText(), u"");  // the running composition ended
    host.SendMessage(WM_IME_COMPOSITION, 2, reinterpret_cast<LPARAM>(composing.c_str()));
    EXPECT_EQ(edit->GetCompositionText(), u"");
    qv::test::Char(host, u'你');  // committed text still types
    EXPECT_EQ(edit->GetWindowText(), u"你");
    host.EnableIme(true);
    host.SendMessage(WM_IME_COMPOSITION, 2, reinterpret_cast<LPARAM>(composing.c_str()));
    EXPECT_EQ(edit->GetCompositionText(), u"ni");
    host.DestroyWindow();
}

}  // namespace
}  // namespace qv::ui
