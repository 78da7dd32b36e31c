#include "platform/ui/IDisplayBackend.h"

#include <atomic>
#include <cstdint>
#include <limits>

#include "platform/ui/headless/HeadlessDisplay.h"

namespace qv::ui {
namespace {

std::atomic<IDisplayBackend*> g_backend{nullptr};

std::int64_t Area(const CRect& rc) { return static_cast<std::int64_t>(rc.Width()) * rc.Height(); }

std::int64_t CentreDistance(const CRect& a, const CRect& b) {
    std::int64_t dx = (a.left + a.right) / 2 - (b.left + b.right) / 2;
    std::int64_t dy = (a.top + a.bottom) / 2 - (b.top + b.bottom) / 2;
    return dx * dx + dy * dy;
}

}  // namespace

CSize IDisplayBackend::GetScreenSize() const { return GetDisplays().front().bounds.Size(); }

CRect IDisplayBackend::GetWorkArea() const { return GetDisplays().front().work; }

DisplayArea IDisplayBackend::GetDisplayNear(const CRect& rc) const {
    std::vector<DisplayArea> displays = GetDisplays();
    const DisplayArea* best = &displays.front();
    std::int64_t bestOverlap = 0;
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    for (const DisplayArea& d : displays) {
        CRect overlap;
        std::int64_t area = overlap.Intersect(d.bounds, rc) ? Area(overlap) : 0;
        std::int64_t distance = CentreDistance(d.bounds, rc);
        if (area > bestOverlap || (bestOverlap == 0 && area == 0 && distance < bestDistance)) {
            best = &d;
            bestOverlap = area;
            bestDistance = distance;
        }
    }
    return *best;
}

IDisplayBackend& GetDisplayBackend() {
    static HeadlessDisplay headless;
    IDisplayBackend* b = g_backend.load();
    return b ? *b : headless;
}

void SetDisplayBackend(IDisplayBackend* backend) { g_backend.store(backend); }

bool IsDisplayBackendInstalled() { return g_backend.load() != nullptr; }

}  // namespace qv::ui
