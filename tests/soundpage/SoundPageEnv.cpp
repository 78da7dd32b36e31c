#include "tests/soundpage/SoundPageEnv.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "controls/CTipWnd.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Utf.h"
#include "platform/ui/ModuleResources.h"
#include "platform/ui/controls/STabCtrl.h"
#include "plugin/dialogs/SetVolumeDlg.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/ExpectedFamily.h"
#include "tests/support/MenuPick.h"
#include "tests/support/UiInput.h"

namespace qv::test {

std::vector<std::u16string> SoundPageEnv::Devices::Names(audio::DeviceDirection direction) {
    if (direction == audio::DeviceDirection::Capture) return {};
    return {u"/nonexistent/Speakers.raw", output};
}

void SoundPageEnv::SetUp() {
    SkinAppTest::SetUp();
    setenv("QV_CATALOGUE_URL", "http://127.0.0.1:1/tuning", 1);
    LoadSettings(m_dir + "/data", {});
    m_center = std::make_unique<ui::SNotifyCenter>();
    // The card's output is the one device whose name holds the family's name.
    m_devices.output = os::Utf8ToUtf16(CardOutput());
    audio::SetAudioDeviceList(&m_devices);
    UseDiskAudio(m_dir + "/default-out.raw", m_dir + "/default-in.raw", 2);
    m_hidden = std::make_unique<ui::SHostWnd>();
    ASSERT_NE(m_hidden->CreateFromXml(u"<SOUI hidden=\"1\" size=\"0,0\"><root/></SOUI>"), nullptr);
    m_fake.appData = os::Utf8ToUtf16(DataFolder());
    m_fake.module = ui::ExecutableModule();
    m_fake.hotKeyWindow = m_hidden->GetHwnd();
}

void SoundPageEnv::TearDown() {
    CloseWindow();
    controls::CTipWnd::HideTip();
    ui::test::PumpPending();
    m_hidden->DestroyWindow();
    m_hidden.reset();
    m_center.reset();
    audio::SetAudioDeviceList(nullptr);
    unsetenv("QV_CATALOGUE_URL");
    SkinAppTest::TearDown();
}

void SoundPageEnv::OpenWindow(bool allPages) {
    MainDlgPages pages;
    if (allPages) {
        pages = CreateMainDlgPages();
    } else {
        pages.push_back(std::make_unique<CEventHandlerSound>());
    }
    m_dlg = std::make_unique<CMainDlg>(std::move(pages));
    m_app->SetMainWnd(m_dlg.get());
    ASSERT_TRUE(m_dlg->Create(nullptr));
    m_dlg->ShowWindow(SW_SHOWNORMAL);
    m_dlg->UpdateWindow();
    ui::test::PumpPending();
}

void SoundPageEnv::CloseWindow() {
    if (!m_dlg) return;
    m_dlg->DestroyWindow();
    m_app->SetMainWnd(nullptr);
    m_dlg.reset();
    // Recorded output is read once the player is gone.
    ui::test::PumpPending();
}

CEventHandlerSound& SoundPageEnv::Page() const {
    for (const auto& page : m_dlg->Pages())
        if (auto* sound = dynamic_cast<CEventHandlerSound*>(page.get())) return *sound;
    throw std::logic_error("no sound page");
}

ui::SWindow* SoundPageEnv::Named(const char16_t* name) const { return m_dlg ? m_dlg->FindChildByName(name) : nullptr; }

ui::SWindow* SoundPageEnv::Pad(int id) const { return m_dlg ? m_dlg->FindChildByID(id) : nullptr; }

void SoundPageEnv::ShowTab(int index) {
    auto* tabs = dynamic_cast<ui::STabCtrl*>(Named(u"tab_sound"));
    ASSERT_NE(tabs, nullptr);
    tabs->SetCurSel(index);
    m_dlg->UpdateWindow();
}

ui::SWindow* SoundPageEnv::Reveal(int id) {
    ui::SWindow* pad = Pad(id);
    if (pad) ScrollIntoView(*m_dlg, *pad);
    return pad;
}

void SoundPageEnv::ClickPad(int id) {
    ui::SWindow* pad = Reveal(id);
    ASSERT_NE(pad, nullptr) << id;
    Click(*m_dlg, *pad);
}

void SoundPageEnv::PadMenu(int id, std::vector<UINT> path) {
    m_menuItems.clear();
    PickFromNextMenu(std::move(path), &m_menuItems);
    ui::SWindow* pad = Reveal(id);
    ASSERT_NE(pad, nullptr) << id;
    qv::test::Click(*m_dlg, CenterOf(pad), true);
    ui::test::PumpPending();
}

void SoundPageEnv::PumpThroughFilters() {
    os::MSG msg{};
    while (os::PeekMessage(&msg, true)) {
        if (msg.message == WM_QUIT) break;
        if (!m_app->PreTranslateMessage(msg)) os::DispatchMessage(msg);
    }
    ui::test::PumpPending();
}

std::u16string SoundPageEnv::TipText() {
    controls::CTipWnd* tip = controls::CTipWnd::Current();
    ui::SWindow* text = tip ? tip->FindChildByName(u"txt_tip") : nullptr;
    return text ? text->GetWindowText().str() : std::u16string();
}

bool SoundPageEnv::WaitUntilPlayed() {
    // Real time: the device plays on its own thread.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
        ui::test::PumpPending();
        if (!Page().Engine().IsPlaying()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

std::string SoundPageEnv::MoodFile() const { return DataFolder() + "/" + os::Utf16ToUtf8(Expected().moodFile); }

std::string SoundPageEnv::CardOutput() const {
    return m_dir + "/" + os::Utf16ToUtf8(Expected().deviceName) + " Analog.raw";
}

std::vector<std::int16_t> SoundPageEnv::CardSamples() const { return ReadRaw(CardOutput()); }

std::string SoundPageEnv::MakeTone(const std::string& name, double seconds, double hz) const {
    const std::string path = m_dir + "/" + name;
    EXPECT_TRUE(WriteMp3(path, ToneSamples(seconds, hz, 44100, 2), 44100, 2));
    return path;
}

}  // namespace qv::test
