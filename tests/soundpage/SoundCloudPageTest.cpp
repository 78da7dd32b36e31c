// The page's cloud sounds against the test catalogue server: categories as
// cloud pages (seven at most, names kept as text), a pad downloaded into
// "CloudSound" and played, failures that tip and can be tried again, a
// sound fetched for the favourites that is one already, the effect page's
// retry fetching the categories again (never twice at once) with the user's
// tab kept, and no download left running when the window goes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "controls/CTipWnd.h"
#include "platform/os/Utf.h"
#include "platform/ui/controls/STabCtrl.h"
#include "plugin/model/RecordText.h"
#include "plugin/pages/EventHandlerEffect.h"
#include "plugin/pages/SoundPadMenu.h"
#include "plugin/workspace/SettingsStore.h"
#include "tests/soundpage/SoundPageEnv.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/CatalogSim.h"
#include "tests/support/ExpectedFamily.h"
#include "tests/support/UiInput.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCategoriesPath = "/tuning/api/live/getSpecialEffectCategory.json";

class SoundCloudPageTest : public SoundPageEnv {
protected:
    // Nine categories (the second named with markup); the first holds a
    // sound that downloads and one whose file fails.
    void StartCatalogue(const std::string& fileReply = "") {
        const std::string tone = MakeTone("laugh.mp3", 0.4);
        std::string categories;
        for (int c = 1; c <= 9; ++c) {
            const std::string name = c == 2 ? R"(a&<\"b)" : "类" + std::to_string(c);
            categories += (c > 1 ? "," : "") + std::string(R"({"id":)") + std::to_string(c) + R"(,"categoryName":")" + name + "\"}";
        }
        m_sim = std::make_unique<CatalogSim>();
        m_sim->Describe(R"({"routes":{
            "POST /tuning/api/live/getSpecialEffectCategory.json":{"body":"{\"message\":\"ok\",\"data\":[)" +
                        JsonEscaped(categories) + R"(]}"},
            "POST /tuning/api/live/findByCategory.json|categoryId=1":{"json":{"message":"OK","data":[
                {"id":101,"name":"大笑","url":"{base}/files/laugh.mp3"},
                {"id":102,"name":"坏了","url":"{base}/files/broken.mp3"}]}},
            "POST /tuning/api/live/findByCategory.json":{"json":{"message":"ok","data":[]}},
            "POST /tuning/api/sound/getSoundList.json":{"json":{"message":"ok","data":[]}},
            "GET /files/laugh.mp3":)" + (fileReply.empty() ? R"({"file":")" + tone + "\"}" : fileReply) + R"(,
            "GET /files/broken.mp3":{"status":500,"body":"no"}}})");
        ASSERT_TRUE(m_sim->Start());
        m_sim->UseAsCatalogue();
    }
    static std::string JsonEscaped(const std::string& text) {
        std::string out;
        for (char c : text) {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
        return out;
    }
    int RequestsTo(const std::string& path) const {
        int count = 0;
        for (const auto& request : m_sim->Requests()) count += request.path == path;
        return count;
    }
    ui::STabCtrl* Tabs() const { return dynamic_cast<ui::STabCtrl*>(Named(u"tab_sound")); }
    bool Fetched() { return WaitFor([&] { return !Page().IsFetchingCloudList(); }); }
    bool Downloaded() { return WaitFor([&] { return Page().RunningFileDownloads() == 0; }); }
    int Status(int index) { return Page().Mood().GetCloudSound(0, index)->status; }
    int StoredTab() { return CSettingsStore::GetStore(0)->ReadInt(u"nCurSelTabIndex", u"tabSound"); }
    CEventHandlerEffect& EffectPage() { return *dynamic_cast<CEventHandlerEffect*>(m_dlg->Pages().front().get()); }

    std::unique_ptr<CatalogSim> m_sim;
};

TEST_F(SoundCloudPageTest, CategoriesBecomeCloudPagesWhosePadsDownloadAndPlay) {
    StartCatalogue();
    ASSERT_TRUE(CSettingsStore::GetStore(0)->WriteInt(u"nCurSelTabIndex", u"tabSound", 4));
    OpenWindow();
    ASSERT_TRUE(Fetched());
    ASSERT_EQ(Tabs()->GetItemCount(), 3 + 7);
    EXPECT_EQ(Tabs()->GetItem(3)->GetTitle(), u"类1");
    EXPECT_EQ(Tabs()->GetItem(4)->GetTitle(), u"a&<\"b");
    EXPECT_EQ(Tabs()->GetItem(9)->GetTitle(), u"类7");
    EXPECT_EQ(Tabs()->GetCurSel(), 4);
    EXPECT_NE(Named(u"scrollview_sound_cloud_6"), nullptr);
    ShowTab(3);
    ASSERT_NE(Pad(18000), nullptr);
    ASSERT_NE(Pad(18001), nullptr);
    EXPECT_EQ(Pad(18002), nullptr);

    // Downloaded into CloudSound under the URL's name, recorded, played.
    ClickPad(18000);
    EXPECT_EQ(Status(0), kSoundDownloading);
    ClickPad(18000);  // a second click meanwhile starts nothing
    ASSERT_TRUE(Downloaded());
    // Started: the play clock runs (the short sound may have ended already).
    EXPECT_TRUE(Page().PlayClock().IsRunning()) << os::Utf16ToUtf8(TipText());
    EXPECT_EQ(Status(0), kSoundDownloaded);
    const std::string file = DataFolder() + "/CloudSound/laugh.mp3";
    EXPECT_EQ(ReadBytes(file), ReadBytes(m_dir + "/laugh.mp3"));
    ASSERT_EQ(Page().Mood().GetDownloads().size(), 1u);
    EXPECT_EQ(Page().Mood().GetDownloads()[0].cloudId, 101);
    EXPECT_EQ(FieldText(Page().Mood().GetDownloads()[0].path), os::Utf8ToUtf16(file));
    EXPECT_NE(Pad(17000), nullptr);
    // Played again from the file, without a request.
    ASSERT_TRUE(WaitUntilPlayed());
    ClickPad(18000);
    EXPECT_TRUE(Page().PlayClock().IsRunning());
    EXPECT_EQ(RequestsTo("/files/laugh.mp3"), 1);

    // A file that fails: the message at the pad, idle again, tried again.
    ClickPad(18001);
    ASSERT_TRUE(Downloaded());
    EXPECT_EQ(TipText(), u"下载文件失败");
    EXPECT_EQ(Status(1), kSoundIdle);
    ClickPad(18001);
    ASSERT_TRUE(Downloaded());
    EXPECT_EQ(RequestsTo("/files/broken.mp3"), 2);
    EXPECT_FALSE(fs::exists(DataFolder() + "/CloudSound/broken.mp3"));

    // Into the favourites as the download it is.
    PadMenu(18000, kPadCmdAddFavourite);
    EXPECT_EQ(TipText(), u"成功添加到收藏夹！");
    EXPECT_EQ(Page().Mood().GetFavorites().back().cloudId, 101);
    EXPECT_EQ(Page().Mood().GetFavorites().back().kind, kSoundFile);
}

// A cloud sound not here yet, asked for the favourites: fetched, then added.
// When a favourite has its name already, the tip at the tabs says so and it
// is not added twice; dorbII records the download before it looks, zenk only
// when it adds the sound.
TEST_F(SoundCloudPageTest, ASoundFetchedForTheFavouritesIsAddedUnlessOneHasItsName) {
    StartCatalogue();
    for (const char16_t* mine : {u"别的", u"大笑"}) {
        const bool already = std::u16string_view(mine) == u"大笑";
        SCOPED_TRACE(already);
        fs::remove_all(DataFolder() + "/CloudSound");
        fs::create_directories(DataFolder());
        fs::remove(MoodFile());
        {
            CMoodConfig mood;
            ASSERT_TRUE(mood.Init(os::Utf8ToUtf16(MoodFile())));
            SoundItem item;
            ASSERT_TRUE(MakeSoundItem(item, kSoundFile, mine, os::Utf8ToUtf16(MakeTone("mine.mp3", 0.3))));
            ASSERT_TRUE(mood.AddFavorite(item));
        }
        OpenWindow();
        ASSERT_TRUE(Fetched());
        ShowTab(3);
        PadMenu(18000, kPadCmdAddFavourite);
        ASSERT_TRUE(Downloaded());
        const std::vector<SoundItem>& favourites = Page().Mood().GetFavorites();
        ASSERT_EQ(favourites.size(), already ? 1u : 2u);
        EXPECT_EQ(favourites.back().cloudId, already ? 0 : 101);
        EXPECT_EQ(TipText(), already ? u"收藏夹中已经存在“大笑”" : u"");
        const bool recorded = !already || Expected().recordsDownloadOfAFavourite;
        EXPECT_EQ(Page().Mood().GetDownloads().size(), recorded ? 1u : 0u);
        EXPECT_EQ(Pad(kFirstDownloadPad) != nullptr, recorded);
        EXPECT_TRUE(fs::exists(DataFolder() + "/CloudSound/laugh.mp3"));
        CloseWindow();
        controls::CTipWnd::HideTip();
    }
}

// The tab the user picks is stored; the cloud pages taken down and made
// again by a second fetch change the selection on the way, which is not
// the user's choice: the stored tab and the shown one stay.
TEST_F(SoundCloudPageTest, TheUsersTabIsStoredAndKeptWhileTheCloudPagesAreMadeAgain) {
    StartCatalogue();
    OpenWindow(true);
    ASSERT_TRUE(Fetched());
    ASSERT_EQ(Tabs()->GetItemCount(), 10);
    for (int tab : {1, 5}) {
        qv::test::Click(*m_dlg, Tabs()->GetTabRect(tab).CenterPoint());
        ASSERT_EQ(Tabs()->GetCurSel(), tab);
        EXPECT_EQ(StoredTab(), tab);
    }
    EffectPage().FetchCloudEffectList();
    ASSERT_TRUE(WaitFor([&] { return RequestsTo(kCategoriesPath) == 2; }));
    ASSERT_TRUE(Fetched());
    EXPECT_EQ(StoredTab(), 5);
    EXPECT_EQ(Tabs()->GetCurSel(), 5);
}

TEST_F(SoundCloudPageTest, TheEffectPagesRetryFetchesTheCategoriesAgainButNeverTwiceAtOnce) {
    StartCatalogue();
    OpenWindow(true);
    ASSERT_TRUE(Fetched());
    ASSERT_EQ(RequestsTo(kCategoriesPath), 1);
    EffectPage().FetchCloudEffectList();
    Advance(100);
    ASSERT_TRUE(Fetched());
    EXPECT_EQ(RequestsTo(kCategoriesPath), 2);
    EXPECT_EQ(Tabs()->GetItemCount(), 10);
    CloseWindow();

    // A fetch that hangs: the retry starts no second one, and the window
    // goes at once, its fetch stopped.
    m_sim = std::make_unique<CatalogSim>(std::vector<std::string>{"--switch", "stalled"});
    ASSERT_TRUE(m_sim->Start());
    m_sim->UseAsCatalogue();
    OpenWindow(true);
    ASSERT_TRUE(WaitFor([&] { return RequestsTo(kCategoriesPath) == 1; }));
    EffectPage().FetchCloudEffectList();
    Advance(200);
    EXPECT_TRUE(Page().IsFetchingCloudList());
    EXPECT_EQ(RequestsTo(kCategoriesPath), 1);
    const auto closing = std::chrono::steady_clock::now();
    CloseWindow();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(1));
}

TEST_F(SoundCloudPageTest, AWindowThatGoesStopsAndJoinsItsDownloads) {
    StartCatalogue(R"({"stall":true})");
    OpenWindow();
    ASSERT_TRUE(Fetched());
    ShowTab(3);
    ClickPad(18000);
    ASSERT_TRUE(WaitFor([&] { return RequestsTo("/files/laugh.mp3") == 1; }));
    EXPECT_EQ(Page().RunningFileDownloads(), 1);
    const auto closing = std::chrono::steady_clock::now();
    CloseWindow();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(1));
    // Nothing half-written is left behind.
    EXPECT_TRUE(fs::is_empty(DataFolder() + "/CloudSound"));
}

}  // namespace
}  // namespace qv::test
