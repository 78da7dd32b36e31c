#include "tests/mainwnd/MainWndTestEnv.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <filesystem>

#include "controls/PluginControls.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Tick.h"
#include "platform/os/Utf.h"
#include "platform/ui/SMenuWnd.h"
#include "plugin/app/NamedIds.h"
#include "plugin/workspace/SettingsStore.h"

namespace qv::test {

void DesktopTestEnv::SetUp() {
    char pattern[] = "/tmp/qv-mainwnd-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
    const std::pair<const char*, const char*> folders[] = {
        {"HOME", "/home"}, {"XDG_DATA_HOME", "/data"}, {"XDG_CONFIG_HOME", "/config"},
        {"XDG_RUNTIME_DIR", "/run"}, {"TMPDIR", "/tmp"}};
    for (const auto& [name, sub] : folders) {
        const char* old = std::getenv(name);
        m_savedEnv.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        std::filesystem::create_directories(m_dir + sub);
        setenv(name, (m_dir + sub).c_str(), 1);
    }
    chmod((m_dir + "/run").c_str(), 0700);
    qv::os::SetClock(&m_clock);
}

void DesktopTestEnv::TearDown() {
    ui::test::PumpPending();
    qv::os::DestroyThreadQueue();
    qv::os::SetClock(nullptr);
    CSettingsStore::GetStore(0)->Load(u"");
    for (auto& [name, value] : m_savedEnv) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

bool DesktopTestEnv::WaitFor(const std::function<bool()>& pred) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
        while (qv::os::PumpOneMessage()) {
            if (pred()) return true;
        }
        if (pred()) return true;
        m_clock.Step(10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

void DesktopTestEnv::Advance(int ms) {
    for (int passed = 0; passed < ms; passed += 10) {
        ui::test::PumpPending();
        m_clock.Step(10);
    }
    ui::test::PumpPending();
}

bool DesktopTestEnv::QuitPosted() {
    ui::test::PumpPending();
    qv::os::MSG msg{};
    return qv::os::PeekMessage(&msg, false) && msg.message == WM_QUIT;
}

void DesktopTestEnv::Click(ui::SHostWnd& host, ui::SWindow& target) {
    const ui::CRect rc = target.GetWindowRect();
    const LPARAM at = MAKELPARAM(rc.left + rc.Width() / 2, rc.top + rc.Height() / 2);
    host.SendMessage(WM_MOUSEMOVE, 0, at);
    host.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    if (host.IsWindow()) host.SendMessage(WM_LBUTTONUP, 0, at);
}

void LoadSettings(const std::string& dataFolder, std::initializer_list<std::pair<const char16_t*, int>> ints) {
    const std::string folder = dataFolder + "/Quorvel";
    std::filesystem::create_directories(folder);
    const std::u16string path = qv::os::Utf8ToUtf16(folder + "/DorbIIConfigData.db");
    CSettingsStore* store = CSettingsStore::GetStore(0);
    ASSERT_TRUE(store->Load(path));
    for (const auto& [key, value] : ints) ASSERT_TRUE(store->WriteInt(u"Settings", key, value));
    ASSERT_TRUE(store->Load(path));
}

void SkinAppTest::SetUp() {
    DesktopTestEnv::SetUp();
    m_app = std::make_unique<ui::SApplication>(nullptr);
    qv::controls::RegisterPluginControls(m_app->GetWindowFactory(), m_app->GetSkinFactory());
    ASSERT_TRUE(m_app->AddResProvider(nullptr, u"uidef:xml_init"));
    m_app->SetNamedIds(kNamedIds, kNamedIdCount);
}

std::vector<std::u16string> SkinAppTest::PickFromMainMenu(ui::SHostWnd& dlg, UINT pick) {
    std::vector<std::u16string> items;
    // The menu runs its own loop: the task reaches it there.
    qv::os::PostTask(qv::os::GetCurrentThreadId(), [&] {
        for (ui::SHostWnd* host : m_app->GetHostWnds()) {
            auto* menu = dynamic_cast<ui::SMenuWnd*>(host);
            if (!menu) continue;
            for (UINT id : {1u, 2u, 3u, 4u})
                if (ui::SMenuItemWnd* item = menu->FindItem(id)) items.push_back(item->GetWindowText().str());
            if (ui::SMenuItemWnd* item = menu->FindItem(pick)) Click(*menu, *item);
        }
    });
    Click(dlg, *dlg.FindChildByName(u"btn_menu"));
    ui::test::PumpPending();
    return items;
}

void SkinAppTest::TearDown() {
    qv::controls::ClosePluginPopups();
    ui::test::PumpPending();
    m_app.reset();
    DesktopTestEnv::TearDown();
}

}  // namespace qv::test
