#pragma once
// The car editor's drawing (layout tag "qvcarcurve"): the car outline, the
// dotted sound-space circle through the farthest speaker, and per speaker a
// dotted line from its virtual position on that circle and a solid line
// from the listener. Shown by its editor while a thumb is dragged.
#include "platform/ui/SWindow.h"

namespace qv::controls {

class QvCar;

class QvCarCurve : public qv::ui::SWindow {
    QV_CLASS_NAME(QvCarCurve, qv::ui::SWindow, u"qvcarcurve", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SWindow)

public:
    // The editor whose speakers are drawn; only the window without one.
    void SetCar(const QvCar* car) { m_car = car; }

protected:
    void OnPaint(qv::ui::SRenderTarget& rt) override;

private:
    int m_lineWidth = 2;
    qv::ui::COLORREF m_colorCar = qv::ui::RGBA(0, 255, 0, 0);
    qv::ui::COLORREF m_colorVirt = qv::ui::RGBA(255, 255, 0, 255);
    qv::ui::COLORREF m_colorSoundSpace = qv::ui::RGBA(255, 0, 255, 0);
    qv::ui::COLORREF m_colorSpeaker = qv::ui::RGBA(255, 170, 170, 255);
    const QvCar* m_car = nullptr;
};

}  // namespace qv::controls
