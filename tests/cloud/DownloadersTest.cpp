// The four catalogue downloaders against catalogsim: results and finish
// events, every switch's message, hostile names and URLs, and stopping.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>

#include "families/FamilyData.h"
#include "platform/audio/Mp3Source.h"
#include "platform/os/AtomicFile.h"
#include "platform/os/Path.h"
#include "platform/os/Utf.h"
#include "plugin/app/AppEvents.h"
#include "plugin/cloud/CloudEffectDetailDownloader.h"
#include "plugin/cloud/CloudEffectListDownloader.h"
#include "plugin/cloud/CloudSoundFileDownloader.h"
#include "plugin/cloud/CloudSoundFiles.h"
#include "plugin/cloud/CloudSoundListDownloader.h"
#include "plugin/cloud/DownloaderSet.h"
#include "plugin/model/RecordText.h"
#include "plugin/sound/MoodConfig.h"
#include "plugin/usage/BackstageInterface.h"
#include "tests/cloud/CloudRig.h"
#include "tests/support/CatalogSim.h"

namespace {

using qv::ui::EventArgs;

const char* const kEffectBody = DorbIIFamily().cloudEffectListBody;

// What one round of the four downloaders reported.
struct Round {
    int events = 0;
    bool soundList = false, effectList = false, detail = false, file = false;
    std::u16string soundListMessage, effectListMessage, detailMessage, fileMessage;
    std::vector<CloudEffectItem> effects;
    EffectRecord record{};
};

class DownloadersTest : public CloudRig {
protected:
    void SetUp() override {
        CloudRig::SetUp();
        ASSERT_EQ(mood.Init(qv::os::ProgramPath(dir + "/DorbIIMoodcfg.ini")), 1);
        auto folder = CloudSoundFolder(qv::os::ProgramPath(dir));
        ASSERT_TRUE(folder);
        cloudFolder = *folder;
        Subscribe<EventThreadCloudSoundFinishEvent>([this](EventThreadCloudSoundFinishEvent* e) {
            round.soundList = e->success;
            round.soundListMessage = e->message.str();
            EXPECT_EQ(e->Sender(), mainWnd.get());
        });
        Subscribe<EventThreadCloudEffectFinishEvent>([this](EventThreadCloudEffectFinishEvent* e) {
            round.effectList = e->success;
            round.effectListMessage = e->message.str();
            ASSERT_NE(e->list, nullptr);
            EXPECT_EQ(e->list, &e->downloader->GetResult());
            round.effects = *e->list;
        });
        Subscribe<EventCommonThreadFinishEvent>([this](EventCommonThreadFinishEvent* e) {
            EXPECT_EQ(e->kind, 0x6465746Cu);
            round.detail = e->success;
            round.detailMessage = e->message.str();
            ASSERT_NE(e->record, nullptr);
            round.record = *e->record;
        });
        Subscribe<EventCloudSoundFileReady>([this](EventCloudSoundFileReady* e) {
            round.file = e->success;
            round.fileMessage = e->message.str();
            files.push_back({e->itemValue, e->success});
            EXPECT_EQ(e->request1, 18000 + e->itemValue);
            EXPECT_EQ(e->request2, 2);
        });
    }

    template <class E>
    void Subscribe(std::function<void(E*)> handle) {
        center->addEvent(E::EventID, E::EventName);
        center->subscribeEvent(E::EventID, [this, handle](EventArgs* e) {
            if (E* event = qv::ui::EventCast<E>(e)) {
                ++round.events;
                handle(event);
            }
            return true;
        });
    }

    SoundItem CloudItem(std::int32_t id, const std::string& url) {
        SoundItem item;
        EXPECT_TRUE(MakeSoundItem(item, kSoundCloud, u"声", qv::os::Utf8ToUtf16(url), id));
        return item;
    }

    // Runs every downloader once and waits for their four events.
    Round RunAll(const std::string& base) {
        round = Round{};
        files.clear();
        CDownloaderSet<CCloudWorker> workers;
        auto start = [&](std::shared_ptr<CCloudWorker> worker) {
            EXPECT_EQ(worker->Start(), 1);
            workers.Keep(std::move(worker));
        };
        start(std::make_shared<CCloudSoundListDownloader>(&mood));
        start(std::make_shared<CCloudEffectListDownloader>(kEffectBody));
        start(std::make_shared<CCloudEffectDetailDownloader>(301, DorbIIFamily().descriptors));
        const SoundItem item = CloudItem(101, base + "/files/laugh.mp3");
        start(std::make_shared<CCloudSoundFileDownloader>(item, CloudSoundTargetPath(cloudFolder, item), 2, 18101));
        EXPECT_TRUE(WaitFor([&] { return round.events == 4; }));
        return round;
    }

    std::set<std::string> Listing() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
            names.insert(std::filesystem::relative(entry.path(), dir).string());
        return names;
    }

    CMoodConfig mood;
    std::u16string cloudFolder;
    Round round;
    std::vector<std::pair<int, bool>> files;
};

TEST_F(DownloadersTest, TheRegularCatalogueArrivesWithItsEvents) {
    qv::test::CatalogSim sim;
    ASSERT_TRUE(sim.Start());
    sim.UseAsCatalogue();
    const Round r = RunAll(sim.Base());
    EXPECT_TRUE(r.soundList && r.effectList && r.detail && r.file);
    ASSERT_EQ(mood.GetCategoryCount(), 2);
    EXPECT_EQ(mood.GetCategoryName(0), u"笑声");
    const std::vector<SoundItem> laughs = mood.CopyCloudList(0);
    ASSERT_EQ(laughs.size(), 2u);
    EXPECT_EQ(laughs[0].kind, kSoundCloud);
    EXPECT_EQ(laughs[0].cloudId, 101);
    EXPECT_EQ(FieldText(laughs[0].name), u"大笑");
    EXPECT_EQ(qv::os::Utf16ToUtf8(FieldText(laughs[0].path)), sim.Base() + "/files/laugh.mp3");
    ASSERT_EQ(r.effects.size(), 2u);
    EXPECT_EQ(FieldText(r.effects[1].name), u"R&&B");
    EXPECT_EQ(r.record.id, 301);
    EXPECT_EQ(r.record.values[4], 1);
    EXPECT_EQ(r.record.values[13], 1);
    // A setting a singer would keep: no equaliser band at an end stop, the
    // reverb on with a length and a level.
    for (int band = 25; band <= 34; ++band) EXPECT_NEAR(r.record.values[band], 12, 4) << "band " << band;
    EXPECT_EQ(r.record.values[12], 1);
    EXPECT_GT(r.record.values[20], 0);
    EXPECT_GT(r.record.values[23], 0);
    EXPECT_EQ(FieldText(r.record.remark), u"大厅");
    // The whole sound arrived: the 2.6 s roomful of laughter as MP3.
    const auto bytes = qv::os::ReadWholeFile(qv::os::NativePath(cloudFolder + u"/laugh.mp3")).value_or("");
    std::u16string error;
    const auto sound = qv::audio::Mp3Source::Open(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), error);
    ASSERT_TRUE(sound) << qv::os::Utf16ToUtf8(error);
    EXPECT_EQ(sound->Rate(), 44100);
    EXPECT_NEAR(static_cast<double>(sound->TotalFrames()) / sound->Rate(), 2.6, 0.1);

    bool sawEffectBody = false;
    for (const auto& request : sim.Requests()) {
        if (request.path == "/tuning/api/sound/getSoundList.json")
            sawEffectBody = request.body == "genreId=7&pageNumber=1&pageSize=1000&categoryId=-2";
        if (request.path == "/tuning/api/sound/getSoundDetail.json") {
            EXPECT_EQ(request.body, "soundId=301");
        }
    }
    EXPECT_TRUE(sawEffectBody);
}

// Links planted at the names the sounds download to: each name takes its
// sound and what the link named, outside the folder, is left as it was. A
// name that is a real folder fails the download.
TEST_F(DownloadersTest, DownloadsReplaceLinksAtTheirNamesAndLeaveWhatTheyNamedAlone) {
    namespace fs = std::filesystem;
    qv::test::CatalogSim sim;
    ASSERT_TRUE(sim.Start());
    sim.UseAsCatalogue();
    const std::string folder = qv::os::NativePath(cloudFolder);
    const std::string outside = dir + "/outside";
    fs::create_directories(outside + "/folder");
    std::ofstream(outside + "/existing") << "keep";
    fs::create_symlink(outside + "/existing", folder + "/laugh.mp3");
    fs::create_symlink(outside + "/missing", folder + "/giggle.mp3");
    fs::create_symlink(outside + "/folder", folder + "/clap.mp3");
    auto download = [&](const std::vector<std::pair<int, std::string>>& sounds) {
        CDownloaderSet<CCloudSoundFileDownloader> downloads;
        round = Round{};
        files.clear();
        for (const auto& [id, name] : sounds) {
            const SoundItem item = CloudItem(id, sim.Base() + "/files/" + name);
            auto worker = std::make_shared<CCloudSoundFileDownloader>(item, CloudSoundTargetPath(cloudFolder, item), 2,
                                                                      18000 + id);
            ASSERT_EQ(worker->Start(), 1);
            downloads.Keep(worker);
        }
        ASSERT_TRUE(WaitFor([&] { return round.events == static_cast<int>(sounds.size()); }));
        downloads.StopAll();
    };
    download({{101, "laugh.mp3"}, {102, "giggle.mp3"}, {201, "clap.mp3"}});
    using Results = std::set<std::pair<int, bool>>;
    EXPECT_EQ(Results(files.begin(), files.end()), (Results{{101, true}, {102, true}, {201, true}}));
    for (const char* name : {"laugh.mp3", "giggle.mp3", "clap.mp3"}) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder + "/" + name))) << name;
        EXPECT_GT(fs::file_size(folder + "/" + name), 0u) << name;
    }
    EXPECT_EQ(qv::os::ReadWholeFile(outside + "/existing").value_or(""), "keep");
    EXPECT_FALSE(fs::exists(fs::symlink_status(outside + "/missing")));
    EXPECT_TRUE(fs::is_empty(outside + "/folder"));

    fs::remove(folder + "/laugh.mp3");
    fs::create_directory(folder + "/laugh.mp3");
    download({{101, "laugh.mp3"}});
    EXPECT_EQ(files, (std::vector<std::pair<int, bool>>{{101, false}}));
    EXPECT_EQ(round.fileMessage, u"下载文件失败");
    EXPECT_TRUE(fs::is_empty(folder + "/laugh.mp3"));
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    EXPECT_EQ(names, (std::set<std::string>{"laugh.mp3", "giggle.mp3", "clap.mp3"}));
}

TEST_F(DownloadersTest, EverySwitchGivesItsMessage) {
    const std::u16string parse = u"解析json数据失败", parseDetail = u"解析JSON数据失败";
    const std::u16string listFail = u"从服务器获取云音效列表失败", categoriesFail = u"从服务器获取特效分类失败";
    const std::u16string detailFail = u"下载云音效数据失败", fileFail = u"下载文件失败";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::u16string effectList, categories, detail, file;  // empty: success
    };
    const Case cases[] = {
        {"malformed JSON", {"--switch", "malformed"}, parse, parse, parseDetail, u""},
        {"wrong types", {"--switch", "wrong-types"}, parse, parse, parseDetail, u""},
        {"message not ok", {"--switch", "not-ok"}, u"服务器繁忙", u"服务器繁忙", u"服务器繁忙", u""},
        {"404", {"--switch", "status=404"}, listFail, categoriesFail, detailFail, fileFail},
        {"500", {"--switch", "status=500"}, listFail, categoriesFail, detailFail, fileFail},
        {"redirect", {"--switch", "redirect"}, listFail, categoriesFail, detailFail, fileFail},
        {"redirect to file://", {"--switch", "redirect-file"}, listFail, categoriesFail, detailFail, fileFail},
        {"102400 bytes", {"--switch", "exact-size=102400"}, u"", u"", u"", u""},
        {"102401 bytes", {"--switch", "exact-size=102401"}, listFail, categoriesFail, detailFail, u""},
        {"huge file", {"--switch", "huge"}, u"", u"", u"", fileFail},
        {"no content", {"--switch", "file-status=204"}, u"", u"", u"", fileFail},
        {"partial content", {"--switch", "file-status=206"}, u"", u"", u"", fileFail},
        {"empty file", {"--switch", "file-empty"}, u"", u"", u"", fileFail},
        {"detail with null data", {"--switch", "detail-null"}, u"", u"", parseDetail, u""},
        {"detail without data", {"--switch", "detail-missing"}, u"", u"", parseDetail, u""},
        {"detail of another effect", {"--switch", "detail-other-id"}, u"", u"", detailFail, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qv::test::CatalogSim sim(c.args);
        ASSERT_TRUE(sim.Start());
        sim.UseAsCatalogue();
        const Round r = RunAll(sim.Base());
        EXPECT_EQ(r.effectList, c.effectList.empty());
        EXPECT_EQ(r.effectListMessage, c.effectList);
        EXPECT_EQ(r.soundList, c.categories.empty());
        EXPECT_EQ(r.soundListMessage, c.categories);
        EXPECT_EQ(r.detail, c.detail.empty());
        EXPECT_EQ(r.detailMessage, c.detail);
        EXPECT_EQ(r.file, c.file.empty());
        EXPECT_EQ(r.fileMessage, c.file);
        // A failed download leaves nothing behind, not even its temporary file.
        const std::set<std::string> expected = c.file.empty()
            ? std::set<std::string>{"CloudSound", "CloudSound/laugh.mp3", "DorbIIMoodcfg.ini"}
            : std::set<std::string>{"CloudSound", "DorbIIMoodcfg.ini"};
        EXPECT_EQ(Listing(), expected);
        std::filesystem::remove(qv::os::NativePath(cloudFolder + u"/laugh.mp3"));
    }
}

TEST_F(DownloadersTest, AWrongItemIsRefusedWithoutARequest) {
    qv::test::CatalogSim sim;
    ASSERT_TRUE(sim.Start());
    SoundItem item = CloudItem(101, sim.Base() + "/files/laugh.mp3");
    item.kind = kSoundFile;
    round = Round{};
    auto worker = std::make_shared<CCloudSoundFileDownloader>(item, cloudFolder + u"/x.mp3", 2, 18101);
    ASSERT_EQ(worker->Start(), 1);
    ASSERT_TRUE(WaitFor([&] { return round.events == 1; }));
    worker->Stop(100);
    EXPECT_FALSE(round.file);
    EXPECT_EQ(round.fileMessage, u"错误的参数");
    EXPECT_TRUE(sim.Requests().empty());
}

TEST_F(DownloadersTest, CategorySoundsAreTriedThreeTimesASecondApart) {
    qv::test::CatalogSim sim;
    sim.Describe(R"({"routes":{
        "POST /tuning/api/live/getSpecialEffectCategory.json": {"json": {"message":"ok","data":[{"id":1,"categoryName":"笑声"}]}},
        "POST /tuning/api/live/findByCategory.json": {"status": 500, "body": "{}"}}})");
    ASSERT_TRUE(sim.Start());
    sim.UseAsCatalogue();
    round = Round{};
    auto worker = std::make_shared<CCloudSoundListDownloader>(&mood);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(worker->Start(), 1);
    ASSERT_TRUE(WaitFor([&] { return round.events == 1; }));
    worker->Stop(100);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
    EXPECT_TRUE(round.soundList);
    EXPECT_EQ(mood.GetCategoryCount(), 1);
    EXPECT_TRUE(mood.CopyCloudList(0).empty());
    const auto requests = sim.Requests();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                            [](const auto& r) { return r.path == "/tuning/api/live/findByCategory.json"; }),
              3);
}

TEST_F(DownloadersTest, HostileNamesFitTheirFields) {
    qv::test::CatalogSim sim({"--switch", "hostile-names"});
    ASSERT_TRUE(sim.Start());
    sim.UseAsCatalogue();
    const Round r = RunAll(sim.Base());
    ASSERT_TRUE(r.soundList && r.effectList && r.detail);
    ASSERT_EQ(mood.GetCategoryCount(), 3);
    EXPECT_EQ(mood.GetCategoryName(0), u"a&b<c\"d");
    EXPECT_EQ(mood.GetCategoryName(1), std::u16string(21, u'长'));
    const std::u16string split = qv::os::Utf8ToUtf16("x\xE7\xAC");  // the converter's replacement
    EXPECT_EQ(mood.GetCategoryName(2), split);
    const std::vector<SoundItem> sounds = mood.CopyCloudList(0);
    ASSERT_EQ(sounds.size(), 3u);
    EXPECT_EQ(FieldText(sounds[0].name), u"&<\"&<\"&");
    EXPECT_EQ(FieldText(sounds[1].name), std::u16string(7, u'长'));
    ASSERT_EQ(r.effects.size(), 3u);
    EXPECT_EQ(FieldText(r.effects[0].name), u"R&&B <\"live\">");
    EXPECT_EQ(FieldText(r.effects[1].name), std::u16string(62, u'&'));
    EXPECT_EQ(FieldText(r.effects[2].name), split);
    EXPECT_EQ(FieldText(r.record.name), u"a&&b");
    EXPECT_EQ(FieldText(r.record.remark).size(), 255u);
    EXPECT_EQ(FieldText(r.record.nickname), std::u16string(63, u'长'));
}

TEST_F(DownloadersTest, HostileUrlsFetchOnlyHttpIntoCloudSound) {
    qv::test::CatalogSim sim({"--switch", "hostile-urls"});
    ASSERT_TRUE(sim.Start());
    sim.UseAsCatalogue();
    round = Round{};
    auto list = std::make_shared<CCloudSoundListDownloader>(&mood);
    ASSERT_EQ(list->Start(), 1);
    ASSERT_TRUE(WaitFor([&] { return round.events == 1; }));
    list->Stop(100);
    std::vector<SoundItem> sounds;
    for (int c = 0; c < mood.GetCategoryCount(); ++c)
        for (const SoundItem& item : mood.CopyCloudList(c)) sounds.push_back(item);
    std::set<int> ids;
    for (const SoundItem& item : sounds) ids.insert(item.cloudId);
    std::set<std::string> expected = {"CloudSound", "DorbIIMoodcfg.ini"};
    // file://, a URL without '/', one over 259 units and ftp:// are never taken.
    for (int skipped : {1, 4, 7, 9}) EXPECT_EQ(ids.count(skipped), 0u) << skipped;
    ASSERT_FALSE(sounds.empty());
    // The two URLs without a path are taken and named by their ids, never by
    // the host.
    for (int taken : {10, 11}) EXPECT_EQ(ids.count(taken), 1u) << taken;
    expected.insert("CloudSound/10.mp3");
    expected.insert("CloudSound/11.mp3");

    CDownloaderSet<CCloudSoundFileDownloader> downloads;
    round = Round{};
    for (const SoundItem& item : sounds) {
        SoundItem pad = item;
        auto worker = std::make_shared<CCloudSoundFileDownloader>(pad, CloudSoundTargetPath(cloudFolder, pad), 2,
                                                                  18000 + pad.cloudId);
        ASSERT_EQ(worker->Start(), 1);
        downloads.Keep(worker);
    }
    ASSERT_TRUE(WaitFor([&] { return round.events == static_cast<int>(sounds.size()); }));
    downloads.StopAll();
    for (const auto& [id, success] : files) {
        const auto item = std::find_if(sounds.begin(), sounds.end(), [id = id](const SoundItem& s) { return s.cloudId == id; });
        const std::string name = qv::os::Utf16ToUtf8(CloudSoundFileName(FieldText(item->path), id));
        EXPECT_EQ(name.find('/'), std::string::npos);
        EXPECT_NE(name, "..");
        if (success) expected.insert("CloudSound/" + name);
    }
    EXPECT_EQ(Listing(), expected);
    // One plain GET to the server per taken sound, nothing else.
    const auto requests = sim.Requests();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(), [](const auto& r) { return r.method == "GET"; }),
              static_cast<long>(sounds.size()));
}

TEST_F(DownloadersTest, EverythingStopsWithinASecondWhenTheServerStalls) {
    qv::test::CatalogSim sim({"--switch", "stalled"});
    ASSERT_TRUE(sim.Start());
    sim.UseAsCatalogue();
    CDownloaderSet<CCloudWorker> workers;
    auto start = [&](std::shared_ptr<CCloudWorker> worker) {
        ASSERT_EQ(worker->Start(), 1);
        workers.Keep(std::move(worker));
    };
    start(std::make_shared<CCloudSoundListDownloader>(&mood));
    start(std::make_shared<CCloudEffectListDownloader>(kEffectBody));
    start(std::make_shared<CCloudEffectDetailDownloader>(301, DorbIIFamily().descriptors));
    const SoundItem item = CloudItem(101, sim.Base() + "/files/laugh.mp3");
    start(std::make_shared<CCloudSoundFileDownloader>(item, CloudSoundTargetPath(cloudFolder, item), 2, 18101));
    auto usage = std::make_unique<CBackstageInterface>(qv::os::UserRegistry(qv::os::ProgramPath(dir + "/registry.ini")));
    usage->PostUsageInfo();
    // Every one of them is waiting for the server.
    ASSERT_TRUE(WaitFor([&] { return sim.Requests().size() >= 5; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    const auto asked = std::chrono::steady_clock::now();
    workers.StopAll();
    usage.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
    // The sound list asked for nothing more once stopped.
    const auto requests = sim.Requests();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                            [](const auto& r) { return r.path == "/tuning/api/live/findByCategory.json"; }),
              0);
}

}  // namespace
