#include "plugin/model/CDownloadEffectList.h"

#include <new>

#include "platform/os/Log.h"

const EffectRecord* CDownloadEffectList::GetAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return &m_records[static_cast<std::size_t>(index)];
}

void CDownloadEffectList::Clear() {
    m_records.clear();
    m_byCloudId.clear();
}

const EffectRecord* CDownloadEffectList::FindByCloudId(std::int32_t cloudId) const {
    auto it = m_byCloudId.find(cloudId);
    return it == m_byCloudId.end() ? nullptr : &m_records[it->second];
}

int CDownloadEffectList::AddEffect(const EffectRecord& record) {
    // Copied first: the record may live inside the vector that is about to grow.
    const EffectRecord copy = record;
    const std::size_t oldCount = m_records.size();
    try {
        m_records.push_back(copy);
    } catch (const std::bad_alloc&) {
        QV_LOGE("no memory for downloaded effect %d", copy.id);
        return -1;
    }
    // The list only grows, so the newest record of an id is the one to find.
    m_byCloudId[copy.id] = oldCount;
    return static_cast<int>(oldCount);
}
