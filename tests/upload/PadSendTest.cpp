// The pad menu's "载入设备 → 按键Ⅰ/Ⅱ/Ⅲ" end to end: the real main window and
// its pages, the simulated card behind the device manager and the catalogue
// server. A built-in pad, a local stereo 48 kHz MP3 and a cloud pad
// (downloaded first) each reach their key whole and within its limit, the
// window telling its progress in order and closing silently; a send while
// one runs is ignored, and a cloud pad's download that ends after the user
// has turned to another pad sends nothing.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/audio/Mp3Source.h"
#include "platform/os/Utf.h"
#include "platform/ui/controls/STabCtrl.h"
#include "plugin/app/AppEvents.h"
#include "plugin/model/RecordText.h"
#include "plugin/pages/EventHandlerSound.h"
#include "plugin/pages/SoundPadMenu.h"
#include "plugin/upload/UploadFrames.h"
#include "plugin/upload/WaveHeader.h"
#include "tests/support/CatalogSim.h"
#include "tests/support/MenuPick.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/UiInput.h"
#include "tests/upload/SendWindowEnv.h"

namespace qv::test {
namespace {

constexpr UINT kLoadToDevice = 1006;  // the sub-menu "载入设备"
constexpr int kLocalTab = 1;
constexpr int kFirstCloudTab = 3;
constexpr int kPadVolume = 60;

class PadSendTest : public SendWindowEnv {
protected:
    void SetUp() override {
        SendWindowEnv::SetUp();
        m_fake.appData = os::Utf8ToUtf16(DataFolder());
        UseWatchingUploader();
    }

    std::string DataFolder() const { return m_dir + "/data/Quorvel"; }
    std::string MakeMp3(const std::string& name, int rate, int channels, double seconds) const {
        const std::string path = m_dir + "/" + name;
        EXPECT_TRUE(WriteBytes(path, EncodeMp3(ChannelToneSamples(rate, channels, seconds, 440, 550), rate, channels)));
        return path;
    }
    // The user's own sound and the pad volume in the mood file, as an
    // earlier run left them.
    void KeepInMoodFile(const std::u16string& name, const std::string& file) {
        CMoodConfig mood;
        ASSERT_TRUE(mood.Init(os::Utf8ToUtf16(DataFolder() + "/DorbIIMoodcfg.ini")));
        SoundItem item;
        ASSERT_TRUE(MakeSoundItem(item, kSoundFile, name, os::Utf8ToUtf16(file)));
        ASSERT_TRUE(mood.AddCustomSound(item));
        mood.SetVolume(kPadVolume);
    }
    // One category of two cloud sounds: the first comes at once, the second
    // after a second and a half (within the download's 3 s).
    void StartCatalogue(const std::string& first, const std::string& second) {
        m_sim = std::make_unique<CatalogSim>();
        m_sim->Describe(R"({"routes":{
            "POST /tuning/api/live/getSpecialEffectCategory.json":{"json":{"message":"ok","data":[{"id":1,"categoryName":"笑声"}]}},
            "POST /tuning/api/live/findByCategory.json|categoryId=1":{"json":{"message":"OK","data":[
                {"id":301,"name":"云端笑声","url":"{base}/files/cloud.mp3"},
                {"id":302,"name":"慢","url":"{base}/files/slow.mp3"}]}},
            "POST /tuning/api/live/findByCategory.json":{"json":{"message":"ok","data":[]}},
            "POST /tuning/api/sound/getSoundList.json":{"json":{"message":"ok","data":[]}},
            "GET /files/cloud.mp3":{"file":")" + first + R"("},
            "GET /files/slow.mp3":{"file":")" + second + R"(","delayMs":1500}}})");
        ASSERT_TRUE(m_sim->Start());
        m_sim->UseAsCatalogue();
    }
    CEventHandlerSound& Page() const {
        for (const auto& page : m_dlg->Pages())
            if (auto* sound = dynamic_cast<CEventHandlerSound*>(page.get())) return *sound;
        throw std::logic_error("no sound page");
    }
    // Right-clicks the pad on its page and picks the path from its menu.
    void PadMenu(int tab, int pad, std::vector<UINT> path) {
        auto* tabs = dynamic_cast<ui::STabCtrl*>(Named(u"tab_sound"));
        ASSERT_NE(tabs, nullptr);
        tabs->SetCurSel(tab);
        m_dlg->UpdateWindow();
        ui::SWindow* target = Control(pad);
        ASSERT_NE(target, nullptr) << pad;
        ScrollIntoView(*m_dlg, *target);
        m_menuItems.clear();
        PickFromNextMenu(std::move(path), &m_menuItems);
        qv::test::Click(*m_dlg, CenterOf(target), true);
        ui::test::PumpPending();
    }
    int RequestsTo(const std::string& path) const {
        int count = 0;
        for (const auto& request : m_sim->Requests()) count += request.path == path;
        return count;
    }
    double SecondsOf(const std::vector<std::uint8_t>& mp3) const {
        std::u16string error;
        auto source = audio::Mp3Source::Open(mp3, error);
        return source ? static_cast<double>(source->TotalFrames()) / source->Rate() : 0;
    }

    std::unique_ptr<CatalogSim> m_sim;
    MenuItems m_menuItems;
};

TEST_F(PadSendTest, EachKindOfPadGoesFromItsMenuIntoItsKeyAndAnotherSendMeanwhileIsIgnored) {
    const std::string local = MakeMp3("stereo48.mp3", 48000, 2, 3.0);
    KeepInMoodFile(u"本地立体声", local);
    StartCatalogue(MakeMp3("cloud.mp3", 22050, 1, 24.0), MakeMp3("slow.mp3", 22050, 1, 1.0));
    OpenWindow();
    ASSERT_TRUE(WaitFor([&] { return !Page().IsFetchingCloudList(); }));
    const auto builtIn = m_app->LoadRawResource(u"mp3", u"DJ_DHX");
    ASSERT_TRUE(builtIn);
    const std::string downloaded = DataFolder() + "/CloudSound/cloud.mp3";
    struct Case {
        const char* name;
        int tab;
        int pad;
        UINT key;
        std::u16string path;  // what the page sends
        int builtIn;
        double seconds;  // what the key holds
    } cases[] = {
        {"the built-in 大哄笑 into key Ⅰ", kLocalTab, 15000, 110, u"DJ_DHX", 1,
         SecondsOf({builtIn->begin(), builtIn->end()})},
        {"a local stereo 48 kHz MP3 into key Ⅱ", kLocalTab, 15010, 111, os::Utf8ToUtf16(local), 0, 3.0},
        {"a cloud sound, downloaded first, cut to key Ⅲ's 20 s", kFirstCloudTab, 18000, 112,
         os::Utf8ToUtf16(downloaded), 0, 20.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t runs = m_runs.size();
        PadMenu(c.tab, c.pad, {kLoadToDevice, c.key});
        ASSERT_FALSE(m_menuItems.empty());
        EXPECT_EQ(m_menuItems.front(), (std::pair<UINT, std::u16string>{kLoadToDevice, u"载入设备"}));
        ASSERT_TRUE(WaitFor([&] { return m_runs.size() == runs + 1; }));
        const SendRun& run = m_runs.back();
        const int slot = static_cast<int>(c.key - kPadCmdSendSlot1) + 1;
        EXPECT_EQ(run.path, c.path);
        EXPECT_EQ(run.slot, slot);
        EXPECT_EQ(run.volume, kPadVolume);
        EXPECT_EQ(run.builtIn, c.builtIn);

        // Closed by itself, silently, the card's key holding the whole sound.
        EXPECT_EQ(run.log.result, IDOK);
        EXPECT_TRUE(TakeBoxes().empty());
        EXPECT_TRUE(run.log.InOrder());
        const SimCard::Upload upload = m_card.SoundUpload();
        EXPECT_EQ(upload.slot, slot);
        EXPECT_TRUE(upload.complete);
        EXPECT_TRUE(upload.violations.empty()) << DescribeUpload(upload);
        const auto accepted = std::find_if(run.log.entries.begin(), run.log.entries.end(),
                                           [](const SendLog::Entry& e) { return e.message == kMsgUploadAccepted; });
        ASSERT_NE(accepted, run.log.entries.end());
        EXPECT_EQ(accepted->lParam, static_cast<LPARAM>(upload.size));
        EXPECT_EQ(run.log.Count(kMsgUploadProgress), static_cast<int>(upload.blockCount));
        const auto wave = ParseWaveHeader(upload.data);
        ASSERT_TRUE(wave);
        EXPECT_EQ(+wave->format.channels, 1);
        EXPECT_EQ(+wave->format.samplesPerSec, 44100u);
        EXPECT_LE(wave->dataSize, static_cast<std::uint32_t>(SLOT_SECONDS[slot] * 88200));
        EXPECT_NEAR(wave->dataSize / 88200.0, c.seconds, 0.1);
        EXPECT_EQ(m_fake.uploadBusy, 0);
        EXPECT_TRUE(TempWaveFiles().empty());
    }
    // The cloud sound came once and is kept among the downloads.
    EXPECT_EQ(RequestsTo("/files/cloud.mp3"), 1);
    ASSERT_EQ(Page().Mood().GetDownloads().size(), 1u);
    EXPECT_EQ(Page().Mood().GetDownloads()[0].cloudId, 301);
    EXPECT_NE(Control(17000), nullptr);

    // Another pad sent from its menu while the window is open: its request
    // comes while the window runs and is dropped.
    std::vector<int> busyAtSends;
    m_center->subscribeEvent(EventDoSendData::EventID, [&](ui::EventArgs*) {
        busyAtSends.push_back(m_fake.uploadBusy);
        return false;
    });
    bool sentAgain = false;
    m_during = [&](const SendLog& seen) {
        if (sentAgain || seen.progress < 10) return;
        sentAgain = true;
        os::PostTask(os::GetCurrentThreadId(), [&] { PadMenu(kLocalTab, 15000, {kLoadToDevice, 112}); });
    };
    const int headers = m_card.CountReceived(kCmdUploadHeader);
    PadMenu(kLocalTab, 15010, {kLoadToDevice, 110});
    ASSERT_TRUE(WaitFor([&] { return busyAtSends.size() == 2; }));
    Advance(200);
    EXPECT_TRUE(sentAgain);
    EXPECT_EQ(busyAtSends, (std::vector<int>{1, 0}));  // the second inside the first
    ASSERT_EQ(m_runs.size(), 4u);
    EXPECT_EQ(m_runs.back().slot, 1);
    EXPECT_EQ(m_card.CountReceived(kCmdUploadHeader) - headers, 1);
    EXPECT_EQ(m_card.SoundUpload().slot, 1);
    EXPECT_TRUE(m_card.SoundUpload().complete);
    EXPECT_TRUE(TakeBoxes().empty());
    m_during = {};

    // A cloud pad whose download ends after the user has right-clicked
    // another pad: downloaded and kept, but not sent.
    PadMenu(kFirstCloudTab, 18001, {kLoadToDevice, 111});
    PadMenu(kFirstCloudTab, 18000, {});
    ASSERT_TRUE(WaitFor([&] { return Page().RunningFileDownloads() == 0; }));
    Advance(200);
    EXPECT_EQ(RequestsTo("/files/slow.mp3"), 1);
    EXPECT_EQ(Page().Mood().GetDownloads().size(), 2u);
    EXPECT_EQ(m_runs.size(), 4u);
    EXPECT_EQ(m_card.CountReceived(kCmdUploadHeader) - headers, 1);
}

}  // namespace
}  // namespace qv::test
