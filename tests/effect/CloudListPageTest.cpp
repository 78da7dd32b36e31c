// The effect page's cloud and downloaded effect lists against the test
// catalogue server and the simulated card, once per family: the family's
// list (dorbII's headed by "回荡"), a download from its row to the
// downloaded list, the state file and the card, the failure panel and its
// retry, and no download left running when the page goes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "families/ThisFamily.h"
#include "platform/ui/controls/SMCListView.h"
#include "platform/ui/controls/STabCtrl.h"
#include "plugin/model/RecordText.h"
#include "plugin/workspace/SettingsStore.h"
#include "tests/effect/EffectPageEnv.h"
#include "tests/support/CatalogSim.h"
#include "tests/support/ExpectedFamily.h"

namespace qv::test {
namespace {

constexpr int kParamEffectNumber = 4;
constexpr const char* kListPath = "/tuning/api/sound/getSoundList.json";
constexpr const char* kDetailPath = "/tuning/api/sound/getSoundDetail.json";

// The rows before the fetched ones: dorbII's "回荡".
int Head() { return Expected().cloudListHasEcho ? 1 : 0; }
// The ids of the list with the fetched ones.
std::vector<std::int32_t> ListOf(std::vector<std::int32_t> fetched) {
    if (Expected().cloudListHasEcho) fetched.insert(fetched.begin(), -1);
    return fetched;
}

class CloudListPageTest : public EffectPageEnv {
protected:
    void StartCatalogue(std::vector<std::string> args = {}) {
        m_sim = std::make_unique<CatalogSim>(std::move(args));
        ASSERT_TRUE(m_sim->Start());
        m_sim->UseAsCatalogue();
    }
    void Open() {
        ConnectCard();
        OpenWindow();
    }
    // The workspace and the card link made again over the state file, as
    // the next start of the program makes them.
    void Restart() {
        CloseWindow();
        m_link->Manager().Disconnect();
        m_workspace.reset();
        LoadSettings(m_dir + "/data", {});
        m_workspace = std::make_unique<CWorkSpace>(&m_link->Manager(), ThisFamily());
        m_workspace->AttachParamModel(ThisFamily(), *CSettingsStore::GetStore(0));
        m_link->SetProtocol(m_workspace->AsProtocol());
        m_fake.workspace = m_workspace.get();
        Open();
    }
    ui::SMCListView* List(const char16_t* name) { return dynamic_cast<ui::SMCListView*>(Named(name)); }
    // Shows the tab of the list (0 cloud, 1 downloaded) and lays it out.
    void ShowListTab(int page) {
        dynamic_cast<ui::STabCtrl*>(Control(901))->SetCurSel(page);
        m_dlg->UpdateWindow();
    }
    ui::SWindow* RowChild(const char16_t* list, int row, const char16_t* child) {
        ui::SWindow* rowWnd = List(list)->GetRowWindow(row);
        return rowWnd ? rowWnd->FindChildByName(child) : nullptr;
    }
    std::u16string RowName(const char16_t* list, int row) {
        ui::SWindow* name = RowChild(list, row, u"txt_name");
        return name ? name->GetWindowText().str() : u"<no row>";
    }
    std::vector<std::int32_t> CloudIds() {
        std::vector<std::int32_t> ids;
        for (const CloudEffectItem& row : m_workspace->CloudEffects()) ids.push_back(row.id);
        return ids;
    }
    int RequestsTo(const std::string& path) {
        int count = 0;
        for (const auto& request : m_sim->Requests()) count += request.path == path;
        return count;
    }
    bool Visible(const char16_t* name) { return Named(name) && Named(name)->IsVisible(); }
    void ClickControl(int id) { Click(*m_dlg, *Control(id)); }

    std::unique_ptr<CatalogSim> m_sim;
};

TEST_F(CloudListPageTest, ADownloadGoesFromItsRowToTheDownloadedListTheCardAndTheNextStart) {
    StartCatalogue();
    Open();
    ASSERT_TRUE(WaitFor([&] { return m_workspace->CloudEffects().size() == ListOf({301, 302}).size(); }));
    EXPECT_FALSE(Visible(u"ani_fetch_cloud_eff"));
    EXPECT_EQ(CloudIds(), ListOf({301, 302}));
    ASSERT_FALSE(m_sim->Requests().empty());
    EXPECT_EQ(m_sim->Requests()[0].path, kListPath);
    EXPECT_EQ(m_sim->Requests()[0].body, Expected().cloudListBody);
    ShowListTab(0);
    EXPECT_EQ(RowName(u"mclist_cloud_effect", Head() + 1), u"R&&B");  // shown as "R&B"
    if (Head()) {
        EXPECT_EQ(RowName(u"mclist_cloud_effect", 0), u"回荡");
        EXPECT_FALSE(RowChild(u"mclist_cloud_effect", 0, u"btn_download")->IsVisible());
        EXPECT_TRUE(RowChild(u"mclist_cloud_effect", 0, u"btn_use")->IsVisible());
    }

    const int ktv = Head();
    ui::SWindow* download = RowChild(u"mclist_cloud_effect", ktv, u"btn_download");
    ASSERT_TRUE(download && download->IsVisible());
    EXPECT_EQ(download->GetWindowText().str(), u"下载");
    Click(*m_dlg, *download);
    EXPECT_EQ(download->GetWindowText().str(), u"下载中");
    Click(*m_dlg, *download);  // pressed again while it runs: nothing more
    ASSERT_TRUE(WaitFor([&] { return m_workspace->CloudEffects()[static_cast<std::size_t>(Head())].status == kCloudEffectDownloaded; }));
    EXPECT_EQ(RequestsTo(kDetailPath), 1);
    EXPECT_FALSE(RowChild(u"mclist_cloud_effect", Head(), u"btn_download")->IsVisible());
    ui::SWindow* use = RowChild(u"mclist_cloud_effect", Head(), u"btn_use");
    ASSERT_TRUE(use->IsVisible());
    EXPECT_EQ(use->GetWindowText().str(), u"使用");

    // Used from the cloud list: the card takes its values, both lists mark it.
    Click(*m_dlg, *use);
    EXPECT_EQ(Model().GetCurrentEffect().id, 301);
    EXPECT_EQ(Named(u"txt_eff_title")->GetWindowText().str(), u"当前音效：KTV");
    EXPECT_TRUE(CardMatchesModel(kParamEffectNumber));
    EXPECT_EQ(m_card.ParamValue(kParamEffectNumber), 1);
    EXPECT_TRUE(RowChild(u"mclist_cloud_effect", Head(), u"btn_use")->IsChecked());
    EXPECT_EQ(RowChild(u"mclist_cloud_effect", Head(), u"btn_use")->GetWindowText().str(), u"使用中");
    ShowListTab(1);
    EXPECT_EQ(RowName(u"mclist_download_effect", 0), u"KTV");
    EXPECT_TRUE(RowChild(u"mclist_download_effect", 0, u"btn_use")->IsChecked());
    EXPECT_EQ(CSettingsStore::GetStore(0)->ReadInt(u"DownloadEffect", u"count"), 1);

    // The next start lists it and applies it from the downloaded list.
    ClickControl(10000);  // another effect first
    EXPECT_NE(Model().GetValue(kParamEffectNumber), 1);
    EXPECT_TRUE(CardMatchesModel(kParamEffectNumber));
    Restart();
    ASSERT_EQ(Model().GetDownloadedEffects().GetCount(), 1);
    ShowListTab(1);
    EXPECT_EQ(RowName(u"mclist_download_effect", 0), u"KTV");
    ui::SWindow* kept = RowChild(u"mclist_download_effect", 0, u"btn_use");
    EXPECT_FALSE(kept->IsChecked());
    Click(*m_dlg, *kept);
    EXPECT_EQ(Model().GetCurrentEffect().id, 301);
    EXPECT_TRUE(CardMatchesModel(kParamEffectNumber));
    EXPECT_EQ(m_card.ParamValue(kParamEffectNumber), 1);
    // The fetched list knows it is here: "使用", no download button.
    ASSERT_TRUE(WaitFor([&] { return m_workspace->CloudEffects().size() == ListOf({301, 302}).size(); }));
    ShowListTab(0);
    EXPECT_FALSE(RowChild(u"mclist_cloud_effect", Head(), u"btn_download")->IsVisible());
    EXPECT_TRUE(RowChild(u"mclist_cloud_effect", Head(), u"btn_use")->IsChecked());
}

// dorbII's "回荡" leaves the list under 电音 and applies; zenk's list has no
// such entry under any effect.
TEST_F(CloudListPageTest, TheBuiltInEntryAppliesAndLeavesTheListUnderElectro) {
    StartCatalogue();
    Open();
    ASSERT_TRUE(WaitFor([&] { return m_workspace->CloudEffects().size() == ListOf({301, 302}).size(); }));
    ClickControl(10000 + Expected().electricEffect);
    EXPECT_EQ(CloudIds(), (std::vector<std::int32_t>{301, 302}));
    ClickControl(10000);
    EXPECT_EQ(CloudIds(), ListOf({301, 302}));
    if (!Expected().cloudListHasEcho) return;

    ShowListTab(0);
    Click(*m_dlg, *RowChild(u"mclist_cloud_effect", 0, u"btn_use"));
    EXPECT_EQ(Model().GetCurrentEffect().id, -1);
    EXPECT_TRUE(RowChild(u"mclist_cloud_effect", 0, u"btn_use")->IsChecked());
    EXPECT_TRUE(m_boxes.Boxes().empty());
    // On the card's 原声 the built-in entry leaves reverb and pitch open;
    // 原声 itself locks them.
    ASSERT_EQ(Model().GetValue(kParamEffectNumber), 0);
    EXPECT_FALSE(Visible(u"forbid_reverb_pitch_param"));
    ClickControl(10000);
    EXPECT_TRUE(Visible(u"forbid_reverb_pitch_param"));
    Click(*m_dlg, *RowChild(u"mclist_cloud_effect", 0, u"btn_use"));
    EXPECT_FALSE(Visible(u"forbid_reverb_pitch_param"));
}

TEST_F(CloudListPageTest, AFailedDetailResetsTheRowWithTheTip) {
    StartCatalogue({"--switch", "status=404"});
    m_workspace->CloudEffects() = {};
    Open();
    // The list fails too; a row put in by hand is what the user presses.
    CloudEffectItem row{};
    SetFieldText(row.name, u"KTV");
    row.id = 301;
    m_workspace->CloudEffects() = {row};
    ShowListTab(0);
    List(u"mclist_cloud_effect")->onChanged();
    ui::SWindow* download = RowChild(u"mclist_cloud_effect", 0, u"btn_download");
    ASSERT_NE(download, nullptr);
    Click(*m_dlg, *download);
    ASSERT_TRUE(WaitFor([&] { return TipText() == u"KTV云音效下载失败！"; }));
    EXPECT_EQ(m_workspace->CloudEffects()[0].status, kCloudEffectNotDownloaded);
    EXPECT_EQ(RowChild(u"mclist_cloud_effect", 0, u"btn_download")->GetWindowText().str(), u"下载");
    EXPECT_EQ(Model().GetDownloadedEffects().GetCount(), 0);
}

// A detail that is no effect, or another one, stores nothing; the row is
// pressed again and then gets the real detail.
class CloudListBadDetailTest : public CloudListPageTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CloudListBadDetailTest, FailsTheDownloadAndASecondPressDownloadsAgain) {
    StartCatalogue({"--switch", GetParam()});
    Open();
    ASSERT_TRUE(WaitFor([&] { return m_workspace->CloudEffects().size() == ListOf({301, 302}).size(); }));
    ShowListTab(0);
    Click(*m_dlg, *RowChild(u"mclist_cloud_effect", Head(), u"btn_download"));
    ASSERT_TRUE(WaitFor([&] { return TipText() == u"KTV云音效下载失败！"; }));
    EXPECT_EQ(m_workspace->CloudEffects()[static_cast<std::size_t>(Head())].status, kCloudEffectNotDownloaded);
    EXPECT_EQ(Model().GetDownloadedEffects().GetCount(), 0);
    EXPECT_EQ(CSettingsStore::GetStore(0)->ReadInt(u"DownloadEffect", u"count"), 0);
    ui::SWindow* download = RowChild(u"mclist_cloud_effect", Head(), u"btn_download");
    ASSERT_TRUE(download->IsVisible());
    EXPECT_EQ(download->GetWindowText().str(), u"下载");
    EXPECT_FALSE(RowChild(u"mclist_cloud_effect", Head(), u"btn_use")->IsVisible());

    Click(*m_dlg, *download);
    ASSERT_TRUE(WaitFor([&] { return m_workspace->CloudEffects()[static_cast<std::size_t>(Head())].status == kCloudEffectDownloaded; }));
    EXPECT_EQ(RequestsTo(kDetailPath), 2);
    ASSERT_EQ(Model().GetDownloadedEffects().GetCount(), 1);
    ShowListTab(1);
    EXPECT_EQ(RowName(u"mclist_download_effect", 0), u"KTV");
    ShowListTab(0);
    EXPECT_TRUE(RowChild(u"mclist_cloud_effect", Head(), u"btn_use")->IsVisible());
    EXPECT_FALSE(RowChild(u"mclist_cloud_effect", Head(), u"btn_download")->IsVisible());
}

INSTANTIATE_TEST_SUITE_P(Replies, CloudListBadDetailTest, ::testing::Values("detail-null", "detail-missing", "detail-other-id"),
                         [](const auto& info) {
                             std::string name;
                             for (const char* c = info.param; *c; ++c)
                                 if (*c != '-') name += *c;
                             return name;
                         });

TEST_F(CloudListPageTest, AFailedFetchShowsThePanelASecondLaterAndTheRetryFetchesAgain) {
    StartCatalogue({"--switch", "status=500"});
    Open();
    ASSERT_TRUE(WaitFor([&] { return RequestsTo(kListPath) == 1; }));
    // The failure arrives, and the panel follows 1000 ms later.
    ASSERT_TRUE(WaitFor([&] { return Visible(u"wnd_cloud_eff_refresh"); }));
    EXPECT_FALSE(Visible(u"ani_fetch_cloud_eff"));
    EXPECT_TRUE(m_workspace->CloudEffects().empty());

    ShowListTab(0);
    Click(*m_dlg, *Named(u"btn_cloud_retry"));
    EXPECT_FALSE(Visible(u"wnd_cloud_eff_refresh"));
    EXPECT_TRUE(Visible(u"ani_fetch_cloud_eff"));
    ASSERT_TRUE(WaitFor([&] { return RequestsTo(kListPath) == 2; }));
    ASSERT_TRUE(WaitFor([&] { return Visible(u"wnd_cloud_eff_refresh"); }));
}

TEST_F(CloudListPageTest, StalledDownloadsEndWithThePage) {
    StartCatalogue({"--switch", "stalled"});
    CloudEffectItem row{};
    SetFieldText(row.name, u"KTV");
    row.id = 301;
    m_workspace->CloudEffects() = {row};
    Open();  // dorbII's "回荡" comes first
    ShowListTab(0);
    Click(*m_dlg, *RowChild(u"mclist_cloud_effect", Head(), u"btn_download"));
    ASSERT_TRUE(WaitFor([&] { return RequestsTo(kListPath) == 1 && RequestsTo(kDetailPath) == 1; }));

    const auto asked = std::chrono::steady_clock::now();
    CloseWindow();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
}

}  // namespace
}  // namespace qv::test
