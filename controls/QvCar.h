#pragma once
// The car-cabin speaker-delay editor (layout tag "qvcar"): a car seen from
// above with a listening position and up to 32 speakers, each a draggable
// thumb. For every speaker it computes the delay that makes its sound reach
// the listener together with the farthest speaker's (sound travels 346 mm
// per millisecond).
//
// Children it looks for: "qvcarthumb" with user data 0 (the listener) or
// 1..32 (speaker n), "qvcargrid", "qvcarcurve", and windows named
// "car_pic", "car_pos_tip" and "ch1_tip".."ch32_tip". Positions are whole
// millimetres in the cabin (x to the right, y upwards); distances and delays
// are computed from them in double, pixels only for drawing.
#include <array>

#include "controls/CarGeometry.h"
#include "platform/ui/EventArgs.h"
#include "platform/ui/SWindow.h"

namespace qv::controls {

class QvCarCurve;
class QvCarGrid;
class QvCarThumb;

constexpr int EVT_CAR_DELAY_CHANGED = 29102;

// A thumb was moved; read the positions and delays from the editor.
QV_EVENT_BEGIN(EventCarDelayChanged, EVT_CAR_DELAY_CHANGED, u"onCarDelayChanged")
QV_EVENT_END

class QvCar : public qv::ui::SWindow {
    QV_CLASS_NAME(QvCar, qv::ui::SWindow, u"qvcar", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SWindow)

public:
    static constexpr int kMaxSpeakers = 32;
    static constexpr double kMmPerMs = 346.0;
    // Hides the curve and the grid some time after a drag.
    static constexpr UINT kHideTimer = 1;
    static constexpr UINT kHideDelayMs = 3000;

    struct Speaker {
        qv::ui::CPoint mm;
        qv::ui::CPoint px;
        qv::ui::CPoint virtualPx;  // moved outwards onto the sound-space circle
        double delayMm = 0;
    };

    QvCar();
    BOOL InitFromXml(pugi::xml_node node) override;

    // count is taken as 0..32. Lays the editor out when it has speakers.
    void SetSpeakers(const qv::ui::CPoint* positionsMm, int count, int listenerXMm, int listenerYMm);
    // Copy min(n, count) values; return that number.
    int GetSpeakers(qv::ui::CPoint* out, int n) const;
    int GetDelays(double* outMm, int n) const;
    qv::ui::CPoint GetListener() const { return m_listenerMm; }
    int GetSpeakerCount() const { return m_count; }
    const Speaker& GetSpeaker(int index) const { return m_speakers[static_cast<size_t>(index)]; }
    qv::ui::CPoint GetListenerPixels() const { return m_listenerPx; }
    // Bounding square of the circle through the farthest speaker; empty
    // when every speaker is on the listener.
    qv::ui::CRect GetSoundSpace() const { return m_soundSpace; }
    const CarGeometry& GetGeometry() const { return m_geo; }

    // From a thumb being dragged (user data n) to pt: clamps pt to the car
    // body and takes the position, shows it in "car_pos_tip", recomputes
    // the delays and fires EventCarDelayChanged.
    void OnThumbMoved(int n, qv::ui::CPoint& pt);
    // The drag ended: the position tip goes, the guides follow later.
    void OnThumbReleased();

    void UpdateChildrenPosition() override;
    void OnTimer(UINT id) override;

private:
    template <int CarGeometry::*Field>
    HRESULT SetGeoAttr(const qv::ui::SStringW& value, bool loading);
    template <int CarGeometry::*Field>
    HRESULT SetPositiveGeoAttr(const qv::ui::SStringW& value, bool loading);

    void FindChildren();
    void ApplyVisibility();
    void ComputeDelays();
    // Thumbs, tips, the virtual positions and the circle from the positions.
    void LayOutSpeakers();
    void PlaceTip(qv::ui::SWindow* tip, const Speaker& speaker, const QvCarThumb* thumb, const qv::ui::CRect& labels);
    void PlaceCarPicture();
    void ShowGuides();

    CarGeometry m_geo;
    int m_count = 0;
    std::array<Speaker, kMaxSpeakers> m_speakers{};
    qv::ui::CPoint m_listenerMm;
    qv::ui::CPoint m_listenerPx;
    qv::ui::CRect m_soundSpace;

    QvCarCurve* m_curve = nullptr;
    QvCarGrid* m_grid = nullptr;
    QvCarThumb* m_listenerThumb = nullptr;
    std::array<QvCarThumb*, kMaxSpeakers> m_thumbs{};
    std::array<qv::ui::SWindow*, kMaxSpeakers> m_tips{};
    qv::ui::SWindow* m_carPic = nullptr;
    qv::ui::SWindow* m_posTip = nullptr;
    bool m_initialised = false;
};

}  // namespace qv::controls
