// The recording page in the main window over the skin, on the stepped clock,
// with SDL's disk driver as the card's audio (its capture fed a 1 kHz tone)
// and the simulated card behind the real device manager: a take recorded,
// saved and played back with its clocks; refusals and failures; a disk that
// fills while recording; the clocks at the edges of length and time (on fake
// streams); playback giving way to recording, and the card pulled; sleep and
// session end from a fake logind; both main windows' recording area.
#include <cairo.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "controls/CTipWnd.h"
#include "families/ThisFamily.h"
#include "platform/audio/Mp3Encoder.h"
#include "platform/audio/Mp3FrameEnds.h"
#include "platform/audio/Mp3Source.h"
#include "platform/os/AtomicFile.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Utf.h"
#include "platform/ui/controls/SProgress.h"
#include "platform/ui/controls/SSliderBar.h"
#include "platform/ui/desktop/SessionEvents.h"
#include "plugin/app/AppEvents.h"
#include "plugin/pages/EventHandlerRecord.h"
#include "plugin/pages/SoundPlayClock.h"
#include "tests/desktop/FakeLogind.h"
#include "tests/desktop/PrivateBus.h"
#include "tests/effect/EffectPageEnv.h"
#include "tests/effect/IdleClockStepper.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/FakeAudioStream.h"
#include "tests/support/FakeFileDialogService.h"
#include "tests/support/UiInput.h"

namespace qv::test {
namespace {

using State = CEventHandlerRecord::State;

constexpr int kCaptureRate = 44100;
constexpr int kOutputRate = 48000;  // what the player asks of the disk driver
constexpr const char* kNoBus = "unix:path=/nonexistent/qv-no-system-bus";

std::uint32_t PositionMs(audio::IAudioStream* stream) {
    audio::AudioPosition position;
    return stream && stream->GetPosition(&position) ? position.milliseconds : 0;
}

// Seconds of a "hh:mm:ss" clock; -1 when the text is not one.
int ClockSeconds(const std::u16string& text) {
    unsigned h = 0, m = 0, s = 0;
    const std::string utf8 = os::Utf16ToUtf8(text);
    if (utf8.size() != 8 || std::sscanf(utf8.c_str(), "%2u:%2u:%2u", &h, &m, &s) != 3) return -1;
    return static_cast<int>(h * 3600 + m * 60 + s);
}

// The frames of an MP3 file as libmad reads them; 0 when it cannot.
std::uint64_t Mp3Frames(const std::string& path, int* rate = nullptr) {
    std::u16string error;
    auto source = audio::Mp3Source::Open(ReadBytes(path), error);
    if (!source) return 0;
    if (rate) *rate = source->Rate();
    return source->TotalFrames();
}

class RecordPageTest : public EffectPageEnv {
protected:
    void SetUp() override {
        EffectPageEnv::SetUp();
        // No system bus but a test's own: the window takes no delay lock.
        setenv("DBUS_SYSTEM_BUS_ADDRESS", kNoBus, 1);
        m_audio = m_dir + "/audio";
        std::filesystem::create_directories(m_audio);
        ASSERT_TRUE(WriteRaw(m_audio + "/line-in.raw", ToneSamples(3.0, 1000, kCaptureRate, 2)));
        // A block of about 22 ms every 20 ms: the sound runs at about real
        // time, so the page's 200 ms clocks see every second of it even on a
        // busy machine.
        UseDiskAudio(m_audio + "/out.raw", m_audio + "/line-in.raw", 20);
        ConnectCard();
    }
    void TearDown() override {
        EffectPageEnv::TearDown();
        for (const char* name : {"SDL_AUDIODRIVER", "SDL_DISKAUDIOFILE", "SDL_DISKAUDIOFILEIN", "SDL_DISKAUDIODELAY",
                                 "DBUS_SYSTEM_BUS_ADDRESS"})
            unsetenv(name);
    }

    void Open() {
        OpenWindow();
        ASSERT_NE(m_dlg, nullptr);
        m_page = dynamic_cast<CEventHandlerRecord*>(m_dlg->Pages().back().get());
        ASSERT_NE(m_page, nullptr);
    }
    void Press(const char16_t* name) {
        controls::CTipWnd::HideTip();
        ui::SWindow* target = Named(name);
        ASSERT_NE(target, nullptr);
        Click(*m_dlg, *target);
    }
    // The command of a control, as a click on it would fire it.
    void Command(const char16_t* name) {
        controls::CTipWnd::HideTip();
        Named(name)->FireCommand();
    }
    std::u16string Text(const char16_t* name) const { return Named(name)->GetWindowText().str(); }
    bool Checked(const char16_t* name) const { return Named(name)->IsChecked(); }
    bool Enabled(const char16_t* name) const { return !Named(name)->IsDisabled(true); }
    ui::SProgress* Bar(const char16_t* name) const { return dynamic_cast<ui::SProgress*>(Named(name)); }
    State PageState() const { return m_page->GetState(); }
    audio::IAudioStream* Recorder() const { return m_page->Engine().GetRecorder(); }
    audio::IAudioStream* Player() const { return m_page->Engine().GetPlayer(); }
    std::string TempFile() const { return os::Utf16ToUtf8(m_page->TempPath()); }
    static std::u16string U16(const std::string& path) { return os::Utf8ToUtf16(path); }

    // Ticks the page's clocks until done() holds, checking after each tick
    // that the clock text (and the slider, when given) shows a second the
    // stream passed during that tick. False when done() never holds.
    bool TickUntil(audio::IAudioStream* stream, const char16_t* clock, const char16_t* slider,
                   const std::function<bool()>& done, std::set<int>& shown) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            const std::uint32_t before = PositionMs(stream);
            Advance(200);
            if (done()) break;
            const std::uint32_t after = PositionMs(stream);
            if (after < before) continue;  // the sound ended meanwhile
            const int seconds = ClockSeconds(Text(clock));
            EXPECT_GE(seconds, static_cast<int>(before / 1000)) << os::Utf16ToUtf8(Text(clock));
            EXPECT_LE(seconds, static_cast<int>(after / 1000)) << os::Utf16ToUtf8(Text(clock));
            if (slider) {
                EXPECT_EQ(Bar(slider)->GetValue(), seconds);
            }
            shown.insert(seconds);
        }
        return true;
    }
    // Records until the take holds ms of sound.
    void RecordFor(std::uint32_t ms) {
        Press(u"btn_record");
        ASSERT_EQ(PageState(), State::kRecording) << os::Utf16ToUtf8(TipText());
        audio::IAudioStream* recorder = Recorder();
        std::set<int> shown;
        ASSERT_TRUE(TickUntil(recorder, u"txt_record_time", nullptr, [&] { return PositionMs(recorder) >= ms; }, shown))
            << "the recording never reached " << ms << " ms";
    }
    // A take of the tone already in place, as a former run leaves it.
    void PlaceTake(double seconds) {
        ASSERT_TRUE(WriteMp3(TempFile(), ToneSamples(seconds, 1000, kCaptureRate, 2), kCaptureRate, 2));
    }
    // The recording area as drawn now, under artifacts/record/.
    void SaveArea(const std::string& name) {
        m_dlg->UpdateWindow();
        const ui::CRect area = Named(u"container_record")->GetWindowRect();
        const std::filesystem::path path =
            std::filesystem::path(QV_ARTIFACTS_DIR) / "record" / (std::string(ThisFamily().name) + "_" + name);
        std::filesystem::create_directories(path.parent_path());
        cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, area.Width(), area.Height());
        cairo_t* cr = cairo_create(out);
        cairo_set_source_surface(cr, m_dlg->GetFrameBitmap()->Surface(), -area.left, -area.top);
        cairo_paint(cr);
        cairo_destroy(cr);
        EXPECT_EQ(cairo_surface_write_to_png(out, path.c_str()), CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(out);
    }

    std::string m_audio;
    FakeFileDialogService m_files;
    CEventHandlerRecord* m_page = nullptr;
};

TEST_F(RecordPageTest, ATakeIsRecordedSavedAndPlayedBackWithItsClocks) {
    Open();
    EXPECT_EQ(PageState(), State::kIdle);
    // A link at the take's name is replaced by the take, not written through.
    const std::string victim = m_dir + "/victim";
    std::ofstream(victim) << "keep";
    std::filesystem::create_symlink(victim, TempFile());
    for (const char16_t* name : {u"btn_record_playback", u"btn_record_save", u"slider_play_progress", u"channel_volume"})
        EXPECT_FALSE(Enabled(name)) << os::Utf16ToUtf8(name);

    // Recording: the clock follows the recorder, the meter the tone.
    Press(u"btn_record");
    ASSERT_EQ(PageState(), State::kRecording) << os::Utf16ToUtf8(TipText());
    EXPECT_TRUE(Checked(u"btn_record"));
    for (const char16_t* name : {u"btn_record_playback", u"btn_record_save", u"slider_play_progress"})
        EXPECT_FALSE(Enabled(name)) << os::Utf16ToUtf8(name);
    audio::IAudioStream* recorder = Recorder();
    ASSERT_NE(recorder, nullptr);
    std::set<int> shown;
    int loudest = 0;
    ASSERT_TRUE(TickUntil(recorder, u"txt_record_time", nullptr, [&] {
        loudest = std::max(loudest, Bar(u"channel_volume")->GetValue());
        return PositionMs(recorder) >= 3500;
    }, shown)) << "the recording never reached 3.5 s";
    EXPECT_GE(shown.size(), 3u) << "the recording clock stood still";
    EXPECT_GT(loudest, 30) << "the level meter never showed the tone";
    const std::uint32_t beforeStop = PositionMs(recorder);
    Press(u"btn_record");
    EXPECT_EQ(PageState(), State::kIdle);
    EXPECT_EQ(Recorder(), nullptr);
    EXPECT_FALSE(Checked(u"btn_record"));
    EXPECT_GE(ClockSeconds(Text(u"txt_record_time")), static_cast<int>(beforeStop / 1000));
    EXPECT_TRUE(Enabled(u"btn_record_playback") && Enabled(u"btn_record_save"));
    int rate = 0;
    EXPECT_GE(Mp3Frames(TempFile(), &rate), 3500u * kCaptureRate / 1000) << "libmad does not read the take whole";
    EXPECT_EQ(rate, kCaptureRate);
    EXPECT_FALSE(std::filesystem::is_symlink(TempFile()));
    EXPECT_EQ(os::ReadWholeFile(victim).value_or(""), "keep");

    // Saving: an MP3 dialog, and the take copied where the user said.
    const std::string saved = m_dir + "/home/take.mp3";
    m_files.QueueAnswer(U16(saved));
    Press(u"btn_record_save");
    EXPECT_EQ(TipText(), u"录音保存成功！");
    EXPECT_FALSE(Enabled(u"btn_record_save"));
    ASSERT_EQ(m_files.Requests().size(), 1u);
    const FakeFileDialogService::Request& asked = m_files.Requests()[0];
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.options.defaultExtension, u"mp3");
    EXPECT_TRUE(asked.options.overwritePrompt);
    ASSERT_EQ(asked.options.filters.size(), 1u);
    EXPECT_EQ(asked.options.filters[0].name, u"mp3文件(*.mp3)");
    EXPECT_EQ(asked.options.filters[0].patterns, std::vector<std::u16string>{u"*.mp3"});
    EXPECT_EQ(ReadBytes(saved), ReadBytes(TempFile()));

    // Playing back: the take's length, then the play clock and the slider
    // follow the player, and the end returns the page to idle.
    const std::string played = m_audio + "/played.raw";
    setenv("SDL_DISKAUDIOFILE", played.c_str(), 1);
    Press(u"btn_record_playback");
    ASSERT_EQ(PageState(), State::kPlaying) << os::Utf16ToUtf8(TipText());
    EXPECT_TRUE(Checked(u"btn_record_playback"));
    audio::IAudioStream* player = Player();
    audio::AudioDuration length;
    ASSERT_TRUE(player && player->GetDuration(&length));
    EXPECT_EQ(ClockSeconds(Text(u"txt_record_time")), static_cast<int>(length.wholeSeconds));
    EXPECT_EQ(Bar(u"slider_play_progress")->GetMax(), static_cast<int>(length.wholeSeconds));
    EXPECT_TRUE(Enabled(u"slider_play_progress"));
    bool shotCn = false, shotEn = false;
    shown.clear();
    loudest = 0;
    ASSERT_TRUE(TickUntil(player, u"txt_play_time", u"slider_play_progress", [&] {
        loudest = std::max(loudest, Bar(u"channel_volume")->GetValue());
        const int at = Bar(u"slider_play_progress")->GetValue();
        if (PageState() == State::kPlaying && at >= 1 && !shotCn) {
            SaveArea("recording_area_playing_cn.png");
            shotCn = true;
        } else if (PageState() == State::kPlaying && at >= 2 && !shotEn) {
            EXPECT_TRUE(m_app->InstallLanguage(u"translator:lang_en"));
            SaveArea("recording_area_playing_en.png");
            shotEn = true;
        }
        return PageState() == State::kIdle;
    }, shown)) << "the end of playback never reached the page";
    EXPECT_TRUE(shotCn && shotEn);
    EXPECT_GE(shown.size(), 3u) << "the play clock stood still";
    EXPECT_GT(loudest, 30) << "the level meter never showed the take playing";
    EXPECT_FALSE(Checked(u"btn_record_playback"));
    EXPECT_EQ(Text(u"txt_play_time"), u"00:00:00");
    EXPECT_EQ(Bar(u"slider_play_progress")->GetValue(), 0);
    EXPECT_FALSE(Enabled(u"slider_play_progress"));
    EXPECT_TRUE(Enabled(u"btn_record_save")) << "back to idle with a take, it can be saved again";

    const ToneReport tone = MeasureTone(ReadRaw(played), kOutputRate, 2);
    EXPECT_NEAR(tone.hz, 1000.0, 10.0);
    EXPECT_NEAR(tone.seconds, 3.0, 0.2);
}

TEST_F(RecordPageTest, RefusalsAndFailuresSayWhyAndLeaveThePageAsItWas) {
    Open();
    // The save button is disabled then; its command may come all the same.
    Command(u"btn_record_save");
    EXPECT_EQ(TipText(), u"您尚未录音，请先进行录音！");

    // No line input, before and after a take: the page's own words, and the
    // page and the take as they were.
    const std::string noInput = m_audio + "/no-such-input.raw";
    const auto failToStart = [&] {
        setenv("SDL_DISKAUDIOFILEIN", noInput.c_str(), 1);
        Press(u"btn_record");
        setenv("SDL_DISKAUDIOFILEIN", (m_audio + "/line-in.raw").c_str(), 1);
        EXPECT_EQ(PageState(), State::kIdle);
        EXPECT_FALSE(Checked(u"btn_record"));
        EXPECT_EQ(Recorder(), nullptr);
        EXPECT_EQ(TipText(), u"录音失败，请检查录音设备！");
    };
    failToStart();
    EXPECT_FALSE(std::filesystem::exists(TempFile())) << "a failed start left a take";
    EXPECT_FALSE(Enabled(u"btn_record_playback") || Enabled(u"btn_record_save"));

    // While recording: no saving, and an end of playback that comes late
    // (from a player gone before) changes nothing.
    RecordFor(5000);
    Command(u"btn_record_save");
    EXPECT_EQ(TipText(), u"录音正在进行中，请先停止录音！");
    EventPlaybackMsg late(m_dlg.get());
    late.object = &m_page->Engine();
    late.message = kPlaybackEndMessage;
    FireAppEventSync(late);
    EXPECT_EQ(PageState(), State::kRecording);
    EXPECT_TRUE(Checked(u"btn_record"));
    Press(u"btn_record");
    ASSERT_EQ(PageState(), State::kIdle);
    const std::vector<std::uint8_t> take = ReadBytes(TempFile());
    EXPECT_GE(Mp3Frames(TempFile()), 5u * kCaptureRate);

    failToStart();
    EXPECT_EQ(ReadBytes(TempFile()), take) << "a failed start touched the take";
    EXPECT_TRUE(Enabled(u"btn_record_playback") && Enabled(u"btn_record_save"));
    Press(u"btn_record_playback");
    EXPECT_EQ(PageState(), State::kPlaying) << os::Utf16ToUtf8(TipText());
    Press(u"btn_record_playback");
    ASSERT_EQ(PageState(), State::kIdle);

    // Saving: a cancel does nothing; a missing folder fails; a file in the
    // way is replaced whole or, when that fails, left as it was.
    m_files.QueueAnswer(std::nullopt);
    Press(u"btn_record_save");
    EXPECT_EQ(TipText(), u"");
    EXPECT_TRUE(Enabled(u"btn_record_save"));
    m_files.QueueAnswer(U16(m_dir + "/no-such-folder/take.mp3"));
    Press(u"btn_record_save");
    EXPECT_EQ(TipText(), u"保存失败，请尝试保存到其他路径！");
    const std::string inTheWay = m_dir + "/home/old.mp3";
    std::ofstream(inTheWay) << "an older take";
    os::SetBeforeReplaceHook([](const char*, const char*) { return false; });
    m_files.QueueAnswer(U16(inTheWay));
    Press(u"btn_record_save");
    os::SetBeforeReplaceHook(nullptr);
    EXPECT_EQ(TipText(), u"保存失败，请尝试保存到其他路径！");
    EXPECT_EQ(ReadBytes(inTheWay), (std::vector<std::uint8_t>{'a', 'n', ' ', 'o', 'l', 'd', 'e', 'r', ' ', 't', 'a', 'k', 'e'}));
    EXPECT_TRUE(Enabled(u"btn_record_save"));
    m_files.QueueAnswer(U16(inTheWay));
    Press(u"btn_record_save");
    EXPECT_EQ(TipText(), u"录音保存成功！");
    EXPECT_EQ(ReadBytes(inTheWay), take);
    EXPECT_EQ(m_files.Requests().size(), 4u) << "the refusals opened no dialog";

    // The take gone meanwhile: nothing to save.
    std::filesystem::remove(TempFile());
    Command(u"btn_record_save");
    EXPECT_EQ(TipText(), u"您尚未录音，请先进行录音！");

    // A damaged take: the page's own words, nothing plays.
    std::ofstream(TempFile(), std::ios::trunc) << "not a sound";
    Press(u"btn_record_playback");
    EXPECT_EQ(PageState(), State::kIdle);
    EXPECT_FALSE(Checked(u"btn_record_playback"));
    EXPECT_EQ(Player(), nullptr);
    EXPECT_EQ(TipText(), u"试听失败！");
}

// Writes until kDiskBytes have gone into the recording, then fails as a full
// disk does: a short write, then ENOSPC.
constexpr long kDiskBytes = 64 * 1024;
std::atomic<long> g_diskLeft{0};
ssize_t WriteUntilFull(int fd, const void* data, std::size_t size) {
    const long left = g_diskLeft.load();
    if (left <= 0) {
        errno = ENOSPC;
        return -1;
    }
    const ssize_t n = ::write(fd, data, std::min<std::size_t>(size, static_cast<std::size_t>(left)));
    if (n > 0) g_diskLeft -= n;
    return n;
}

// A disk that fills while recording: a real 64 KiB tmpfs (needs the right to
// mount) or the encoder's writes failing after 64 KiB.
class RecordDiskFullTest : public RecordPageTest, public ::testing::WithParamInterface<bool> {
protected:
    void TearDown() override {
        audio::Mp3Encoder::SetWriteHook(nullptr);
        if (!m_mounted.empty()) {
            CloseWindow();
            EXPECT_EQ(umount2(m_mounted.c_str(), MNT_DETACH), 0) << std::strerror(errno);
        }
        RecordPageTest::TearDown();
    }
    std::string m_mounted;
};

TEST_P(RecordDiskFullTest, StopsAtOnceSaysSoAndKeepsTheWholeFramesAsTheTake) {
    if (GetParam()) {
        const std::string small = m_dir + "/small";
        std::filesystem::create_directories(small);
        if (mount("qv-record", small.c_str(), "tmpfs", 0, "size=64k") != 0)
            GTEST_SKIP() << "cannot mount a 64 KiB tmpfs here (" << std::strerror(errno)
                         << "): only the failing-write case checks a full disk";
        m_mounted = small;
        setenv("XDG_DATA_HOME", small.c_str(), 1);  // the page's take goes there
    } else {
        g_diskLeft = kDiskBytes;
        audio::Mp3Encoder::SetWriteHook(&WriteUntilFull);
    }
    Open();
    if (!m_mounted.empty()) {
        ASSERT_EQ(TempFile().rfind(m_mounted, 0), 0u) << TempFile();
    }
    Press(u"btn_record");
    ASSERT_EQ(PageState(), State::kRecording) << os::Utf16ToUtf8(TipText());
    // The first failed write: the recorder stops recording by itself.
    audio::IAudioStream* recorder = Recorder();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    audio::AudioStatus status;
    while (recorder->GetStatus(&status) && status.running) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the disk never filled";
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    int waited = 0;
    for (; waited < 1000 && PageState() == State::kRecording; waited += 20) Advance(20);
    EXPECT_EQ(PageState(), State::kIdle) << "the recording went on over a full disk for " << waited << " ms";
    EXPECT_EQ(TipText(), u"录音写入失败，已停止录音！");
    EXPECT_FALSE(Checked(u"btn_record"));
    EXPECT_EQ(Recorder(), nullptr);
    EXPECT_TRUE(Enabled(u"btn_record_playback") && Enabled(u"btn_record_save"));

    // The take is the frames that fit whole: 64 KiB holds 2.7 s at 192 kbit/s.
    const std::vector<std::uint8_t> take = ReadBytes(TempFile());
    std::size_t end = 0;
    while (end + 4 <= take.size() && audio::Mp3FrameLength(&take[end]) > 0) end += audio::Mp3FrameLength(&take[end]);
    EXPECT_EQ(end, take.size()) << "the take ends in part of a frame";
    EXPECT_GE(Mp3Frames(TempFile()), 3u * kCaptureRate / 2);
    EXPECT_LE(take.size(), static_cast<std::size_t>(kDiskBytes));
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(TempFile()).parent_path()))
        EXPECT_EQ(entry.path().filename().string().find("tmp_record.mp3."), std::string::npos) << entry.path();
}

INSTANTIATE_TEST_SUITE_P(Disk, RecordDiskFullTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Tmpfs" : "FailingWrites"; });

// The clocks and the slider at the edges of what the engine reports: a sound
// shorter than a second, a length not known, and 500 hours and more, for the
// recording and the playing clock and the sound pads' clock, which stops its
// text at 500 hours.
TEST_F(RecordPageTest, ClocksHoldAtTheEdgesOfLengthAndTime) {
    Open();
    PlaceTake(1.0);
    FakeAudioStreams fakes;
    constexpr std::uint32_t k500Hours = 500 * 3600;
    const struct {
        const char* name;
        audio::AudioDuration length;
        std::uint32_t atMs;
        const char16_t* lengthText;  // "txt_record_time" while playing
        int sliderMax;
        const char16_t* clock;  // the recording and the playing clock
        int sliderAt;
    } rows[] = {
        {"under half a second", audio::DurationOfMs(300), 200, u"00:00:00", 1, u"00:00:00", 0},
        {"no length known", {}, 5000, u"00:00:00", 1, u"00:00:00", 0},
        {"past 500 hours", audio::DurationOfMs((k500Hours + 2) * 1000ull), (k500Hours + 1) * 1000, u"500:00:02",
         k500Hours + 2, u"500:00:01", k500Hours + 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fakes.script.duration = row.length;
        fakes.script.position = audio::PositionOfMs(row.atMs);
        Command(u"btn_record_playback");  // enabled by a take only once the window opens
        ASSERT_EQ(PageState(), State::kPlaying);
        EXPECT_EQ(Text(u"txt_record_time"), row.lengthText);
        EXPECT_EQ(Bar(u"slider_play_progress")->GetMax(), row.sliderMax);
        Advance(200);
        EXPECT_EQ(Text(u"txt_play_time"), row.clock);
        EXPECT_EQ(Bar(u"slider_play_progress")->GetValue(), row.sliderAt);
        Command(u"btn_record_playback");
        ASSERT_EQ(PageState(), State::kIdle);
        Press(u"btn_record");
        ASSERT_EQ(PageState(), State::kRecording);
        Advance(200);
        EXPECT_EQ(Text(u"txt_record_time"), row.clock);
        Press(u"btn_record");
        ASSERT_EQ(PageState(), State::kIdle);
    }

    CAudioEngine engine;
    ASSERT_TRUE(engine.OpenPlayer(u"", u"a sound") && engine.StartPlayer());
    CSoundPlayClock clock;
    clock.Attach(m_dlg.get(), Bar(u"progress_sound_play"), Named(u"txt_sound_play_time"));
    fakes.script.duration = audio::DurationOfMs((k500Hours + 2) * 1000ull);
    clock.Start(engine);
    for (const std::uint32_t second : {k500Hours - 1, k500Hours + 1}) {
        fakes.script.position = audio::PositionOfMs(second * 1000ull);
        clock.Tick(engine);
        EXPECT_EQ(Bar(u"progress_sound_play")->GetValue(), static_cast<int>(second));
    }
    EXPECT_EQ(Text(u"txt_sound_play_time"), u"499:59:59");
    clock.Detach();
}

TEST_F(RecordPageTest, PlaybackGivesWayToRecordingAndAPulledCardEndsIt) {
    Open();
    PlaceTake(6.0);
    m_dlg->DestroyWindow();  // a take from a former run: playable once the window opens
    m_app->SetMainWnd(nullptr);
    m_dlg.reset();
    Open();
    EXPECT_TRUE(Enabled(u"btn_record_playback") && Enabled(u"btn_record_save"));
    Press(u"btn_record_playback");
    ASSERT_EQ(PageState(), State::kPlaying) << os::Utf16ToUtf8(TipText());
    ASSERT_TRUE(WaitFor([&] { return PositionMs(Player()) > 500; }));

    // Holding the thumb stops the clock; letting it go further on seeks there.
    auto* slider = dynamic_cast<ui::SSliderBar*>(Named(u"slider_play_progress"));
    ASSERT_NE(slider, nullptr);
    const ui::CRect thumb = slider->GetPartRect(ui::SSliderBar::kPartThumb);
    const ui::CPoint grip((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
    MouseDown(*m_dlg, grip);
    const std::u16string held = Text(u"txt_play_time");
    const std::uint32_t pressedAt = PositionMs(Player());
    ASSERT_TRUE(WaitFor([&] { return PositionMs(Player()) > pressedAt + 1200; }));
    EXPECT_EQ(Text(u"txt_play_time"), held) << "the clock ran under the held thumb";
    ui::CPoint letGo = grip;
    while (letGo.x < slider->GetWindowRect().right && slider->ValueFromPoint(letGo) < 4) ++letGo.x;
    MouseMove(*m_dlg, letGo, MK_LBUTTON);
    MouseUp(*m_dlg, letGo);
    EXPECT_GE(PositionMs(Player()), 4000u);
    Advance(600);
    EXPECT_GE(ClockSeconds(Text(u"txt_play_time")), 4);
    EXPECT_EQ(slider->GetValue(), ClockSeconds(Text(u"txt_play_time")));
    // The wheel moves the slider without pressing it: the position event
    // alone seeks, and the clock follows from there.
    for (int i = 0; i < 3; ++i) Wheel(*m_dlg, -120, grip);
    const int wheeledTo = slider->GetValue();
    EXPECT_LE(wheeledTo, 2);
    EXPECT_LT(PositionMs(Player()), (wheeledTo + 1) * 1000u);
    Advance(200);
    EXPECT_EQ(slider->GetValue(), ClockSeconds(Text(u"txt_play_time")));
    EXPECT_LT(ClockSeconds(Text(u"txt_play_time")), 4);

    // The sound page's engine ends a sound: not this page's.
    int other = 0;
    EventPlaybackMsg foreign(m_dlg.get());
    foreign.object = &other;
    foreign.message = kPlaybackEndMessage;
    FireAppEventSync(foreign);
    EXPECT_EQ(PageState(), State::kPlaying);

    // Recording stops and lets go of the player first, into the same file.
    {
        IdleClockStepper stepper(m_clock);  // time passes while the page waits for the device
        Press(u"btn_record");
    }
    ASSERT_EQ(PageState(), State::kRecording) << os::Utf16ToUtf8(TipText());
    EXPECT_EQ(Player(), nullptr);
    EXPECT_FALSE(Checked(u"btn_record_playback"));
    EXPECT_FALSE(Enabled(u"btn_record_playback"));
    Advance(400);
    EXPECT_EQ(Text(u"txt_play_time"), u"00:00:00");
    ASSERT_TRUE(WaitFor([&] { return PositionMs(Recorder()) > 1500; }));

    // The card pulled: the take is completed and the page idle.
    m_card.Unplug();
    ASSERT_TRUE(WaitFor([&] { return PageState() == State::kIdle; })) << "the removal never reached the page";
    EXPECT_EQ(Recorder(), nullptr);
    EXPECT_FALSE(Checked(u"btn_record"));
    EXPECT_GE(Mp3Frames(TempFile()), 1500u * kCaptureRate / 1000);
    EXPECT_TRUE(Enabled(u"btn_record_playback"));

    // It comes back in update mode while the system sleeps: waking connects
    // it and marks it for the upgrade, without a session.
    m_dlg->SendMessage(WM_POWERBROADCAST, desktop::PBT_APMSUSPEND);
    m_card.Plug(SimCard::kUpdateProductId);
    ui::test::PumpPending();
    EXPECT_EQ(m_workspace->NeedsUpgrade(), 0);
    m_dlg->SendMessage(WM_POWERBROADCAST, desktop::PBT_APMRESUMEAUTOMATIC);
    EXPECT_TRUE(m_link->Manager().IsConnected());
    EXPECT_EQ(m_workspace->NeedsUpgrade(), 1);
    EXPECT_FALSE(m_card.SessionOpen());
}

TEST_F(RecordPageTest, SleepAndSessionEndStopTheStreamsAndTheCardsSession) {
    PrivateBus bus;
    if (!bus.Start()) GTEST_SKIP() << "dbus-daemon is not installed";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", bus.Address().c_str(), 1);
    FakeLogind logind;
    ASSERT_TRUE(logind.Ok());
    Open();
    ASSERT_TRUE(WaitFor([&] { return logind.Inhibits() == 1; })) << "the main window took no delay lock";
    EXPECT_TRUE(m_card.SessionOpen());

    // Sleep while recording: the take is completed, the session closed and
    // the card let go; waking opens the session again.
    RecordFor(1000);
    logind.Emit("PrepareForSleep", true);
    ASSERT_TRUE(WaitFor([&] { return PageState() == State::kIdle && !m_card.SessionOpen(); }))
        << "the sleep never reached the page";
    EXPECT_EQ(Recorder(), nullptr);
    EXPECT_FALSE(m_link->Manager().IsConnected());
    EXPECT_GT(Mp3Frames(TempFile()), 0u);
    logind.Emit("PrepareForSleep", false);
    ASSERT_TRUE(WaitFor([&] { return m_card.SessionOpen(); })) << "waking did not open the session";
    EXPECT_TRUE(m_link->Manager().IsConnected());

    // Shutdown while playing: the player goes, the session is closed, and
    // the program waits to be ended.
    Press(u"btn_record_playback");
    ASSERT_EQ(PageState(), State::kPlaying) << os::Utf16ToUtf8(TipText());
    logind.Emit("PrepareForShutdown", true);
    ASSERT_TRUE(WaitFor([&] { return PageState() == State::kIdle && !m_card.SessionOpen(); }))
        << "the shutdown never reached the page";
    EXPECT_EQ(Player(), nullptr);
    EXPECT_FALSE(QuitPosted());
    // A session end called off, as Windows tells it: the program ends.
    m_dlg->SendMessage(WM_ENDSESSION, 0);
    EXPECT_TRUE(QuitPosted());
}

// Both families' main windows: the recording area's controls by name, id and
// class inside "container_record", below the effect side.
class RecordLayoutTest : public SkinAppTest, public ::testing::WithParamInterface<const char16_t*> {};

TEST_P(RecordLayoutTest, TheMainWindowCarriesTheRecordingArea) {
    ui::SHostWnd host(GetParam());
    ASSERT_TRUE(host.Create(nullptr));
    ui::SWindow* container = host.FindChildByName(u"container_record");
    ASSERT_NE(container, nullptr);
    const struct {
        const char16_t* name;
        int id;
        const char* cls;
    } controls[] = {
        {u"btn_record", CEventHandlerRecord::kBtnRecord, "qvcheckbtn"},
        {u"btn_record_playback", CEventHandlerRecord::kBtnRecordPlayback, "qvcheckbtn"},
        {u"btn_record_save", CEventHandlerRecord::kBtnRecordSave, "button"},
        {u"slider_play_progress", CEventHandlerRecord::kSliderPlayProgress, "qvslider"},
        {u"channel_volume", 65548, "qvprogressex"},
        {u"txt_record_time", 65607, "text"},
        {u"txt_play_time", 0, "text"},
    };
    for (const auto& c : controls) {
        ui::SWindow* w = container->FindChildByName(c.name);
        ASSERT_NE(w, nullptr) << os::Utf16ToUtf8(c.name);
        if (c.id) {
            EXPECT_EQ(w->GetID(), c.id) << os::Utf16ToUtf8(c.name);
        }
        EXPECT_EQ(ui::SStringW(w->GetObjectClass()).ToUtf8(), c.cls) << os::Utf16ToUtf8(c.name);
        ui::CRect inside;
        EXPECT_TRUE(inside.Intersect(container->GetWindowRect(), w->GetWindowRect()) && inside == w->GetWindowRect())
            << os::Utf16ToUtf8(c.name);
    }
    ui::CRect overlap;
    EXPECT_FALSE(overlap.Intersect(container->GetWindowRect(), host.FindChildByName(u"param_content")->GetWindowRect()));
    host.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, RecordLayoutTest,
                         ::testing::Values(u"LAYOUT:XML_MAINWND_DORBII", u"LAYOUT:XML_MAINWND_ZENK"));

}  // namespace
}  // namespace qv::test
