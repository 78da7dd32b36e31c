// The cloud and downloaded effect lists: rows as the adapters fill them, a
// download started from a row and stored when its detail arrives, and using
// an entry.
#include <pugixml.hpp>

#include "families/FamilyData.h"
#include "platform/os/Path.h"
#include "plugin/app/AppEvents.h"
#include "plugin/cloud/CloudEffectDetailDownloader.h"
#include "plugin/cloud/CloudEffectListMcAdapter.h"
#include "plugin/cloud/CloudEffectLists.h"
#include "plugin/cloud/DownloadEffectListMcAdapter.h"
#include "plugin/cloud/DownloaderSet.h"
#include "plugin/model/RecordText.h"
#include "plugin/workspace/WorkSpace.h"
#include "plugin/workspace/WorkSpaceParams.h"
#include "tests/cloud/CloudRig.h"
#include "tests/model/ModelFakes.h"
#include "tests/support/CatalogSim.h"
#include "tests/support/FakeDeviceMgmt.h"

namespace {

using qv::ui::EventCmd;
using qv::ui::SWindow;

constexpr const char* kRowTemplate =
    "<template><window name=\"col1\" size=\"300,30\">"
    "<text name=\"txt_name\" pos=\"0,0,200,30\"/>"
    "<check name=\"btn_use\" pos=\"200,0,@50,@30\">使用</check>"
    "<imgbtn name=\"btn_download\" pos=\"250,0,@50,@30\">下载</imgbtn>"
    "</window></template>";

// The effect page as the lists see it.
class FakePage : public IEffectListPage {
public:
    void OnUseCloudEffect(std::int32_t id) override { used.push_back(id); }
    void KeepDetailDownloader(std::shared_ptr<CCloudEffectDetailDownloader> downloader) override {
        kept.push_back(downloader.get());
        downloads.Keep(std::move(downloader));
    }
    std::vector<std::int32_t> used;
    std::vector<CCloudEffectDetailDownloader*> kept;
    CDownloaderSet<CCloudEffectDetailDownloader> downloads;
};

class Observer : public qv::ui::ILvDataSetObserver {
public:
    void onChanged() override { ++changes; }
    int changes = 0;
};

CloudEffectItem Row(std::u16string_view name, std::int32_t id, std::int32_t status) {
    CloudEffectItem row{};
    SetFieldText(row.name, name);
    row.id = id;
    row.status = status;
    return row;
}

class EffectListsTest : public CloudRig {
protected:
    void SetUp() override {
        CloudRig::SetUp();
        ASSERT_TRUE(templateDoc.load_string(kRowTemplate));
        workspace = std::make_unique<CWorkSpace>(&manager, 0x36);
        workspace->AttachParamModel(DorbIIFamily(), &store);
    }
    void TearDown() override {
        rows.clear();
        page.downloads.StopAll();
        workspace.reset();
        CloudRig::TearDown();
    }
    // A row window filled by the adapter, as the list view would show it.
    SWindow* Bind(qv::ui::SMcAdapterBase& adapter, int position) {
        rows.push_back(std::make_unique<SWindow>());
        adapter.getView(position, rows.back().get(), templateDoc.child("template"));
        return rows.back().get();
    }
    static void Click(SWindow* button) {
        EventCmd click(button);
        button->FireEvent(click);
    }

    qv::test::FakeDeviceMgmt manager;
    FakeStateStore store;
    FakePage page;
    pugi::xml_document templateDoc;
    std::unique_ptr<CWorkSpace> workspace;
    std::vector<std::unique_ptr<SWindow>> rows;
};

TEST_F(EffectListsTest, RowsShowUseOrDownloadByState) {
    workspace->CloudEffects() = {BuiltInCloudEffectRow(), Row(u"KTV", 301, 0), Row(u"R&&B", 302, 1)};
    CCloudEffectListMcAdapter adapter(&workspace->CloudEffects(), *workspace, &page);
    EXPECT_EQ(adapter.getCount(), 3);
    EXPECT_EQ(adapter.GetColumnName(0).str(), u"col1");

    SWindow* echo = Bind(adapter, 0);
    EXPECT_EQ(echo->FindChildByName(u"txt_name")->GetWindowText().str(), u"回荡");
    EXPECT_TRUE(echo->FindChildByName(u"btn_use")->IsVisible());
    EXPECT_FALSE(echo->FindChildByName(u"btn_download")->IsVisible());
    SWindow* idle = Bind(adapter, 1);
    EXPECT_FALSE(idle->FindChildByName(u"btn_use")->IsVisible());
    EXPECT_TRUE(idle->FindChildByName(u"btn_download")->IsVisible());
    EXPECT_EQ(idle->FindChildByName(u"btn_download")->GetWindowText().str(), u"下载");
    SWindow* running = Bind(adapter, 2);
    EXPECT_EQ(running->FindChildByName(u"btn_download")->GetWindowText().str(), u"下载中");

    // Bound again for another row, a button still reports once, with the new id.
    adapter.getView(1, echo, templateDoc.child("template"));
    Click(echo->FindChildByName(u"btn_use"));
    EXPECT_EQ(page.used, (std::vector<std::int32_t>{301}));
}

TEST_F(EffectListsTest, ADownloadGoesFromTheRowToTheDownloadedList) {
    qv::test::CatalogSim sim;
    ASSERT_TRUE(sim.Start());
    sim.UseAsCatalogue();
    TakeFetchedCloudEffects(*workspace, {Row(u"KTV", 301, 0), Row(u"R&&B", 302, 0)},
                            DorbIIFamily().cloudListHasBuiltInEntry);
    ASSERT_EQ(workspace->CloudEffects().size(), 3u);
    CCloudEffectListMcAdapter cloud(&workspace->CloudEffects(), *workspace, &page);
    CDownloadEffectListMcAdapter downloaded(*workspace, &page);
    Observer observer;
    cloud.registerDataSetObserver(&observer);

    std::optional<DetailOutcome> outcome;
    center->addEvent(EventCommonThreadFinishEvent::EventID, EventCommonThreadFinishEvent::EventName);
    center->subscribeEvent(EventCommonThreadFinishEvent::EventID, [&](qv::ui::EventArgs* e) {
        auto* done = qv::ui::EventCast<EventCommonThreadFinishEvent>(e);
        outcome = FinishDetailDownload(*workspace, done->catalogueId, done->success, done->record);
        page.downloads.Release(done->downloader.get());
        return true;
    });

    SWindow* row = Bind(cloud, 1);
    SWindow* download = row->FindChildByName(u"btn_download");
    Click(download);
    EXPECT_EQ(workspace->CloudEffects()[1].status, kCloudEffectDownloading);
    EXPECT_EQ(observer.changes, 1);
    ASSERT_EQ(page.kept.size(), 1u);
    cloud.getView(1, row, templateDoc.child("template"));
    EXPECT_EQ(download->GetWindowText().str(), u"下载中");
    Click(download);  // a second press while it runs does nothing
    EXPECT_EQ(page.kept.size(), 1u);

    ASSERT_TRUE(WaitFor([&] { return outcome.has_value(); }));
    EXPECT_TRUE(outcome->stored);
    EXPECT_EQ(workspace->CloudEffects()[1].status, kCloudEffectDownloaded);
    EXPECT_EQ(page.downloads.Count(), 0);
    cloud.getView(1, row, templateDoc.child("template"));
    EXPECT_FALSE(download->IsVisible());
    EXPECT_TRUE(row->FindChildByName(u"btn_use")->IsVisible());
    ASSERT_EQ(downloaded.getCount(), 1);
    EXPECT_EQ(Bind(downloaded, 0)->FindChildByName(u"txt_name")->GetWindowText().str(), u"KTV");
    EXPECT_TRUE(store.Has(u"DownloadEffect", u"0"));

    // Using it makes it current: "使用中" in both lists.
    EXPECT_EQ(UseCloudEffect(*workspace, 301), UseOutcome::kApplied);
    for (SWindow* shown : {Bind(cloud, 1), Bind(downloaded, 0)}) {
        SWindow* use = shown->FindChildByName(u"btn_use");
        EXPECT_TRUE(use->IsChecked());
        EXPECT_EQ(use->GetWindowText().str(), u"使用中");
    }
    cloud.unregisterDataSetObserver(&observer);
}

TEST_F(EffectListsTest, DownloadPressesOutsideTheListAreRefused) {
    workspace->CloudEffects() = {Row(u"KTV", 301, 0)};
    CCloudEffectListMcAdapter adapter(&workspace->CloudEffects(), *workspace, &page);
    SWindow* download = Bind(adapter, 0)->FindChildByName(u"btn_download");
    download->SetUserData(5);
    EventCmd press(download);
    EXPECT_FALSE(adapter.OnBtnDownload(&press));
    EXPECT_TRUE(page.kept.empty());
    EXPECT_EQ(workspace->CloudEffects()[0].status, kCloudEffectNotDownloaded);
}

TEST_F(EffectListsTest, FailedDetailsResetTheRowWithTheTip) {
    workspace->CloudEffects() = {Row(u"KTV", 301, kCloudEffectDownloading)};
    EffectRecord record{};
    record.id = 301;
    DetailOutcome failed = FinishDetailDownload(*workspace, 301, false, &record);
    EXPECT_FALSE(failed.stored);
    EXPECT_EQ(failed.failureTip, u"KTV云音效下载失败！");
    EXPECT_EQ(workspace->CloudEffects()[0].status, kCloudEffectNotDownloaded);
    EXPECT_EQ(FinishDetailDownload(*workspace, 999, false, nullptr).failureTip, u"云音效下载失败！");

    store.writesSucceed = false;  // received but not stored: a failure too
    workspace->CloudEffects()[0].status = kCloudEffectDownloading;
    EXPECT_FALSE(FinishDetailDownload(*workspace, 301, true, &record).stored);
    EXPECT_NE(workspace->CloudEffects()[0].status, kCloudEffectDownloaded);
}

TEST_F(EffectListsTest, UsingAnEntry) {
    EXPECT_EQ(UseCloudEffect(*workspace, 301), UseOutcome::kNotDownloaded);
    EXPECT_EQ(UseCloudEffect(*workspace, kBuiltInCloudEffectId), UseOutcome::kApplied);
    EXPECT_EQ(workspace->Params()->Model().GetCurrentEffect().id, -1);
}

TEST_F(EffectListsTest, TheBuiltInEntryHeadsTheListExceptUnderElectro) {
    struct Case {
        std::vector<CloudEffectItem> list;
        std::int32_t effect;
        bool builtIn;
        std::vector<std::int32_t> ids;
    };
    const Case cases[] = {
        {{Row(u"a", 1, 0)}, 0, true, {-1, 1}},
        {{BuiltInCloudEffectRow(), Row(u"a", 1, 0)}, 3, true, {-1, 1}},
        {{BuiltInCloudEffectRow(), Row(u"a", 1, 0)}, kElectricEffectNumber, true, {1}},
        {{Row(u"a", 1, 0)}, kElectricEffectNumber, true, {1}},
        {{}, 0, true, {}},
        {{Row(u"a", 1, 0)}, 0, false, {1}},
    };
    for (const Case& c : cases) {
        std::vector<CloudEffectItem> list = c.list;
        SyncBuiltInCloudEntry(list, c.effect, c.builtIn);
        std::vector<std::int32_t> ids;
        for (const CloudEffectItem& row : list) ids.push_back(row.id);
        EXPECT_EQ(ids, c.ids);
    }
    TakeFetchedCloudEffects(*workspace, {Row(u"a", 1, 0)}, ZenkFamily().cloudListHasBuiltInEntry);
    EXPECT_EQ(workspace->CloudEffects().size(), 1u);  // zenk has no "回荡"
}

}  // namespace
