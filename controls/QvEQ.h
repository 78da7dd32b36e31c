#pragma once
// The equaliser editor (layout tag "qveq"): it holds the band model and the
// logarithmic frequency axis, lays out one movable thumb per band (children
// "moveThumb" with "data" 0..63; -1..-4 are the filter slots' thumbs, -5 and
// -6 the bandwidth handles, which stay hidden), and turns thumb drags into
// band changes and EventEqValueChanged. A "qveqgrid" child draws the grid, a
// "qveqcurve" child the curves.
//
// Attributes: the grid's margins "ldist", "tdist", "rdist", "bdist"; its
// range "dbMax", "dbMin" with "nKedu" divisions (a line labelled when its
// value is a multiple of "dbKeduVal"; both at least 1); "zeroXFreq", the
// left end of the axis (clamped to 10..20 Hz once the layout is read); the
// drag range "minFreq".."maxFreq"; where filter thumbs sit when off
// ("hpfOffFreq", "lpfOffFreq", "lpfOffFreqMax").
//
// Without a dB range or a grid of some size there is nothing to place:
// thumbs are not laid out and drags are ignored.
#include <array>
#include <vector>

#include "controls/CEqModel.h"
#include "controls/EqMetrics.h"
#include "platform/ui/AttrTable.h"
#include "platform/ui/EventArgs.h"
#include "platform/ui/SWindow.h"

namespace qv::controls {

class QvEqCurve;
class QvEqGrid;
class SMoveThumb;

constexpr int EVT_EQ_VALUE_CHANGED = 29101;

QV_EVENT_BEGIN(EventEqValueChanged, EVT_EQ_VALUE_CHANGED, u"on_eqchanged")
    int band = 0;
    int mask = 3;  // bit 0: gain valid, bit 1: frequency valid
    double gain = 0;
    double frequency = 0;
QV_EVENT_END

class QvEQ : public qv::ui::SWindow {
    QV_CLASS_NAME(QvEQ, qv::ui::SWindow, u"qveq", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SWindow)

public:
    static constexpr int kPointCount = 1024;
    static constexpr int kBandThumbs = 64;
    static constexpr int kSpecialThumbs = 6;  // filter slots 1..4, bandwidth left and right

    QvEQ();
    BOOL InitFromXml(pugi::xml_node node) override;
    void UpdateChildrenPosition() override;

    void AddBand(double gain, double freq, double q);
    void SetBandGain(int band, double gain);
    // Recomputes every band, shows the thumbs of the bands and lays them out.
    void UpdateFromModel();
    // Centres every band's thumb on its frequency and gain.
    void LayoutThumbs();

    const CEqModel& GetModel() const { return m_model; }
    const EqMetrics& GetMetrics() const { return m_metrics; }
    const std::vector<double>& GetAxis() const { return m_axis; }
    SMoveThumb* GetBandThumb(int band) const;
    SMoveThumb* GetSpecialThumb(int index) const;
    double GetMinFreq() const { return m_minFreq; }
    double GetMaxFreq() const { return m_maxFreq; }

private:
    HRESULT SetFreqAttr(double& member, const qv::ui::SStringW& value);
    HRESULT SetMinFreqAttr(const qv::ui::SStringW& v, bool) { return SetFreqAttr(m_minFreq, v); }
    HRESULT SetMaxFreqAttr(const qv::ui::SStringW& v, bool) { return SetFreqAttr(m_maxFreq, v); }
    HRESULT SetHpfOffAttr(const qv::ui::SStringW& v, bool) { return SetFreqAttr(m_hpfOffFreq, v); }
    HRESULT SetLpfOffAttr(const qv::ui::SStringW& v, bool) { return SetFreqAttr(m_lpfOffFreq, v); }
    HRESULT SetLpfOffMaxAttr(const qv::ui::SStringW& v, bool) { return SetFreqAttr(m_lpfOffFreqMax, v); }
    // The metrics from the attributes and the client rectangle.
    void UpdateMetrics();
    // Forgets children destroyed since the layout was read.
    void DropDestroyedChildren();
    void CentreThumb(SMoveThumb* thumb, int x, int y);
    void RepaintCurve();
    bool OnThumbMoving(qv::ui::EventArgs* e);

    int m_ldist = 36;
    int m_tdist = 18;
    int m_rdist = 0;
    int m_bdist = 16;
    int m_dbMax = 12;
    int m_dbMin = -12;
    int m_nKedu = 4;
    int m_dbKeduVal = 6;
    int m_zeroXFreq = 10;
    EqMetrics m_metrics;
    double m_minFreq = 10.0;
    double m_maxFreq = 22000.0;
    double m_hpfOffFreq = 10.0;
    double m_lpfOffFreq = 23000.0;
    double m_lpfOffFreqMax = 0.0;
    std::vector<double> m_axis;
    CEqModel m_model;
    QvEqGrid* m_grid = nullptr;
    QvEqCurve* m_curve = nullptr;
    std::array<SMoveThumb*, kBandThumbs> m_bandThumbs{};
    std::array<SMoveThumb*, kSpecialThumbs> m_specialThumbs{};
};

}  // namespace qv::controls
