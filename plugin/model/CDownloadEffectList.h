#pragma once
// The downloaded cloud effects, in the order they were added, with a lookup
// by cloud id in which the last record of an id wins.
#include <cstdint>
#include <map>
#include <vector>

#include "plugin/model/EffectRecord.h"

class CDownloadEffectList {
public:
    int GetCount() const { return static_cast<int>(m_records.size()); }
    // Null for an index outside the list.
    const EffectRecord* GetAt(int index) const;
    void Clear();
    const EffectRecord* FindByCloudId(std::int32_t cloudId) const;
    // Appends a copy; the new index, or -1 when the list could not grow.
    int AddEffect(const EffectRecord& record);

private:
    std::vector<EffectRecord> m_records;
    std::map<std::int32_t, std::size_t> m_byCloudId;  // index into m_records
};
