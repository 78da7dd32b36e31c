#pragma once
// Shared pieces of the main-window tests: the user's folders in a temporary
// folder, a clock stepped by hand, the desktop services faked, and (for the
// window tests) an application over the skin compiled into the test.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "plugin/app/PluginApp.h"
#include "plugin/windows/SwitchWindowMgr.h"
#include "tests/support/FakeDesktopServices.h"
#include "tests/support/FakeMessageBoxService.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::test {

// HOME, XDG_DATA_HOME, XDG_CONFIG_HOME, XDG_RUNTIME_DIR and TMPDIR inside one
// fresh folder, the stepped clock, the fake tray, shell and message boxes.
class DesktopTestEnv : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Pumps the thread's messages until pred holds, stepping the clock by
    // 10 ms whenever nothing is pending; false when it does not hold within
    // 30 s of real time.
    bool WaitFor(const std::function<bool()>& pred);
    // Lets that much time pass on the stepped clock, pumping as it goes.
    void Advance(int ms);
    // Dispatches what is pending, then tells whether WM_QUIT is next.
    static bool QuitPosted();
    // A left click in the middle of a window, as the host receives it.
    static void Click(ui::SHostWnd& host, ui::SWindow& target);
    // The host windows of the running application that are of class T.
    template <class T>
    static T* FindHost() {
        ui::SApplication* app = ui::SApplication::getSingletonPtr();
        if (!app) return nullptr;
        for (ui::SHostWnd* host : app->GetHostWnds())
            if (auto* t = dynamic_cast<T*>(host); t && t->IsWindow()) return t;
        return nullptr;
    }

    std::string m_dir;
    ui::test::SteppedClock m_clock;
    FakeTrayService m_tray;
    FakeShellService m_shell;
    FakeMessageBoxService m_boxes;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_savedEnv;
};

// Settings store 0 over the state file of the temporary data folder, with
// the given integer settings written first ("CloseBtnOperation" ...).
void LoadSettings(const std::string& dataFolder, std::initializer_list<std::pair<const char16_t*, int>> ints);

// An application whose skin is the test executable's, as the plug-in's is
// the host's, with the plug-in's named ids.
class SkinAppTest : public DesktopTestEnv {
protected:
    void SetUp() override;
    void TearDown() override;
    // Opens the main window's menu with its "btn_menu", clicks the item of
    // command `pick` and answers the texts of its items 1 to 4.
    std::vector<std::u16string> PickFromMainMenu(ui::SHostWnd& dlg, UINT pick);

    std::unique_ptr<ui::SApplication> m_app;
};

// The application object as the windows see it; counts the run's ends.
class FakePluginApp final : public IPluginApp {
public:
    FakePluginApp() { SetCurrentPluginApp(this); }
    ~FakePluginApp() {
        switches.RemoveAll();
        SetCurrentPluginApp(nullptr);
    }

    CSwitchWindowMgr& SwitchWindows() override { return switches; }
    CWorkSpace* GetWorkSpace() override { return workspace; }
    ICommDeviceMgmt* GetDeviceMgmt() override { return manager; }
    int ConnectDevice() override { return connect ? connect() : 0; }
    HMODULE GetInstance() override { return module; }
    const std::u16string& ProgramFolder() const override { return folder; }
    const std::u16string& AppDataFolder() const override { return appData; }
    HMODULE GetHostInstance() override { return module; }
    HWND GetHotKeyWindow() override { return hotKeyWindow; }
    int IsUploadBusy() const override { return uploadBusy; }
    void SetUploadBusy(int busy) override { uploadBusy = busy; }
    ISoundUploader* SoundUploader() override { return uploader; }
    void EndRun() override { ++endRuns; }

    CSwitchWindowMgr switches;
    CWorkSpace* workspace = nullptr;
    ICommDeviceMgmt* manager = nullptr;
    std::function<int()> connect;
    HMODULE module = nullptr;  // the test executable's resources
    std::u16string folder;
    std::u16string appData;
    HWND hotKeyWindow = nullptr;
    int uploadBusy = 0;
    ISoundUploader* uploader = nullptr;
    int endRuns = 0;
};

}  // namespace qv::test
