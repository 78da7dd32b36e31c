#pragma once
// A container that drives the level of the QvVumeter controls directly
// inside it (layout tag "qvvugroup") from a level source, on its host's
// timeline: every 100 ms while the source is active, else all meters go to
// 0 every 2000 ms. It joins the timeline when it is given a source and
// leaves it when destroyed.
#include <vector>

#include "platform/ui/SWindow.h"

namespace qv::controls {

class QvVumeter;

// Where the levels come from.
class IVuLevelSource {
public:
    virtual ~IVuLevelSource() = default;
    virtual bool IsActive() = 0;
    // Fills up to count levels; returns how many it filled.
    virtual int FillLevels(int* levels, int count) = 0;
};

class QvVuGroup : public qv::ui::SWindow, public qv::ui::ITimelineHandler {
    QV_CLASS_NAME(QvVuGroup, qv::ui::SWindow, u"qvvugroup", qv::ui::kObjectWindow)

public:
    BOOL InitFromXml(pugi::xml_node node) override;
    // The source is not owned; null leaves the meters at 0.
    void SetLevelSource(IVuLevelSource* source);
    const std::vector<QvVumeter*>& GetMeters() const { return m_meters; }

    void OnNextFrame() override;

protected:
    void OnDestroy() override;

private:
    // Meters destroyed since the layout was read are skipped.
    bool IsLiveMeter(const QvVumeter* meter) const;
    // The first count meters (at most all) get the levels, or 0 without any.
    void SetLevels(const int* levels, int count);

    int m_countdown = 0;
    IVuLevelSource* m_source = nullptr;
    std::vector<QvVumeter*> m_meters;
    std::vector<int> m_levels;
};

}  // namespace qv::controls
