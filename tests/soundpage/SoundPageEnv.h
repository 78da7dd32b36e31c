#pragma once
// The main window with the sound pads page over the skin, on the stepped
// clock: the user's folders in a temporary folder, the family's card among
// the audio devices as a file of SDL's disk driver, a hidden window that
// holds the hotkeys, and the fake hotkey, file dialog and message box
// services. The catalogue is a closed port unless a test starts its own.
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/AudioDeviceList.h"
#include "platform/ui/SNotifyCenter.h"
#include "plugin/pages/EventHandlerSound.h"
#include "plugin/windows/MainDlg.h"
#include "tests/mainwnd/MainWndTestEnv.h"
#include "tests/support/FakeFileDialogService.h"
#include "tests/support/FakeHotKeyService.h"
#include "tests/support/MenuPick.h"

namespace qv::test {

class SoundPageEnv : public SkinAppTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The main window with the sound page only, or with every page.
    void OpenWindow(bool allPages = false);
    void CloseWindow();
    CEventHandlerSound& Page() const;

    ui::SWindow* Named(const char16_t* name) const;
    ui::SWindow* Pad(int id) const;
    // Shows the page of "tab_sound" and lays the window out.
    void ShowTab(int index);
    // The pad, its scroll view scrolled to show it.
    ui::SWindow* Reveal(int id);
    void ClickPad(int id);
    // Right-clicks the pad and picks the item of its menu (0: none; the
    // menu's items are recorded either way), or the path of items into a
    // sub-menu.
    void PadMenu(int id, UINT item) { PadMenu(id, item ? std::vector<UINT>{item} : std::vector<UINT>{}); }
    void PadMenu(int id, std::vector<UINT> path);
    // Runs the script on the modal dialog of class T that `open` brings up.
    template <class T>
    bool WithDialog(const std::function<void()>& open, const std::function<void(T&)>& script);
    // Delivers what is pending through the application's message filters,
    // as its message loop does.
    void PumpThroughFilters();
    // The text of the tip shown now, empty when none.
    static std::u16string TipText();
    // Waits until the page's player has played to its end; false on time-out.
    bool WaitUntilPlayed();

    std::string DataFolder() const { return m_dir + "/data/Quorvel"; }
    std::string MoodFile() const;
    // The disk output of the family's card, and its samples so far.
    std::string CardOutput() const;
    std::vector<std::int16_t> CardSamples() const;
    std::string MakeTone(const std::string& name, double seconds, double hz = 440) const;

    std::unique_ptr<ui::SNotifyCenter> m_center;
    FakePluginApp m_fake;
    FakeHotKeyService m_hotkeys;
    FakeFileDialogService m_files;
    std::unique_ptr<ui::SHostWnd> m_hidden;
    std::unique_ptr<CMainDlg> m_dlg;
    MenuItems m_menuItems;  // the last menu's top level

private:
    class Devices : public audio::IAudioDeviceList {
    public:
        std::vector<std::u16string> Names(audio::DeviceDirection direction) override;
        std::u16string output;
    } m_devices;
};

template <class T>
bool SoundPageEnv::WithDialog(const std::function<void()>& open, const std::function<void(T&)>& script) {
    bool ran = false;
    // Looks again on later turns of the loop (a menu's loop may come
    // first), a bounded number of times.
    int turns = 500;
    std::function<void()> look = [&] {
        if (T* dialog = FindHost<T>()) {
            ran = true;
            script(*dialog);
        } else if (--turns > 0) {
            qv::os::PostTask(qv::os::GetCurrentThreadId(), look);
        }
    };
    qv::os::PostTask(qv::os::GetCurrentThreadId(), look);
    open();
    ui::test::PumpPending();
    return ran;
}

}  // namespace qv::test
