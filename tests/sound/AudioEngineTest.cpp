// CAudioEngine under SDL's disk driver with an injected device list: the card
// chosen by name or the default, the end of playback as one event from the
// holder, the player kept for later opens and cleared when it fails, the
// skin's sounds and local files at their volume, and releasing mid-play and
// mid-record.
#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "platform/audio/AudioDeviceList.h"
#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Utf.h"
#include "platform/ui/ModuleResources.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SNotifyCenter.h"
#include "platform/ui/WinDefs.h"
#include "platform/ui/controls/StandardControls.h"
#include "plugin/app/AppEvents.h"
#include "plugin/sound/AudioEngine.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/FakeMessageBoxService.h"

namespace {

using qv::audio::DeviceDirection;

constexpr int kOutputRate = 48000;

class FakeDeviceList final : public qv::audio::IAudioDeviceList {
public:
    std::vector<std::u16string> Names(DeviceDirection direction) override {
        return direction == DeviceDirection::Output ? outputs : inputs;
    }
    std::vector<std::u16string> outputs, inputs;
};

class AudioEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        qv::os::SetDebugOutputHook([](const char*) {});
        char pattern[] = "/tmp/qv-engine-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        qv::test::UseDiskAudio(Path("default.raw"), Path("default-in.raw"), 2);
        qv::audio::SetAudioDeviceList(&devices);
        app = std::make_unique<qv::ui::SApplication>(nullptr);
        qv::ui::RegisterStandardControls(app->GetWindowFactory());
        center = std::make_unique<qv::ui::SNotifyCenter>();
        mainWnd = std::make_unique<qv::ui::SHostWnd>();
        ASSERT_NE(mainWnd->CreateFromXml(u"<SOUI size=\"100,100\"><root/></SOUI>"), nullptr);
        app->SetMainWnd(mainWnd.get());
        center->addEvent(EventPlaybackMsg::EventID, EventPlaybackMsg::EventName);
        center->subscribeEvent(EventPlaybackMsg::EventID, [this](qv::ui::EventArgs* e) {
            auto* event = qv::ui::EventCast<EventPlaybackMsg>(e);
            EXPECT_NE(event, nullptr);
            EXPECT_EQ(event->message, 0x10000);
            EXPECT_EQ(event->Sender(), mainWnd.get());
            ends.push_back(event->object);
            return true;
        });
        tone = Path("tone.mp3");
        ASSERT_TRUE(qv::test::WriteMp3(tone, qv::test::ToneSamples(0.5, 440, 44100, 2), 44100, 2));
        ASSERT_TRUE(qv::test::WriteRaw(Path("default-in.raw"), qv::test::ToneSamples(1.0, 1000, 44100, 2)));
    }
    void TearDown() override {
        Pump();
        app->SetMainWnd(nullptr);
        mainWnd->DestroyWindow();
        Pump();
        center.reset();
        mainWnd.reset();
        app.reset();
        qv::os::DestroyThreadQueue();
        qv::audio::SetAudioDeviceList(nullptr);
        std::filesystem::remove_all(dir);
        qv::os::SetDebugOutputHook(nullptr);
    }

    std::string Path(const std::string& name) const { return dir + "/" + name; }
    std::u16string U16Path(const std::string& name) const { return qv::os::Utf8ToUtf16(Path(name)); }
    static std::uintmax_t SizeOf(const std::string& path) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        return ec ? 0 : size;
    }
    static void Pump() {
        while (qv::os::PumpOneMessage()) {
        }
    }
    // Delivers events until done() or the deadline; false on the deadline.
    static bool WaitFor(const std::function<bool()>& done, double seconds = 30) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }
    // Plays what the engine has open to its end and returns what reached the
    // device, read once the player (whose device runs on) is released.
    std::vector<std::int16_t> PlayOut(CAudioEngine& engine, const std::string& out) {
        const std::size_t before = ends.size();
        EXPECT_EQ(engine.StartPlayer(), 1) << engine.GetPlayerErrorText().ToUtf8();
        EXPECT_TRUE(WaitFor([&] { return ends.size() > before; })) << "no end of playback from " << out;
        engine.ReleasePlayer();
        return qv::test::ReadRaw(out);
    }

    std::string dir;
    std::string tone;
    FakeDeviceList devices;
    std::unique_ptr<qv::ui::SApplication> app;
    std::unique_ptr<qv::ui::SNotifyCenter> center;
    std::unique_ptr<qv::ui::SHostWnd> mainWnd;
    std::vector<const void*> ends;
};

TEST_F(AudioEngineTest, ChoosesTheCardByItsNameElseTheDefault) {
    // Under the disk driver a device's name is the file it writes or reads:
    // the file that moves shows the device chosen. Inputs that do not exist
    // cannot open, so a recording that starts shows its device too.
    ASSERT_TRUE(qv::test::WriteRaw(Path("Dorb II Pro Line.raw"), qv::test::ToneSamples(1.0, 1000, 44100, 2)));
    devices.outputs = {U16Path("Speakers.raw"), U16Path("Dorb II Pro Analog Stereo.raw")};
    struct Case {
        const char16_t* deviceName;
        bool record;
        std::vector<std::u16string> inputs;
        std::string expected;
    };
    const Case cases[] = {
        {u"Dorb II Pro", false, {}, "Dorb II Pro Analog Stereo.raw"},
        {u"dorb ii pro", false, {}, "default.raw"},
        {u"Missing Card", false, {}, "default.raw"},
        {u"Dorb II Pro", true, {U16Path("Mic.raw"), U16Path("Dorb II Pro Line.raw")}, "Dorb II Pro Line.raw"},
        {u"Dorb II Pro", true, {U16Path("Mic.raw"), U16Path("USB Line.raw")}, "default-in.raw"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qv::os::Utf16ToUtf8(c.deviceName) + (c.record ? " recording" : " playing"));
        devices.inputs = c.inputs;
        CAudioEngine engine;
        if (c.record) {
            ASSERT_EQ(engine.OpenRecorder(c.deviceName, U16Path("take.mp3").c_str()), 1)
                << engine.GetRecorderErrorText().ToUtf8();
            ASSERT_EQ(engine.StartRecorder(), 1);
            qv::audio::AudioPosition position;
            EXPECT_TRUE(WaitFor([&] { return engine.GetRecorderPosition(&position) && position.milliseconds > 200; }));
            int left = 0, right = 0;
            EXPECT_TRUE(WaitFor([&] { return engine.GetRecorder()->GetLevel(&left, &right) && left > 40; }))
                << "the tone of " << c.expected << " was not recorded";
            EXPECT_EQ(engine.StopRecorder(), 1);
        } else {
            for (const char* name : {"default.raw", "Speakers.raw", "Dorb II Pro Analog Stereo.raw"})
                std::filesystem::remove(Path(name));
            ASSERT_EQ(engine.OpenPlayer(c.deviceName, qv::os::Utf8ToUtf16(tone).c_str()), 1);
            ASSERT_EQ(engine.StartPlayer(), 1);
            EXPECT_TRUE(WaitFor([&] { return SizeOf(Path(c.expected)) > 0; })) << c.expected << " was not played";
            for (const char* name : {"default.raw", "Speakers.raw", "Dorb II Pro Analog Stereo.raw"}) {
                if (c.expected != name) {
                    EXPECT_FALSE(std::filesystem::exists(Path(name))) << name;
                }
            }
        }
        engine.ReleaseAll();
    }
}

TEST_F(AudioEngineTest, EndOfPlaybackIsOneEventFromTheHolderWhileAMainWindowExists) {
    CAudioEngine engine;
    ASSERT_EQ(engine.OpenPlayer(u"Dorb II Pro", qv::os::Utf8ToUtf16(tone).c_str()), 1);
    ASSERT_EQ(engine.StartPlayer(), 1);
    ASSERT_TRUE(WaitFor([&] { return !ends.empty(); })) << "no end of playback";
    // The device runs on after the end: many more blocks bring no second event.
    const std::uintmax_t atEnd = SizeOf(Path("default.raw"));
    ASSERT_TRUE(WaitFor([&] { return SizeOf(Path("default.raw")) > atEnd + 16 * 4096; })) << "the device stopped";
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0], &engine);
    EXPECT_EQ(engine.IsPlaying(), 0);
    EXPECT_EQ(engine.IsPlayerReady(), 1);

    // Each start plays the sound again and ends once more.
    ASSERT_EQ(engine.StartPlayer(), 1);
    ASSERT_TRUE(WaitFor([&] { return ends.size() == 2; }));
    // Without a main window the end fires nothing.
    app->SetMainWnd(nullptr);
    ASSERT_EQ(engine.StartPlayer(), 1);
    ASSERT_TRUE(WaitFor([&] { return engine.IsPlaying() == 0; })) << "the third playing never ended";
    Pump();
    EXPECT_EQ(ends.size(), 2u);
}

TEST_F(AudioEngineTest, ASecondOpenReusesThePlayerAndAFailureClearsItWithItsReason) {
    devices.outputs = {U16Path("Dorb II Pro A.raw")};
    CAudioEngine engine;
    ASSERT_EQ(engine.OpenPlayer(u"Dorb II Pro", qv::os::Utf8ToUtf16(tone).c_str()), 1);
    qv::audio::IAudioStream* first = engine.GetPlayer();
    // The second open neither makes a stream nor chooses the device again.
    devices.outputs = {U16Path("Speakers.raw"), U16Path("Dorb II Pro B.raw")};
    ASSERT_EQ(engine.OpenPlayer(u"Dorb II Pro", qv::os::Utf8ToUtf16(tone).c_str()), 1);
    EXPECT_EQ(engine.GetPlayer(), first);
    EXPECT_FALSE(PlayOut(engine, Path("Dorb II Pro A.raw")).empty());
    EXPECT_EQ(ends.back(), &engine);
    EXPECT_FALSE(std::filesystem::exists(Path("Dorb II Pro B.raw")));

    struct Case {
        const char* name;
        std::function<int(CAudioEngine&)> fail;
        std::function<qv::audio::IAudioStream*(CAudioEngine&)> stream;
        std::function<qv::ui::SStringW(CAudioEngine&)> text;
    };
    auto player = [](CAudioEngine& e) { return e.GetPlayer(); };
    auto playerText = [](CAudioEngine& e) { return e.GetPlayerErrorText(); };
    const Case cases[] = {
        {"open a missing file",
         [&](CAudioEngine& e) { return e.OpenPlayer(u"Dorb II Pro", U16Path("none.mp3").c_str()); }, player, playerText},
        {"start on a device that cannot open",
         [&](CAudioEngine& e) {
             devices.outputs = {U16Path("none/Dorb II Pro.raw")};
             return e.OpenPlayer(u"Dorb II Pro", qv::os::Utf8ToUtf16(tone).c_str()) == 1 ? e.StartPlayer() : 1;
         },
         player, playerText},
        {"record into no folder",
         [&](CAudioEngine& e) { return e.OpenRecorder(u"Dorb II Pro", U16Path("none/take.mp3").c_str()); },
         [](CAudioEngine& e) { return e.GetRecorder(); }, [](CAudioEngine& e) { return e.GetRecorderErrorText(); }},
    };
    for (const Case& c : cases) {
        CAudioEngine failing;
        EXPECT_EQ(c.fail(failing), 0) << c.name;
        EXPECT_EQ(c.stream(failing), nullptr) << c.name;
        EXPECT_FALSE(c.text(failing).IsEmpty()) << c.name << ": the reason went with the stream";
    }
    // Released, the field is clear and the next open makes a new stream.
    EXPECT_EQ(engine.GetPlayer(), nullptr);
    EXPECT_EQ(engine.OpenPlayer(u"Dorb II Pro", qv::os::Utf8ToUtf16(tone).c_str()), 1);
    EXPECT_NE(engine.GetPlayer(), nullptr);
}

TEST_F(AudioEngineTest, SkinSoundsAndLocalFilesPlayAtTheirVolume) {
    const HMODULE module = qv::ui::ExecutableModule();
    for (const char16_t* name : {u"DJ_DHX", u"DJ_ZS", u"DJ_QZ", u"DJ_XHX", u"DJ_DEG", u"DJ_GX", u"DJ_HYDG", u"DJ_LOVE",
                                 u"DJ_SHQH", u"DJ_BS"}) {
        CAudioEngine engine;
        qv::audio::AudioDuration duration;
        ASSERT_EQ(engine.PlayResource(name, module, u"Dorb II Pro"), 1) << qv::os::Utf16ToUtf8(name);
        ASSERT_EQ(engine.GetPlayerDuration(&duration), 1);
        EXPECT_GE(duration.wholeSeconds, 1u) << qv::os::Utf16ToUtf8(name);
        // The host hands over no module for its own: the program's resources.
        CAudioEngine fromHost;
        EXPECT_EQ(fromHost.PlayResource(name, nullptr, u"Dorb II Pro"), 1) << qv::os::Utf16ToUtf8(fromHost.GetPlayerErrorText().str());
    }
    {
        qv::test::FakeMessageBoxService boxes;
        CAudioEngine engine;
        EXPECT_EQ(engine.PlayResource(u"DJ_NONE", module, u"Dorb II Pro"), 0);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].owner, nullptr);
        EXPECT_EQ(boxes.Boxes()[0].text, qv::ui::SStringW(u"播放失败，未找到资源！"));
        EXPECT_EQ(boxes.Boxes()[0].caption, qv::ui::SStringW(u"提示"));
        EXPECT_EQ(boxes.Boxes()[0].type, static_cast<UINT>(MB_OK));
        EXPECT_EQ(engine.GetPlayer(), nullptr);
    }
    for (bool resource : {true, false}) {
        SCOPED_TRACE(resource ? "resource" : "local file");
        int fullPeak = 0;
        for (int volume : {100, 50}) {
            const std::string out = Path("out" + std::to_string(volume) + (resource ? "r" : "f") + ".raw");
            setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
            CAudioEngine engine;
            ASSERT_EQ(resource ? engine.PlayResource(u"DJ_GX", module, u"Dorb II Pro")
                               : engine.OpenPlayer(u"Dorb II Pro", qv::os::Utf8ToUtf16(tone).c_str()),
                      1);
            ASSERT_EQ(engine.SetPlayerVolume(volume), 1);
            const qv::test::ToneReport report = qv::test::MeasureTone(PlayOut(engine, out), kOutputRate, 2);
            ASSERT_GT(report.peak, 1000);
            if (volume == 100) fullPeak = report.peak;
            else EXPECT_NEAR(report.peak, fullPeak / 2.0, fullPeak / 2.0 * 0.05);
        }
    }
}

TEST_F(AudioEngineTest, ReleasingMidPlayAndMidRecordLeavesNoThreadDeviceOrEvent) {
    const std::string longTone = Path("long.mp3");
    ASSERT_TRUE(qv::test::WriteMp3(longTone, qv::test::ToneSamples(4.0, 440, 44100, 2), 44100, 2));
    auto recording = std::make_unique<CAudioEngine>();
    auto playing = std::make_unique<CAudioEngine>();
    ASSERT_EQ(recording->OpenRecorder(u"Dorb II Pro", U16Path("take.mp3").c_str()), 1);
    ASSERT_EQ(recording->StartRecorder(), 1);
    ASSERT_EQ(playing->OpenPlayer(u"Dorb II Pro", qv::os::Utf8ToUtf16(longTone).c_str()), 1);
    ASSERT_EQ(playing->StartPlayer(), 1);
    qv::audio::AudioPosition position;
    ASSERT_TRUE(WaitFor([&] { return playing->GetPlayerPosition(&position) && position.milliseconds > 300; }));
    ASSERT_TRUE(WaitFor([&] { return recording->GetRecorderPosition(&position) && position.milliseconds > 300; }));
    EXPECT_EQ(playing->IsPlaying(), 1);
    EXPECT_EQ(recording->IsRecording(), 1);
    EXPECT_EQ(qv::test::CountThreadsNamed("SDLAudio"), 2) << "a device thread each, as SDL names them";
    recording->ReleaseAll();
    playing->ReleaseAll();
    EXPECT_EQ(recording->GetRecorder(), nullptr);
    EXPECT_EQ(playing->GetPlayer(), nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_EQ(qv::test::CountThreadsNamed("SDLAudio"), 0);
    // Holders gone too: nothing of theirs arrives later.
    recording.reset();
    playing.reset();
    Pump();
    EXPECT_TRUE(ends.empty());
    EXPECT_GT(SizeOf(Path("take.mp3")), 0u);
}

}  // namespace
