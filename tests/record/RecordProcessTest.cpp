// The real program (quorvel with dorbII.so) against cardsim on a private X
// server, with SDL's disk driver as the card's audio (its line input a 1 kHz
// tone) and a stand-in for zenity as the save dialog: a new user records,
// plays the take back and saves it. Screenshots of the recording area are
// kept as artifacts.
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include "platform/audio/Mp3Source.h"
#include "tests/desktop/XvfbServer.h"
#include "tests/host/HostProcess.h"
#include "tests/mainwnd/CardSimProcess.h"
#include "tests/mainwnd/XClient.h"
#include "tests/support/AudioFixtures.h"

namespace qv::test {
namespace {

constexpr const char* kMainTitle = "Quorvel";
constexpr int kCaptureRate = 44100;
constexpr int kOutputRate = 48000;
constexpr std::uint32_t kAccent = 0x3DA9FC;
constexpr std::uint32_t kRecordRed = 0xE5484D;

// Where the layout puts the recording area: a box of 288 x 184 at the
// window's bottom left, below the effect side.
struct RecordArea {
    ScreenRect area;
    ScreenRect Record() const { return {area.x + 14, area.y + 46, 124, 32}; }
    ScreenRect Playback() const { return {area.x + 14, area.y + 88, 124, 32}; }
    ScreenRect Save() const { return {area.Right() - 116, area.y + 6, 104, 32}; }
};

bool Eventually(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class RecordOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_x.Start("1280x960")) GTEST_SKIP() << "Xvfb is not available";
        std::filesystem::copy_file(QV_DORBII_PLUGIN, m_box.ProgramFolder() + "/dorbII.so");
        ASSERT_TRUE(m_card.Start(m_box.SimSocket(), m_box.Root() + "/cardsim.log"));
        m_client = std::make_unique<XClient>(m_x.Display());
        ASSERT_TRUE(m_client->Connected());
        ASSERT_TRUE(WriteRaw(m_box.Root() + "/line-in.raw", ToneSamples(3.0, 1000, kCaptureRate, 2)));
        // zenity's stand-in: the user types a name without its extension.
        std::filesystem::create_directories(m_box.Root() + "/bin");
        std::filesystem::create_directories(m_box.Root() + "/home");
        const std::string zenity = m_box.Root() + "/bin/zenity";
        std::ofstream(zenity) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << m_box.Root() << "/zenity.args'\n"
                              << "echo '" << m_box.Root() << "/home/my take'\n";
        chmod(zenity.c_str(), 0755);
    }
    void TearDown() override {
        if (m_pid > 0) m_box.End(m_pid);  // one the test left running is ended
    }
    // Its terminal output goes to Terminal().
    void StartProgram(const std::map<std::string, std::string>& audio = {}) {
        const char* path = std::getenv("PATH");
        std::map<std::string, std::string> env = {{"DISPLAY", m_x.Display()},
                                                  {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/qv-bus"},
                                                  {"DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/qv-bus"},
                                                  {"PATH", m_box.Root() + "/bin:" + (path ? path : "/usr/bin:/bin")},
                                                  {"SDL_AUDIODRIVER", "disk"},
                                                  {"SDL_DISKAUDIOFILEIN", m_box.Root() + "/line-in.raw"},
                                                  {"SDL_DISKAUDIOFILE", m_box.Root() + "/out.raw"}};
        for (const auto& [key, value] : audio) env[key] = value;
        m_pid = m_box.StartCommand({m_box.ProgramFolder() + "/quorvel"}, env, Terminal());
    }
    std::string Terminal() const { return m_box.Root() + "/terminal.txt"; }
    // Everything the program and its plug-in logged.
    std::string Logs() const {
        std::string text;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(m_box.StateFolder() + "/log", ec))
            text += ReadFileText(entry.path().string());
        return text;
    }
    // How many pixels of the rectangle have the colour.
    int Pixels(const ScreenRect& rc, std::uint32_t colour) {
        int n = 0;
        for (std::uint32_t p : m_client->Grab(rc)) n += (p & 0xFFFFFF) == colour;
        return n;
    }
    void ClickAt(const ScreenRect& rc) { m_client->Click(rc.x + rc.width / 2, rc.y + rc.height / 2); }

    XvfbServer m_x;
    HostSandbox m_box;
    CardSimProcess m_card;
    std::unique_ptr<XClient> m_client;
    pid_t m_pid = -1;
};

TEST_F(RecordOnX, ANewUserRecordsPlaysBackAndSaves) {
    StartProgram();
    const auto main = m_client->WaitForWindow(kMainTitle);
    ASSERT_TRUE(main);
    EXPECT_EQ(main->height, 876);
    ASSERT_TRUE(m_card.WaitFor("> 94", 1, 15000));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));  // the window's first frames
    const RecordArea ui{{main->x + 12, main->y + 680, 288, 184}};
    EXPECT_TRUE(m_client->SaveShot(ui.area, "record/program_idle_cn.png"));

    // Recording: the button turns red while it runs.
    ClickAt(ui.Record());
    ASSERT_TRUE(Eventually([&] { return Pixels(ui.Record(), kRecordRed) > 2000; }, 5000)) << "the recording never showed";
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // mid-tone: the meter shows it
    EXPECT_TRUE(m_client->SaveShot(ui.area, "record/program_recording_cn.png"));
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    ClickAt(ui.Record());
    ASSERT_TRUE(Eventually([&] { return Pixels(ui.Record(), kRecordRed) < 1000; }, 5000)) << "the recording never stopped";

    // Playing back: the button turns blue until the take has played.
    ClickAt(ui.Playback());
    ASSERT_TRUE(Eventually([&] { return Pixels(ui.Playback(), kAccent) > 2000; }, 5000)) << "the playback never showed";
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_TRUE(m_client->SaveShot(ui.area, "record/program_playing_cn.png"));
    ASSERT_TRUE(Eventually([&] { return Pixels(ui.Playback(), kAccent) < 1000; }, 15000)) << "the playback never ended";
    const ToneReport tone = MeasureTone(ReadRaw(m_box.Root() + "/out.raw"), kOutputRate, 2);
    EXPECT_NEAR(tone.hz, 1000.0, 10.0);
    EXPECT_NEAR(tone.seconds, 3.0, 0.2);

    // Saving: the dialog asks for an MP3 name, and the take lands under it
    // with the extension added.
    ClickAt(ui.Save());
    const std::string saved = m_box.Root() + "/home/my take.mp3";
    ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(saved); }, 10000)) << "nothing was saved";
    const std::string args = ReadFileText(m_box.Root() + "/zenity.args");
    EXPECT_NE(args.find("--save"), std::string::npos) << args;
    EXPECT_NE(args.find("--file-filter=mp3文件(*.mp3) | *.mp3"), std::string::npos) << args;
    std::u16string error;
    auto take = audio::Mp3Source::Open(ReadBytes(saved), error);
    ASSERT_NE(take, nullptr);
    EXPECT_GE(take->TotalFrames(), 3u * kCaptureRate);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // With the tip above the save button, inside the window.
    EXPECT_TRUE(m_client->SaveShot({ui.area.x, ui.area.y - 48, ui.area.width + 100, ui.area.height + 48},
                                   "record/program_saved_cn.png"));
    m_client->Click(main->Right() - 36 + 12, main->y + 20);  // close: the run ends
    const auto status = m_box.Wait(m_pid, 15000);
    m_pid = -1;
    EXPECT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

// A machine without sound (SDL's ALSA driver, no card that ALSA finds):
// record and play back fail in the program's own words, the take of an
// earlier run stays, and libasound's complaints go to the log, not to the
// terminal.
TEST_F(RecordOnX, WithoutSoundTheRecordingAreaSaysSoAndTheTerminalStaysQuiet) {
    const std::string take = m_box.AppDataFolder() + "/tmp_record.mp3";
    std::filesystem::create_directories(m_box.AppDataFolder());
    ASSERT_TRUE(WriteMp3(take, ToneSamples(2.0, 1000, kCaptureRate, 2), kCaptureRate, 2));
    const std::vector<std::uint8_t> before = ReadBytes(take);
    StartProgram({{"SDL_AUDIODRIVER", "alsa"}, {"ALSA_CARD", "QvNoSuchCard"}});
    const auto main = m_client->WaitForWindow(kMainTitle);
    ASSERT_TRUE(main);
    ASSERT_TRUE(m_card.WaitFor("> 94", 1, 15000));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const RecordArea ui{{main->x + 12, main->y + 680, 288, 184}};

    ClickAt(ui.Record());
    ASSERT_TRUE(Eventually([&] { return Logs().find("recording did not start") != std::string::npos; }, 10000))
        << "the press never reached the page";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LT(Pixels(ui.Record(), kRecordRed), 1000) << "a recording shows that never started";
    EXPECT_TRUE(m_client->SaveShot({main->x, ui.area.y - 48, ui.area.width + 12, ui.area.height + 48},
                                   "record/program_no_input_cn.png"));
    ClickAt(ui.Playback());
    ASSERT_TRUE(Eventually([&] { return Logs().find("the recording did not play") != std::string::npos; }, 10000))
        << "the press never reached the page";
    EXPECT_EQ(ReadBytes(take), before) << "the failed start touched the take";

    m_client->Click(main->Right() - 36 + 12, main->y + 20);
    const auto status = m_box.Wait(m_pid, 15000);
    m_pid = -1;
    EXPECT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    const std::string terminal = ReadFileText(Terminal());
    EXPECT_EQ(terminal.find("ALSA lib"), std::string::npos) << terminal;
    EXPECT_NE(Logs().find("ALSA: "), std::string::npos) << "libasound said nothing: the test did not reach it";
}

}  // namespace
}  // namespace qv::test
