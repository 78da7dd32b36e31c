#pragma once
// The downloaders one owner started: each is kept until it is released
// (stopped and joined) or the set goes, so no worker outlives its owner.
// UI thread only.
#include <algorithm>
#include <memory>
#include <vector>

template <class T>
class CDownloaderSet {
public:
    CDownloaderSet() = default;
    ~CDownloaderSet() { StopAll(); }
    CDownloaderSet(const CDownloaderSet&) = delete;
    CDownloaderSet& operator=(const CDownloaderSet&) = delete;

    void Keep(std::shared_ptr<T> worker) {
        if (worker) m_workers.push_back(std::move(worker));
    }
    // Stops and joins one worker (its finish event may still hold it).
    // False when the set does not hold it.
    bool Release(const T* worker) {
        auto it = std::find_if(m_workers.begin(), m_workers.end(),
                               [worker](const std::shared_ptr<T>& kept) { return kept.get() == worker; });
        if (it == m_workers.end()) return false;
        std::shared_ptr<T> kept = std::move(*it);
        m_workers.erase(it);
        kept->Stop(100);
        return true;
    }
    // Asks every worker to stop first, so they end together, then joins them.
    void StopAll() {
        std::vector<std::shared_ptr<T>> workers = std::move(m_workers);
        m_workers.clear();
        for (auto& worker : workers) worker->RequestStop();
        for (auto& worker : workers) worker->Stop(100);
    }
    // Joins and forgets the workers whose bodies have ended.
    void ReleaseFinished() {
        std::erase_if(m_workers, [](const std::shared_ptr<T>& worker) {
            if (worker->IsRunning()) return false;
            worker->Stop(100);
            return true;
        });
    }
    int Count() const { return static_cast<int>(m_workers.size()); }

private:
    std::vector<std::shared_ptr<T>> m_workers;
};
