#pragma once
// The car editor's metric axes (layout tag "qvcargrid"): ticks every
// "mmPerScale" millimetres labelled in metres, and dotted guide lines through
// millimetre 0,0. Shown by its editor while a thumb is dragged.
#include <vector>

#include "platform/ui/SWindow.h"

namespace qv::controls {

class QvCar;

class QvCarGrid : public qv::ui::SWindow {
    QV_CLASS_NAME(QvCarGrid, qv::ui::SWindow, u"qvcargrid", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SWindow)

public:
    // The editor whose scale is drawn; nothing but the window without one.
    void SetCar(const QvCar* car) { m_car = car; }

    // A tick of an axis: where it meets the axis, its value and the
    // rectangle of its label.
    struct Tick {
        qv::ui::CPoint at;
        int valueMm = 0;
        qv::ui::CRect label;
    };
    // From the origin of the axes upwards and to the right, while the
    // labels fit; none when ticks would be closer than a pixel.
    std::vector<Tick> VerticalTicks() const;
    std::vector<Tick> HorizontalTicks() const;

protected:
    void OnPaint(qv::ui::SRenderTarget& rt) override;

private:
    // The axes' ends: left, top, right and bottom are x0, yt, xr and y0.
    qv::ui::CRect AxesRect() const;

    int m_widthGuidLine = 1;
    qv::ui::COLORREF m_colorGuidLine = qv::ui::RGBA(48, 48, 48, 255);
    int m_widthCoords = 1;
    qv::ui::COLORREF m_colorCoords = qv::ui::RGBA(48, 48, 48, 255);
    const QvCar* m_car = nullptr;
};

}  // namespace qv::controls
