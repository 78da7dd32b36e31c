#pragma once
// The rows of the downloaded effect list view ("mclist_download_effect"):
// the workspace's downloaded effects, each with its use button. UI thread
// only.
#include "platform/ui/controls/McAdapterBase.h"

class CWorkSpace;
class IEffectListPage;

class CDownloadEffectListMcAdapter : public qv::ui::SMcAdapterBase {
public:
    CDownloadEffectListMcAdapter(CWorkSpace& workspace, IEffectListPage* page);

    int getCount() override;
    void getView(int position, qv::ui::SWindow* pItem, pugi::xml_node xmlTemplate) override;
    qv::ui::SStringW GetColumnName(int column) const override;
    bool OnSort(int, unsigned int*, int) override { return false; }

private:
    CWorkSpace& m_workspace;
    IEffectListPage* m_page;
};
