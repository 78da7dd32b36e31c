#include "controls/QvVuGroup.h"

#include "controls/QvVumeter.h"

namespace qv::controls {

using namespace qv::ui;

namespace {
constexpr int kFrameMs = 10;
constexpr int kActiveMs = 100;
constexpr int kIdleMs = 2000;
}  // namespace

BOOL QvVuGroup::InitFromXml(pugi::xml_node node) {
    if (!SWindow::InitFromXml(node)) return FALSE;
    m_meters.clear();
    for (SWindow* c = GetWindow(GSW_FIRSTCHILD); c; c = c->GetWindow(GSW_NEXTSIBLING)) {
        if (c->IsClass(QvVumeter::GetClassName())) m_meters.push_back(static_cast<QvVumeter*>(c));
    }
    m_levels.assign(m_meters.size(), 0);
    return TRUE;
}

bool QvVuGroup::IsLiveMeter(const QvVumeter* meter) const {
    for (SWindow* c = GetWindow(GSW_FIRSTCHILD); c; c = c->GetWindow(GSW_NEXTSIBLING)) {
        if (c == meter) return !c->IsDestroying();
    }
    return false;
}

void QvVuGroup::SetLevels(const int* levels, int count) {
    for (int i = 0; i < count && i < static_cast<int>(m_meters.size()); ++i) {
        if (IsLiveMeter(m_meters[i])) m_meters[i]->SetValue(levels ? levels[i] : 0);
    }
}

void QvVuGroup::SetLevelSource(IVuLevelSource* source) {
    m_source = source;
    if (ISwndContainer* c = GetContainer()) c->RegisterTimelineHandler(this);
}

void QvVuGroup::OnNextFrame() {
    m_countdown -= kFrameMs;
    if (m_countdown > 0) return;
    if (m_source && m_source->IsActive() && !m_levels.empty()) {
        SetLevels(m_levels.data(), m_source->FillLevels(m_levels.data(), static_cast<int>(m_levels.size())));
        m_countdown = kActiveMs;
    } else {
        SetLevels(nullptr, static_cast<int>(m_meters.size()));
        m_countdown = kIdleMs;
    }
}

void QvVuGroup::OnDestroy() {
    SetLevels(nullptr, static_cast<int>(m_meters.size()));
    if (ISwndContainer* c = GetContainer()) c->UnregisterTimelineHandler(this);
    SWindow::OnDestroy();
}

}  // namespace qv::controls
