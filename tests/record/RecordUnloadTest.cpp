// The plug-in's client run over a fake host while the recording page records
// or plays, and then ended by the host (as on a family switch), or its main
// window closed to the tray: once the client or the window is gone, no audio
// device thread runs and SDL's audio is shut, and a take cut off is whole.
#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/audio/Mp3Source.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Utf.h"
#include "plugin/entry/MainApp.h"
#include "plugin/pages/EventHandlerRecord.h"
#include "plugin/windows/MainDlg.h"
#include "tests/mainwnd/MainWndTestEnv.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/FakeAppHost.h"

namespace qv::test {
namespace {

constexpr int kRate = 44100;

struct Ending {
    bool recording;   // else playing
    bool closeToTray; // else the host ends the run
};

class RecordUnloadTest : public DesktopTestEnv, public ::testing::WithParamInterface<Ending> {
protected:
    bool Recording() const { return GetParam().recording; }
    void SetUp() override {
        DesktopTestEnv::SetUp();
        setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/qv-no-system-bus", 1);
        m_host.manager.SetResponder(FakeDeviceMgmt::GoodReply);
        ASSERT_TRUE(WriteRaw(m_dir + "/line-in.raw", ToneSamples(3.0, 1000, kRate, 2)));
        UseDiskAudio(m_dir + "/out.raw", m_dir + "/line-in.raw", 10);
        // A take of a former run, long enough to be cut off.
        std::filesystem::create_directories(m_dir + "/data/Quorvel");
        ASSERT_TRUE(WriteMp3(m_dir + "/data/Quorvel/tmp_record.mp3", ToneSamples(20.0, 440, kRate, 2), kRate, 2));
        setenv("QV_CATALOGUE_URL", "http://127.0.0.1:1/tuning", 1);
        LoadSettings(m_dir + "/data", {{u"CloseBtnOperation", GetParam().closeToTray ? 0 : 1}});
    }
    void TearDown() override {
        DesktopTestEnv::TearDown();
        for (const char* name : {"SDL_AUDIODRIVER", "SDL_DISKAUDIOFILE", "SDL_DISKAUDIOFILEIN", "SDL_DISKAUDIODELAY",
                                 "DBUS_SYSTEM_BUS_ADDRESS", "QV_CATALOGUE_URL"})
            unsetenv(name);
    }
    static bool AudioShut() { return SDL_WasInit(SDL_INIT_AUDIO) == 0 && CountThreadsNamed("SDLAudio") == 0; }
    void ExpectWholeTake() {
        // The take cut off is a whole MP3 file.
        std::u16string error;
        auto take = audio::Mp3Source::Open(ReadBytes(m_dir + "/data/Quorvel/tmp_record.mp3"), error);
        ASSERT_NE(take, nullptr) << os::Utf16ToUtf8(error);
        EXPECT_GT(take->TotalFrames(), 500u * kRate / 1000);
        EXPECT_LT(take->TotalFrames(), 20u * kRate);
    }
    static CEventHandlerRecord* Page() {
        auto* main = dynamic_cast<CMainDlg*>(ui::SApplication::getSingletonPtr()->GetMainWnd());
        return main ? dynamic_cast<CEventHandlerRecord*>(main->Pages().back().get()) : nullptr;
    }

    FakeAppHost m_host;
};

TEST_P(RecordUnloadTest, EndingTheRunMidWayLeavesNoAudioThreadOrDevice) {
    auto* client = new CMainApp(&m_host, nullptr);
    ASSERT_EQ(client->Init(), 1);
    qv::os::PostTask(qv::os::GetCurrentThreadId(), [&] {
        // The host's word when a card of the other family arrives, also
        // after a failure here.
        struct QuitAtEnd {
            CMainApp* client;
            ~QuitAtEnd() { client->Quit(); }
        } quit{client};
        ASSERT_TRUE(WaitFor([] { return Page() && ui::SApplication::getSingletonPtr()->GetMainWnd()->IsWindowVisible(); }));
        ui::SHostWnd& main = *ui::SApplication::getSingletonPtr()->GetMainWnd();
        Click(main, *main.FindChildByName(Recording() ? u"btn_record" : u"btn_record_playback"));
        const CEventHandlerRecord::State running =
            Recording() ? CEventHandlerRecord::kRecording : CEventHandlerRecord::kPlaying;
        ASSERT_EQ(Page()->GetState(), running);
        ASSERT_TRUE(WaitFor([&] {
            audio::IAudioStream* stream = Recording() ? Page()->Engine().GetRecorder() : Page()->Engine().GetPlayer();
            audio::AudioPosition position;
            return stream && stream->GetPosition(&position) && position.milliseconds > 500;
        })) << "the stream never ran";
        EXPECT_EQ(CountThreadsNamed("SDLAudio"), 1);
        if (GetParam().closeToTray) {
            // The run goes on in the tray, without the window and its streams.
            Click(main, *main.FindChildByName(u"btn_close"));
            EXPECT_TRUE(WaitFor([] { return !ui::SApplication::getSingletonPtr()->GetMainWnd(); }));
            EXPECT_TRUE(AudioShut()) << "the streams outlived their window";
            if (Recording()) ExpectWholeTake();
        }
    });
    client->Run(u"");
    client->Uninit();
    EXPECT_TRUE(AudioShut());
    if (Recording()) ExpectWholeTake();
}

INSTANTIATE_TEST_SUITE_P(MidWay, RecordUnloadTest,
                         ::testing::Values(Ending{true, false}, Ending{false, false}, Ending{true, true}, Ending{false, true}),
                         [](const ::testing::TestParamInfo<Ending>& info) {
                             return std::string(info.param.recording ? "Recording" : "Playing") +
                                    (info.param.closeToTray ? "ClosedToTray" : "RunEnded");
                         });

}  // namespace
}  // namespace qv::test
