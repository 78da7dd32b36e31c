#pragma once
// Fetches one cloud effect's parameters into an effect record and fires
// EventCommonThreadFinishEvent (kind 'detl') pointing at it.
#include <span>

#include "plugin/cloud/CloudWorker.h"
#include "plugin/model/EffectRecord.h"
#include "plugin/model/ParamDescriptor.h"

class CCloudEffectDetailDownloader : public CCloudWorker {
public:
    // descriptors: the family's parameters, whose ranges a received value
    // must respect.
    CCloudEffectDetailDownloader(std::int32_t soundId, std::span<const ParamDescriptor> descriptors);
    ~CCloudEffectDetailDownloader() override;

    std::int32_t GetSoundId() const { return m_soundId; }
    const EffectRecord& GetResult() const { return m_result; }

protected:
    int Run() override;

private:
    bool FetchEffectDetail();

    std::int32_t m_soundId;
    std::span<const ParamDescriptor> m_descriptors;
    EffectRecord m_result{};
};
