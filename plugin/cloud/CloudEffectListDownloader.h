#pragma once
// Fetches the cloud effect list and fires EventThreadCloudEffectFinishEvent
// with its result, which the UI reads once the event arrives.
#include <string>
#include <vector>

#include "plugin/cloud/CloudRecords.h"
#include "plugin/cloud/CloudWorker.h"

class CCloudEffectListDownloader : public CCloudWorker {
public:
    // body: the family's form body of the list request.
    explicit CCloudEffectListDownloader(std::string body);
    ~CCloudEffectListDownloader() override;

    std::vector<CloudEffectItem>& GetResult() { return m_result; }

protected:
    int Run() override;

private:
    bool FetchEffectList();

    std::string m_body;
    std::vector<CloudEffectItem> m_result;
};
