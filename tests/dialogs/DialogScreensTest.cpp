// The input and hotkey dialogs in real windows under a private Xvfb with the
// SDL2 backend: the input dialog with a refusal's tip, and the hotkey dialog
// holding Ctrl+F1. The screenshots (artifacts/cloud/input_dialog.png,
// hotkey_dialog.png) are for people to look at; the test checks they were
// drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>

#include "XScreen.h"
#include "XvfbServer.h"
#include "controls/CTipWnd.h"
#include "controls/PluginControls.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/controls/SRichEdit.h"
#include "platform/ui/controls/StandardControls.h"
#include "platform/ui/sdl/SdlDisplay.h"
#include "plugin/dialogs/SDlgInput.h"
#include "plugin/dialogs/SInputHotKeyDlg.h"

// libdbus (SDL's link to the session bus) keeps a buffer for the process's
// life on purpose.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace {

using namespace qv::ui;
using qv::test::RunFor;

class DialogScreensTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_xvfb.Start()) GTEST_SKIP() << "Xvfb is not available";
        setenv("DISPLAY", m_xvfb.Display().c_str(), 1);
        m_app = std::make_unique<SApplication>(nullptr);
        RegisterStandardControls(m_app->GetWindowFactory());
        qv::controls::RegisterPluginControls(m_app->GetWindowFactory(), m_app->GetSkinFactory());
        ASSERT_TRUE(m_app->AddResProvider(nullptr, u"uidef:xml_init"));
        ASSERT_TRUE(m_app->InstallLanguage(u"translator:lang_cn"));  // as the plug-in shows them
        SetDisplayBackend(&m_display);
        m_screen = std::make_unique<qv::test::XScreen>(m_xvfb.Display());
    }
    void TearDown() override {
        qv::controls::CTipWnd::HideTip();
        m_screen.reset();
        SetDisplayBackend(nullptr);
        RunFor(0);
        m_app.reset();
        qv::os::DestroyThreadQueue();
        SRenderTarget::ReleaseThreadFontCache();
    }
    // Runs the dialog modally with the script as the first work of its loop.
    static INT_PTR RunModal(SHostDialog& dialog, std::function<void()> script) {
        qv::os::PostTask(qv::os::GetCurrentThreadId(), [script = std::move(script)] {
            RunFor(400);  // mapped and drawn
            script();
        });
        return dialog.DoModal();
    }
    // Saves the rectangle once it shows more than a few colours (text drawn).
    void Shoot(const CRect& rc, const std::string& path) {
        const auto pixels = m_screen->Grab(rc);
        EXPECT_GT(std::set<std::uint32_t>(pixels.begin(), pixels.end()).size(), 8u) << path;
        EXPECT_TRUE(m_screen->SaveShot(rc, path));
    }

    qv::test::XvfbServer m_xvfb;
    std::unique_ptr<SApplication> m_app;
    sdl::SdlDisplay m_display;
    std::unique_ptr<qv::test::XScreen> m_screen;
};

TEST_F(DialogScreensTest, InputDialogWithItsRefusalTip) {
    SDlgInput dialog(u"我的音效", u"重命名", 16);
    dialog.SetForbiddenChars(u"\\/:*?\"<>|");
    RunModal(dialog, [&] {
        dialog.SetWindowPos(CRect(200, 200, 200 + dialog.GetScreenRect().Width(), 200 + dialog.GetScreenRect().Height()));
        RunFor(200);
        Shoot(dialog.GetScreenRect(), "cloud/input_dialog.png");
        dialog.FindChildByName2<SRichEdit>(u"txt_input")->SetWindowText(u"我的/音效");
        EventCmd ok(dialog.FindChildByName(u"btnOK"));
        dialog.FindChildByName(u"btnOK")->FireEvent(ok);
        RunFor(300);
        qv::controls::CTipWnd* tip = qv::controls::CTipWnd::Current();
        ASSERT_NE(tip, nullptr);
        CRect both = dialog.GetScreenRect();
        const CRect tipRect = tip->GetScreenRect();
        both = CRect(std::min(both.left, tipRect.left), std::min(both.top, tipRect.top),
                     std::max(both.right, tipRect.right), std::max(both.bottom, tipRect.bottom));
        Shoot(both, "cloud/input_dialog_refused.png");
        dialog.EndDialog(IDCANCEL);
    });
}

TEST_F(DialogScreensTest, HotkeyDialogHoldingCtrlF1) {
    SInputHotKeyDlg dialog((2u << 16) | 0x70u, u"LAYOUT:XML_HOTKEYDLG", u"设置热键");
    RunModal(dialog, [&] {
        EXPECT_EQ(dialog.FindChildByName(u"txt_hotkey_input")->GetWindowText().str(), u"Ctrl+F1");
        Shoot(dialog.GetScreenRect(), "cloud/hotkey_dialog.png");
        dialog.EndDialog(IDCANCEL);
    });
}

}  // namespace
