// The send window in a real window under a private Xvfb with the SDL2
// backend, sending the skin's applause ("DJ_ZS") into key 2 of cardsim run with
// --usb-timing over the sim HID backend, as a user waits through it. The
// screenshots (artifacts/upload/send_window_start.png, _midway.png,
// _closing.png) are for people to look at; the test checks they were drawn
// and that the card took the whole sound.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "XScreen.h"
#include "XvfbServer.h"
#include "common/device/DeviceManager.h"
#include "common/device/HidDevice/HidBase.h"
#include "controls/PluginControls.h"
#include "platform/hid/Hid.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SNotifyCenter.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/controls/StandardControls.h"
#include "platform/ui/sdl/SdlDisplay.h"
#include "plugin/app/NamedIds.h"
#include "plugin/device/QuorvelProtocol.h"
#include "plugin/upload/SendWindow.h"
#include "tests/mainwnd/CardSimProcess.h"
#include "tests/mainwnd/MainWndTestEnv.h"

// libdbus (SDL's link to the session bus) keeps a buffer for the process's
// life on purpose.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace {

using namespace qv::ui;
using qv::test::RunFor;

constexpr std::uint16_t kVendorId = 0x2B53;
constexpr std::uint16_t kDorbProductId = 0x0036;

// Takes its pictures as the upload goes: waiting for the card, half sent,
// and all sent just before it closes.
class ShotSendWindow : public SendWindow {
public:
    using Shoot = std::function<void(const char* name)>;
    ShotSendWindow(Shoot shoot) : SendWindow(u"DJ_ZS", 2, 100, 1), m_shoot(std::move(shoot)) {}

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg == kMsgUploadAccepted) m_bytes = lParam;
        if (msg == kMsgUploadProgress && !m_midway && static_cast<LPARAM>(wParam) >= m_bytes / 2) {
            m_midway = true;
            const BOOL handled = SendWindow::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
            m_shoot("upload/send_window_midway.png");
            return handled;
        }
        if (msg == kMsgUploadEnded) {
            ++m_ends;
            m_failed = wParam != 0;
            m_shoot("upload/send_window_closing.png");
        }
        return SendWindow::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
    }

    int m_ends = 0;
    bool m_failed = false;

private:
    Shoot m_shoot;
    LPARAM m_bytes = 0;
    bool m_midway = false;
};

class SendWindowScreensTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_xvfb.Start()) GTEST_SKIP() << "Xvfb is not available";
        setenv("DISPLAY", m_xvfb.Display().c_str(), 1);
        char pattern[] = "/tmp/qv-sendshot-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        setenv("TMPDIR", m_dir.c_str(), 1);
        setenv("QV_HID_BACKEND", "sim", 1);
        setenv("QV_SIM_SOCKET", (m_dir + "/card.sock").c_str(), 1);
        ASSERT_TRUE(m_cardsim.Start(m_dir + "/card.sock", m_dir + "/cardsim.log", {"--usb-timing", "--quiet", "--late-ms", "1500"}));

        m_app = std::make_unique<SApplication>(nullptr);
        RegisterStandardControls(m_app->GetWindowFactory());
        qv::controls::RegisterPluginControls(m_app->GetWindowFactory(), m_app->GetSkinFactory());
        ASSERT_TRUE(m_app->AddResProvider(nullptr, u"uidef:xml_init"));
        m_app->SetNamedIds(kNamedIds, kNamedIdCount);
        ASSERT_TRUE(m_app->InstallLanguage(u"translator:lang_cn"));  // as the plug-in shows it
        m_center = std::make_unique<SNotifyCenter>();
        SetDisplayBackend(&m_display);
        m_screen = std::make_unique<qv::test::XScreen>(m_xvfb.Display());

        const auto found = qv::hid::Enumerate(kVendorId, kDorbProductId);
        ASSERT_FALSE(found.empty()) << "cardsim's card was not found";
        ASSERT_TRUE(m_manager.Connect(new CHidBase(found[0].path.c_str()), &m_protocol));
        m_fake.manager = &m_manager;
    }
    void TearDown() override {
        m_manager.Disconnect();
        m_screen.reset();
        SetDisplayBackend(nullptr);
        RunFor(0);
        m_center.reset();
        m_app.reset();
        qv::os::DestroyThreadQueue();
        SRenderTarget::ReleaseThreadFontCache();
        for (const char* name : {"TMPDIR", "QV_HID_BACKEND", "QV_SIM_SOCKET"}) unsetenv(name);
        std::error_code ignored;
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ignored);
    }
    // Saves the window once it shows more than a few colours (text drawn).
    void Shoot(SHostWnd& window, const std::string& path) {
        window.UpdateWindow();
        RunFor(60);  // on the X server
        const CRect rc = window.GetScreenRect();
        const auto pixels = m_screen->Grab(rc);
        EXPECT_GT(std::set<std::uint32_t>(pixels.begin(), pixels.end()).size(), 8u) << path;
        EXPECT_TRUE(m_screen->SaveShot(rc, path)) << path;
        ++m_shots;
    }

    qv::test::XvfbServer m_xvfb;
    std::string m_dir;
    qv::test::CardSimProcess m_cardsim;
    std::unique_ptr<SApplication> m_app;
    std::unique_ptr<SNotifyCenter> m_center;
    sdl::SdlDisplay m_display;
    std::unique_ptr<qv::test::XScreen> m_screen;
    CDeviceManager m_manager;
    CQuorvelProtocol m_protocol;
    qv::test::FakePluginApp m_fake;
    int m_shots = 0;
};

TEST_F(SendWindowScreensTest, ABuiltInSoundIntoKeyTwoOfACardAtUsbPace) {
    // The card answers the header late: the window waits for it, as on a
    // real card that is busy.
    ASSERT_TRUE(m_cardsim.Command("fault late 02 1"));
    RunFor(100);
    ShotSendWindow* shown = nullptr;
    ShotSendWindow window([&](const char* name) { Shoot(*shown, name); });
    shown = &window;
    qv::os::PostTask(qv::os::GetCurrentThreadId(), [&] {
        RunFor(700);  // mapped, drawn, the sound decoded, the header on its way
        Shoot(window, "upload/send_window_start.png");
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(window.DoModal(nullptr), IDOK);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(window.m_ends, 1);
    EXPECT_FALSE(window.m_failed);
    EXPECT_EQ(m_shots, 3);
    ASSERT_TRUE(m_cardsim.WaitFor("cardsim: upload key 2: ")) << "the card's summary did not come";
    std::ifstream log(m_dir + "/cardsim.log");
    std::string summary;
    for (std::string line; std::getline(log, line);)
        if (line.rfind("cardsim: upload key 2: ", 0) == 0) summary = line;
    EXPECT_NE(summary.find(", complete, 0 retries, 0 violations"), std::string::npos) << summary;
    unsigned blocks = 0;
    ASSERT_EQ(std::sscanf(summary.c_str(), "cardsim: upload key 2: %*u of %u blocks", &blocks), 1) << summary;
    std::printf("%s\nthe window was open %.1f s at USB pace (the header answered after 1.5 s; %u blocks at 2 ms are %.1f s)\n",
                summary.c_str(), seconds, blocks, blocks * 0.002);
}

}  // namespace
