#pragma once
// Fetches the sound categories, then the sounds of each into the sound
// pads' cloud lists, and fires EventThreadCloudSoundFinishEvent.
#include <vector>

#include "plugin/cloud/CloudRecords.h"
#include "plugin/cloud/CloudWorker.h"

class CMoodConfig;

class CCloudSoundListDownloader : public CCloudWorker {
public:
    // owner: the pads' lists, not owned; it must outlive the thread.
    explicit CCloudSoundListDownloader(CMoodConfig* owner);
    ~CCloudSoundListDownloader() override;

    // A category's sounds are asked for at most this often, 1 s apart.
    static constexpr int kSoundAttempts = 3;

protected:
    int Run() override;

private:
    bool FetchCategories();
    bool FetchCategorySounds(const CloudCategory& category, int index);

    CMoodConfig* m_owner;
    std::vector<CloudCategory> m_categories;
};
