// The real program (quorvel with dorbII.so) against cardsim and catalogsim on
// a private X server, with SDL's disk driver as the card's output, as a new
// user tries the sound pads: the favourites with their hotkey texts, a pad
// played, the volume popup, the pad menus, a favourite's global hotkey with
// the window hidden in the tray, a local MP3 file added through the file
// dialog (a stand-in for zenity) and the name dialog, and a cloud pad that
// downloads and plays. Screenshots are kept under artifacts/sound/program_*.
#include <X11/keysym.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "platform/audio/Mp3Source.h"
#include "platform/os/Profile.h"
#include "platform/os/Utf.h"
#include "tests/desktop/PrivateBus.h"
#include "tests/desktop/SniPeers.h"
#include "tests/desktop/XvfbServer.h"
#include "tests/host/HostProcess.h"
#include "tests/mainwnd/CardSimProcess.h"
#include "tests/mainwnd/XClient.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/CatalogSim.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMainTitle = "Quorvel";
constexpr int kOutputRate = 48000;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool Eventually(const std::function<bool()>& done, int timeoutMs = 15000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        Sleep(20);
    }
    return true;
}

// Where the layout puts the sound area (716 x 184 at the window's bottom
// right) and its parts, from the area's corner.
struct SoundArea {
    ScreenRect area;
    ScreenRect At(int x, int y, int width, int height) const { return {area.x + x, area.y + y, width, height}; }
    // The tabs of "tab_sound": 62 px wide, 2 apart.
    ScreenRect Tab(int index) const { return At(66 + 64 * index, 6, 62, 30); }
    // Pads in four columns under the tabs; a favourite is a pad over its
    // hotkey text, its page with a scroll bar for the third row.
    ScreenRect Favourite(int row, int column) const { return At(74 + 158 * column, 40 + 52 * row, 148, 34); }
    ScreenRect HotkeyText(int row, int column) const { return At(94 + 158 * column, 75 + 52 * row, 108, 14); }
    ScreenRect Pad(int row, int column) const { return At(74 + 160 * column, 38 + 35 * row, 152, 34); }
    ScreenRect Volume() const { return At(520, 151, 24, 24); }
    ScreenRect PlayClock() const { return At(448, 150, 64, 28); }
    ScreenRect HotkeySwitch() const { return At(662, 153, 40, 20); }
};

// The card's output as SDL's disk driver writes it: the driver writes while
// the player's device is open and starts the file again when the device is
// opened anew.
class CardOutput {
public:
    explicit CardOutput(std::string path) : m_path(std::move(path)) {}
    const std::string& Path() const { return m_path; }
    // What comes after now is the next sound.
    void Mark() {
        m_seen = ReadRaw(m_path).size();
        m_mark = m_seen;
    }
    // The sound since the mark, once it has lasted at least `seconds` and
    // half a second more of the output has passed without it (or 30 s).
    // Counted in samples written, so a device thread kept waiting by a busy
    // machine does not end a sound early.
    ToneReport NextSound(double seconds) {
        ToneReport report;
        double last = -1;
        std::size_t changedAt = 0;
        Eventually([&] {
            const std::vector<std::int16_t> samples = Since();
            report = MeasureTone(samples, kOutputRate, 2);
            if (report.seconds != last) {
                last = report.seconds;
                changedAt = samples.size();
            }
            return report.seconds >= seconds && samples.size() >= changedAt + kOutputRate;
        }, 30000);
        return report;
    }

    // The sound since the mark as it stands.
    ToneReport SoFar() { return MeasureTone(Since(), kOutputRate, 2); }

private:
    std::vector<std::int16_t> Since() {
        std::vector<std::int16_t> samples = ReadRaw(m_path);
        if (samples.size() < m_seen) m_mark = 0;  // opened anew: a new file
        m_seen = samples.size();
        samples.erase(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(std::min(m_mark, samples.size())));
        return samples;
    }

    std::string m_path;
    std::size_t m_mark = 0;
    std::size_t m_seen = 0;
};

// A whole MP3 file decoded and measured as the card's output is.
ToneReport MeasureMp3File(const std::string& path) {
    const std::string bytes = ReadFileText(path);
    std::u16string error;
    auto source = audio::Mp3Source::Open(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), error);
    if (!source) return {};
    std::vector<std::int16_t> samples(static_cast<std::size_t>(source->TotalFrames() * source->Channels()));
    samples.resize(source->Read(samples.data(), source->TotalFrames()) * static_cast<std::size_t>(source->Channels()));
    return MeasureTone(samples, source->Rate(), source->Channels());
}

class SoundOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_x.Start("1280x960")) GTEST_SKIP() << "Xvfb is not available";
        fs::copy_file(QV_DORBII_PLUGIN, m_box.ProgramFolder() + "/dorbII.so");
        ASSERT_TRUE(m_card.Start(m_box.SimSocket(), m_box.Root() + "/cardsim.log"));
        m_client = std::make_unique<XClient>(m_x.Display());
        ASSERT_TRUE(m_client->Connected());
    }
    void TearDown() override {
        if (m_pid > 0) m_box.End(m_pid);  // one the test left running is ended
        // What the program logged, to tell why.
        if (HasFailure()) {
            for (const char* log : {"/log/default.log", "/log/debug.log"})
                std::printf("%s:\n%s\n", log, ReadFileText(m_box.StateFolder() + log).c_str());
        }
    }
    void StartProgram(const std::map<std::string, std::string>& env) {
        std::map<std::string, std::string> all = {{"DISPLAY", m_x.Display()},
                                                  {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/qv-bus"},
                                                  {"SDL_AUDIODRIVER", "disk"},
                                                  {"SDL_DISKAUDIOFILE", m_output.Path()}};
        for (const auto& [key, value] : env) all[key] = value;
        m_pid = m_box.Start(all);
    }
    // The main window once the card's session has begun and the page shows.
    std::optional<SoundArea> OpenMainWindow() {
        const auto main = m_client->WaitForWindow(kMainTitle);
        if (!main || !m_card.WaitFor("> 94", 1, 15000)) return std::nullopt;
        Sleep(700);  // the window's first frames
        m_main = *main;
        return SoundArea{{main->x + 312, main->y + 680, 716, 184}};
    }
    void CloseAndExpectTheEnd() {
        m_client->Click(m_main.Right() - 36 + 12, m_main.y + 20);
        const auto status = m_box.Wait(m_pid, 15000);
        m_pid = -1;
        EXPECT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    }
    void ClickAt(const ScreenRect& rc, int button = 1) { m_client->Click(rc.x + rc.width / 2, rc.y + rc.height / 2, button); }
    // How many colours the rectangle shows: 1 when nothing is drawn there.
    int Colours(const ScreenRect& rc) {
        const std::vector<std::uint32_t> pixels = m_client->Grab(rc);
        return static_cast<int>(std::set<std::uint32_t>(pixels.begin(), pixels.end()).size());
    }
    // Items are 28 px high inside the menu's 2 px frame.
    ScreenRect MenuItem(const ScreenRect& menu, int row) { return {menu.x + 2, menu.y + 2 + 28 * row, menu.width - 4, 28}; }
    // The rectangle that holds both.
    static ScreenRect Around(const ScreenRect& a, const ScreenRect& b) {
        const int x = std::min(a.x, b.x);
        const int y = std::min(a.y, b.y);
        return {x, y, std::max(a.Right(), b.Right()) - x, std::max(a.Bottom(), b.Bottom()) - y};
    }
    std::u16string MoodFile() const { return os::Utf8ToUtf16(m_box.AppDataFolder() + "/DorbIIMoodcfg.ini"); }
    int MoodInt(const char16_t* section, const char16_t* key) {
        return os::GetPrivateProfileInt(section, key, -1, MoodFile().c_str());
    }
    // The head of item i of a list as the file keeps it: name and hotkey.
    struct Head {
        std::u16string name;
        std::uint32_t hotkey = ~0u;
    };
    Head ItemHead(const char16_t* section, int i) {
        std::uint8_t bytes[44] = {};
        const std::u16string key = os::Utf8ToUtf16(std::to_string(i));
        Head head;
        if (!os::GetPrivateProfileStruct(section, key.c_str(), bytes, sizeof bytes, MoodFile().c_str())) return head;
        char16_t name[8] = {};
        std::memcpy(name, bytes + 4, sizeof name);
        head.name.assign(name, std::char_traits<char16_t>::length(name));
        std::memcpy(&head.hotkey, bytes + 36, sizeof head.hotkey);
        return head;
    }
    std::uint32_t FavouriteHotKey(int i) { return ItemHead(u"HotkeyMood", i).hotkey; }
    std::u16string ItemPath(const char16_t* section, int i) {
        char16_t path[300] = {};
        const std::u16string key = os::Utf8ToUtf16(std::to_string(i));
        os::GetPrivateProfileString(section, key.c_str(), u"", path, 300, MoodFile().c_str());
        return path;
    }

    XvfbServer m_x;
    HostSandbox m_box;
    CardSimProcess m_card;
    std::unique_ptr<XClient> m_client;
    CardOutput m_output{m_box.Root() + "/out.raw"};
    ScreenRect m_main;
    pid_t m_pid = -1;
};

// Favourites as a new user finds them: the built-in sounds with the keypad's
// hotkeys. One plays by a click; the volume popup sets the pad volume; the
// pad menu takes a hotkey away; with the switch on and the window hidden in
// the tray, a hotkey plays its favourite at the volume set.
TEST_F(SoundOnX, ANewUsersFavouritesPlayByClickAndByHotkeyWithTheWindowHidden) {
    PrivateBus bus;
    if (!bus.Start()) GTEST_SKIP() << "dbus-daemon is not available";
    ScopedEnv busEnv("DBUS_SESSION_BUS_ADDRESS", bus.Address());
    FakeWatcher watcher;
    ASSERT_TRUE(watcher.Ok());
    CatalogSim sim;
    ASSERT_TRUE(sim.Start());
    StartProgram({{"DBUS_SESSION_BUS_ADDRESS", bus.Address()}, {"QV_CATALOGUE_URL", sim.Base() + "/tuning"}});
    const auto ui = OpenMainWindow();
    ASSERT_TRUE(ui);

    // Ten favourites, the first eight on the keypad's digits; each pad of the
    // first row shows its hotkey under it.
    EXPECT_EQ(MoodInt(u"HotkeyMood", u"count"), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(FavouriteHotKey(i), i < 8 ? 0x61u + i : 0u) << i;
    EXPECT_EQ(MoodInt(u"Config", u"EnableHotKey"), 0);
    for (int column = 0; column < 4; ++column)
        EXPECT_TRUE(Eventually([&] { return Colours(ui->HotkeyText(0, column)) > 3; })) << column;
    EXPECT_TRUE(m_client->SaveShot(ui->area, "sound/program_favourites_cn.png"));

    // A click plays the first favourite on the card at the volume of a new
    // mood file.
    m_output.Mark();
    ClickAt(ui->Favourite(0, 0));
    const ToneReport clicked = m_output.NextSound(0.3);
    EXPECT_GT(clicked.seconds, 0.3);

    // The volume popup opens above its button, centred on it; a click low on
    // its slider and a turn of the wheel set the volume, kept in the file.
    ClickAt(ui->Volume());
    const auto popup = m_client->WaitForWindow("音量");
    ASSERT_TRUE(popup);
    EXPECT_NEAR(popup->x + popup->width / 2, ui->Volume().x + ui->Volume().width / 2, 2);
    EXPECT_LE(popup->Bottom(), ui->Volume().y);
    EXPECT_TRUE(m_client->SaveShot(Around(ui->area, *popup), "sound/program_volume_popup_cn.png"));
    m_client->Click(popup->x + popup->width / 2, popup->y + popup->height * 3 / 4);
    ASSERT_TRUE(Eventually([&] { return MoodInt(u"Config", u"Volume") < 76; })) << "the slider set nothing";
    const int low = MoodInt(u"Config", u"Volume");
    EXPECT_GT(low, 5);
    m_client->Click(popup->x + popup->width / 2, popup->y + popup->height / 2, 4);  // the wheel, up
    EXPECT_TRUE(Eventually([&] { return MoodInt(u"Config", u"Volume") == low + 1; }));
    EXPECT_TRUE(m_client->SaveShot(Around(ui->area, *popup), "sound/program_volume_popup_set_cn.png"));
    // A click on a pad closes it, whatever a window manager does with the
    // focus, and the pad does not play; so does a click on the desktop.
    m_output.Mark();
    ClickAt(ui->Favourite(0, 1));
    EXPECT_TRUE(m_client->WaitUntilGone("音量", 5000));
    Sleep(1500);
    EXPECT_LT(m_output.SoFar().seconds, 0.05) << "the click that closed the popup played the pad";
    ClickAt(ui->Volume());
    ASSERT_TRUE(m_client->WaitForWindow("音量"));
    m_client->Click(m_main.x > 20 ? m_main.x / 2 : m_main.Right() + 10, m_main.y + 40);
    EXPECT_TRUE(m_client->WaitUntilGone("音量", 5000));
    const int volume = low + 1;

    // The fourth favourite's menu: sending to the card, removing it, and
    // its hotkey's two items. Deleting the hotkey clears its text.
    ClickAt(ui->Favourite(0, 3), 3);
    const auto menu = m_client->WaitForPopup(2 * 28);
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->height, 4 + 4 * 28);
    EXPECT_TRUE(m_client->SaveShot(Around(ui->area, *menu), "sound/program_pad_menu_favourite_cn.png"));
    ClickAt(MenuItem(*menu, 2));  // 删除热键
    EXPECT_TRUE(Eventually([&] { return FavouriteHotKey(3) == 0; }));
    EXPECT_TRUE(Eventually([&] { return Colours(ui->HotkeyText(0, 3)) == 1; })) << "the hotkey text stayed";
    EXPECT_GT(Colours(ui->HotkeyText(0, 2)), 3);

    // The switch on; the window hidden from the tray; keypad 1 (with NumLock
    // on) plays the first favourite again, at the volume set.
    ClickAt(ui->HotkeySwitch());
    ASSERT_TRUE(Eventually([&] { return MoodInt(u"Config", u"EnableHotKey") == 1; }));
    ASSERT_EQ(watcher.Items().size(), 1u);
    TrayHost tray;
    ASSERT_TRUE(tray.Call(watcher.Items()[0], "Activate"));
    ASSERT_TRUE(m_client->WaitUntilGone(kMainTitle));
    // Without a window manager the focus went with the menu the program
    // closed, and keys would reach no one; a desktop keeps it somewhere.
    m_client->FocusDesktop();
    m_output.Mark();
    m_client->Tap({}, XK_Num_Lock);
    m_client->Tap({}, XK_KP_1);
    m_client->Tap({}, XK_Num_Lock);
    const ToneReport hotkey = m_output.NextSound(clicked.seconds * 0.9);
    // The same sound; its measured span moves by a tenth or two on a busy
    // machine (1.80 against 1.95 s seen with twenty copies running).
    EXPECT_NEAR(hotkey.seconds, clicked.seconds, 0.25);
    EXPECT_NEAR(hotkey.peak, clicked.peak * volume / 76.0, clicked.peak * volume / 76.0 * 0.05);

    ASSERT_TRUE(tray.Call(watcher.Items()[0], "Activate"));
    ASSERT_TRUE(m_client->WaitForWindow(kMainTitle));
    Sleep(700);
    EXPECT_TRUE(m_client->SaveShot(ui->area, "sound/program_favourites_hotkeys_on_cn.png"));
    CloseAndExpectTheEnd();
    EXPECT_EQ(m_card.Count("> 90 00 00 00 00"), 1);
}

// A local MP3 file added with the "+" pad through the file dialog and the
// name dialog, played and added to the favourites from its menu; a cloud
// category's page from the catalogue, whose pad downloads its sound and
// plays it.
TEST_F(SoundOnX, ANewUserAddsALocalFileAndPlaysACloudSound) {
    fs::create_directories(m_box.Root() + "/home");
    const std::string local = m_box.Root() + "/home/门铃-叮咚.mp3";
    ASSERT_TRUE(WriteMp3(local, ToneSamples(1.0, 440, 44100, 2), 44100, 2));
    // The catalogue the run command's demo starts, as it comes.
    CatalogSim sim;
    ASSERT_TRUE(sim.Start());
    // zenity's stand-in: the user picks the file.
    fs::create_directories(m_box.Root() + "/bin");
    const std::string zenity = m_box.Root() + "/bin/zenity";
    std::ofstream(zenity) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << m_box.Root() << "/zenity.args'\n"
                          << "echo '" << local << "'\n";
    chmod(zenity.c_str(), 0755);
    const char* path = std::getenv("PATH");
    StartProgram({{"QV_CATALOGUE_URL", sim.Base() + "/tuning"},
                  {"PATH", m_box.Root() + "/bin:" + (path ? path : "/usr/bin:/bin")}});
    const auto ui = OpenMainWindow();
    ASSERT_TRUE(ui);

    // The local page: the ten built-in sounds, then "+".
    ClickAt(ui->Tab(1));
    Sleep(300);
    EXPECT_TRUE(m_client->SaveShot(ui->area, "sound/program_local_cn.png"));
    ClickAt(ui->Pad(2, 2));
    const auto naming = m_client->WaitForWindow("特效名称");
    ASSERT_TRUE(naming);
    const std::string args = ReadFileText(m_box.Root() + "/zenity.args");
    EXPECT_NE(args.find("--file-filter=mp3文件(*.mp3) | *.mp3"), std::string::npos) << args;
    EXPECT_EQ(args.find("--save"), std::string::npos) << args;
    EXPECT_TRUE(m_client->SaveShot(Around(ui->area, *naming), "sound/program_file_name_dialog_cn.png"));
    m_client->Click(naming->x + 204, naming->y + 143);  // OK
    ASSERT_TRUE(m_client->WaitUntilGone("特效名称", 5000));
    // Named up to its '-', kept in the file, a pad before "+".
    ASSERT_TRUE(Eventually([&] { return MoodInt(u"DIY", u"count") == 1; }));
    EXPECT_EQ(ItemHead(u"DIY", 0).name, u"门铃");
    EXPECT_EQ(ItemPath(u"DIYPath", 0), os::Utf8ToUtf16(local));
    Sleep(300);
    EXPECT_TRUE(m_client->SaveShot(ui->area, "sound/program_local_added_cn.png"));

    m_output.Mark();
    ClickAt(ui->Pad(2, 2));
    const ToneReport file = m_output.NextSound(0.9);
    EXPECT_NEAR(file.hz, 440.0, 10.0);
    EXPECT_NEAR(file.seconds, 1.0, 0.15);
    EXPECT_NEAR(file.peak, 32767 * 0.5 * 0.76, 32767 * 0.5 * 0.76 * 0.05);

    // Its menu: sending to the card, then add to favourites, delete and
    // rename. Added, it is the eleventh favourite.
    ClickAt(ui->Pad(2, 2), 3);
    const auto menu = m_client->WaitForPopup(2 * 28);
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->height, 4 + 4 * 28);
    EXPECT_TRUE(m_client->SaveShot(Around(ui->area, *menu), "sound/program_pad_menu_local_cn.png"));
    ClickAt(MenuItem(*menu, 1));  // 添加到收藏夹
    EXPECT_TRUE(Eventually([&] { return MoodInt(u"HotkeyMood", u"count") == 11; }));
    EXPECT_EQ(ItemPath(u"HotkeyMoodPath", 10), os::Utf8ToUtf16(local));
    EXPECT_TRUE(m_client->SaveShot(Around(ui->area, *menu), "sound/program_added_to_favourites_cn.png"));
    Sleep(2200);  // the tip goes

    // The catalogue's categories follow the fixed pages; the first one's
    // pad downloads its sound into the data folder, a real MP3, and plays it
    // on the card whole, its play clock running.
    ASSERT_TRUE(Eventually([&] { return Colours(ui->Tab(4)) > 3; })) << "no cloud pages";
    ClickAt(ui->Tab(3));
    Sleep(300);
    EXPECT_TRUE(m_client->SaveShot(ui->area, "sound/program_cloud_cn.png"));
    m_output.Mark();
    const std::vector<std::uint32_t> clockBefore = m_client->Grab(ui->PlayClock());
    ClickAt(ui->Pad(0, 0));
    EXPECT_TRUE(Eventually([&] { return m_client->Grab(ui->PlayClock()) != clockBefore; })) << "the clock stood";
    ASSERT_TRUE(Eventually([&] { return MoodInt(u"Download", u"count") == 1; })) << "not downloaded";
    const ToneReport sound = MeasureMp3File(m_box.AppDataFolder() + "/CloudSound/laugh.mp3");
    ASSERT_GT(sound.seconds, 1.0) << "the download is no sound";
    const ToneReport cloud = m_output.NextSound(sound.seconds * 0.9);
    EXPECT_NEAR(cloud.seconds, sound.seconds, 0.15);
    EXPECT_GT(cloud.peak, 32767 / 8);
    ClickAt(ui->Tab(2));
    Sleep(300);
    EXPECT_TRUE(m_client->SaveShot(ui->area, "sound/program_downloaded_cn.png"));
    CloseAndExpectTheEnd();
}

}  // namespace
}  // namespace qv::test
