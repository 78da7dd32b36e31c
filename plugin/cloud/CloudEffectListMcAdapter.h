#pragma once
// The rows of the cloud effect list view ("mclist_cloud_effect"): the
// workspace's cloud effects, each with its use button (once downloaded) or
// its download button. UI thread only.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/controls/McAdapterBase.h"
#include "plugin/cloud/CloudRecords.h"

class CWorkSpace;
class CCloudEffectDetailDownloader;

namespace qv::ui {
class EventArgs;
}

// What the effect lists ask of the effect page.
class IEffectListPage {
public:
    virtual ~IEffectListPage() = default;
    // A row's use button was pressed.
    virtual void OnUseCloudEffect(std::int32_t effectId) = 0;
    // Keeps a started detail download until the page stops and joins it.
    virtual void KeepDetailDownloader(std::shared_ptr<CCloudEffectDetailDownloader> downloader) = 0;
};

class CCloudEffectListMcAdapter : public qv::ui::SMcAdapterBase {
public:
    CCloudEffectListMcAdapter(std::vector<CloudEffectItem>* list, CWorkSpace& workspace, IEffectListPage* page);

    int getCount() override;
    void getView(int position, qv::ui::SWindow* pItem, pugi::xml_node xmlTemplate) override;
    qv::ui::SStringW GetColumnName(int column) const override;
    bool OnSort(int, unsigned int*, int) override { return false; }

    // Command of a row's download button: starts the row's detail download
    // unless one runs or it is done. False when nothing was started.
    bool OnBtnDownload(qv::ui::EventArgs* e);

private:
    std::vector<CloudEffectItem>* m_list;
    CWorkSpace& m_workspace;
    IEffectListPage* m_page;
};
