#include "controls/QvEQ.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "controls/QvEqCurve.h"
#include "controls/QvEqGrid.h"
#include "controls/SMoveThumb.h"

namespace qv::controls {

using namespace qv::ui;

namespace {

// The filter slots' thumbs: 1 and 3 high-pass, 2 and 4 low-pass; then the
// bandwidth handles.
constexpr int kFilterThumbs = 4;
constexpr double kFilterThumbDb = 15;  // filter thumbs sit this far below dbMax

}  // namespace

std::span<const AttrRow> QvEQ::AttrRows() {
    constexpr AttrEffect kLayout = AttrEffect::Relayout;
    static constexpr AttrRow kRows[] = {
        AttrMember<&QvEQ::m_ldist>(u"ldist", kLayout),
        AttrMember<&QvEQ::m_tdist>(u"tdist", kLayout),
        AttrMember<&QvEQ::m_rdist>(u"rdist", kLayout),
        AttrMember<&QvEQ::m_bdist>(u"bdist", kLayout),
        AttrMember<&QvEQ::m_dbMax>(u"dbMax", kLayout),
        AttrMember<&QvEQ::m_dbMin>(u"dbMin", kLayout),
        AttrMember<&QvEQ::m_nKedu, 1>(u"nKedu", kLayout),
        AttrMember<&QvEQ::m_dbKeduVal, 1>(u"dbKeduVal", kLayout),
        AttrMember<&QvEQ::m_zeroXFreq>(u"zeroXFreq", kLayout),
        AttrCall<&QvEQ::SetMinFreqAttr>(u"minFreq", kLayout),
        AttrCall<&QvEQ::SetMaxFreqAttr>(u"maxFreq", kLayout),
        AttrCall<&QvEQ::SetHpfOffAttr>(u"hpfOffFreq", kLayout),
        AttrCall<&QvEQ::SetLpfOffAttr>(u"lpfOffFreq", kLayout),
        AttrCall<&QvEQ::SetLpfOffMaxAttr>(u"lpfOffFreqMax", kLayout),
    };
    return kRows;
}

QvEQ::QvEQ() { m_events.AddEvent(EVT_EQ_VALUE_CHANGED, EventEqValueChanged::EventName); }

HRESULT QvEQ::SetFreqAttr(double& member, const SStringW& value) {
    double v = 0;
    if (!ParseAttrValue(value, v) || !std::isfinite(v)) return E_FAIL;
    member = v;
    return S_OK;
}

BOOL QvEQ::InitFromXml(pugi::xml_node node) {
    if (!SWindow::InitFromXml(node)) return FALSE;
    m_bandThumbs.fill(nullptr);
    m_specialThumbs.fill(nullptr);
    m_grid = nullptr;
    m_curve = nullptr;
    for (SWindow* c = GetWindow(GSW_FIRSTCHILD); c; c = c->GetWindow(GSW_NEXTSIBLING)) {
        if (auto* thumb = dynamic_cast<SMoveThumb*>(c)) {
            const int data = static_cast<int>(thumb->GetUserData());
            thumb->SetVisible(false, false);
            if (data >= 0 && data < kBandThumbs) m_bandThumbs[data] = thumb;
            else if (data >= -kSpecialThumbs && data <= -1) m_specialThumbs[-data - 1] = thumb;
            else continue;
            thumb->SubscribeEvent(EVT_THUMB_MOVING, [this](EventArgs* e) { return OnThumbMoving(e); }, this);
        } else if (auto* grid = dynamic_cast<QvEqGrid*>(c)) {
            m_grid = grid;
            grid->Attach(&m_metrics);
        } else if (auto* curve = dynamic_cast<QvEqCurve*>(c)) {
            m_curve = curve;
            curve->Attach(&m_metrics, &m_model, kPointCount);
        }
    }
    m_zeroXFreq = std::clamp(m_zeroXFreq, 10, 20);
    m_axis = BuildEqAxis(kPointCount, m_zeroXFreq);
    m_model.Init(m_axis);
    UpdateMetrics();
    return TRUE;
}

void QvEQ::UpdateMetrics() {
    m_metrics.ldist = m_ldist;
    m_metrics.tdist = m_tdist;
    m_metrics.rdist = m_rdist;
    m_metrics.bdist = m_bdist;
    m_metrics.dbMax = m_dbMax;
    m_metrics.dbMin = m_dbMin;
    m_metrics.nKedu = m_nKedu;
    m_metrics.dbKeduVal = m_dbKeduVal;
    m_metrics.zeroXFreq = m_zeroXFreq;
    m_metrics.log10Zero = std::log10(static_cast<double>(std::max(1, m_zeroXFreq)));
    m_metrics.Recompute(GetClientRect(), kPointCount);
}

void QvEQ::UpdateChildrenPosition() {
    UpdateMetrics();
    SWindow::UpdateChildrenPosition();
    DropDestroyedChildren();
    const CRect area = GetClientRect();
    for (SMoveThumb* t : m_bandThumbs)
        if (t) t->UpdateFloatPosition(area);
    for (SMoveThumb* t : m_specialThumbs)
        if (t) t->UpdateFloatPosition(area);
    LayoutThumbs();
}

void QvEQ::DropDestroyedChildren() {
    std::unordered_set<const SWindow*> live;
    for (SWindow* c = GetWindow(GSW_FIRSTCHILD); c; c = c->GetWindow(GSW_NEXTSIBLING)) {
        if (!c->IsDestroying()) live.insert(c);
    }
    auto drop = [&](auto*& child) {
        if (child && !live.count(child)) child = nullptr;
    };
    for (SMoveThumb*& t : m_bandThumbs) drop(t);
    for (SMoveThumb*& t : m_specialThumbs) drop(t);
    drop(m_grid);
    drop(m_curve);
}

SMoveThumb* QvEQ::GetBandThumb(int band) const { return band >= 0 && band < kBandThumbs ? m_bandThumbs[band] : nullptr; }

SMoveThumb* QvEQ::GetSpecialThumb(int index) const {
    return index >= 0 && index < kSpecialThumbs ? m_specialThumbs[index] : nullptr;
}

void QvEQ::AddBand(double gain, double freq, double q) { m_model.AddBand(gain, freq, q); }

void QvEQ::SetBandGain(int band, double gain) {
    m_model.SetBandParam(band, gain, kEqParamGain);
    LayoutThumbs();
    RepaintCurve();
}

void QvEQ::UpdateFromModel() {
    DropDestroyedChildren();
    m_model.RecalcAll();
    for (int i = 0; i < kBandThumbs && m_bandThumbs[i]; ++i) m_bandThumbs[i]->SetVisible(i < m_model.GetBandCount());
    for (int k = 1; k <= kFilterThumbs; ++k) {
        if (SMoveThumb* t = m_specialThumbs[k - 1]) t->SetVisible(m_model.GetFilterSlot(k) >= 0);
    }
    LayoutThumbs();
    RepaintCurve();
}

void QvEQ::CentreThumb(SMoveThumb* thumb, int x, int y) {
    const CRect rc = thumb->GetWindowRect();
    const int left = x - rc.Width() / 2;
    const int top = y - rc.Height() / 2;
    thumb->Move(CRect(left, top, left + rc.Width(), top + rc.Height()));
    thumb->UpdateFloatFromRect();
}

void QvEQ::LayoutThumbs() {
    if (!m_metrics.HasScale()) return;
    DropDestroyedChildren();
    const int count = m_model.GetBandCount();
    for (int i = 0; i < count && i < kBandThumbs; ++i) {
        SMoveThumb* thumb = m_bandThumbs[i];
        const EqBand* band = m_model.GetBand(i);
        if (!thumb || band->freq <= 0) continue;
        CentreThumb(thumb, m_metrics.XOfFreq(band->freq), m_metrics.YOfGain(band->gain));
    }
    const int selected = m_model.GetSelectedBand();
    if (selected < 0 || selected >= count) {
        for (int handle = kFilterThumbs; handle < kSpecialThumbs; ++handle) {
            if (m_specialThumbs[handle]) m_specialThumbs[handle]->SetVisible(false);
        }
    }
    for (int k = 1; k <= kFilterThumbs; ++k) {
        SMoveThumb* thumb = m_specialThumbs[k - 1];
        const EqBand* band = m_model.GetBand(m_model.GetFilterSlot(k));
        if (!thumb || !band) continue;
        double freq = band->freq;
        if (freq < m_minFreq) freq = (k % 2 == 1) ? m_hpfOffFreq : m_lpfOffFreq;
        else if (freq > m_maxFreq) freq = m_lpfOffFreqMax;
        if (freq <= 0) continue;
        CentreThumb(thumb, m_metrics.XOfFreq(freq), m_metrics.YOfGain(m_metrics.dbMax + kFilterThumbDb));
    }
}

void QvEQ::RepaintCurve() {
    if (m_curve) m_curve->Invalidate();
}

bool QvEQ::OnThumbMoving(EventArgs* e) {
    auto* moving = EventCast<EventThumbMoving>(e);
    auto* thumb = moving ? dynamic_cast<SMoveThumb*>(moving->Sender()) : nullptr;
    if (!thumb) return false;
    const int band = moving->userData;
    if (band < 0 || band >= m_model.GetBandCount() || !m_metrics.HasScale()) return true;
    const CRect rc = thumb->GetWindowRect();
    const int px = moving->x + rc.Width() / 2;
    const int py = moving->y + rc.Height() / 2;
    const CRect& client = m_metrics.client;
    double gain = m_metrics.dbMax - (py - client.top - m_metrics.tdist) / m_metrics.pxPerDb;
    double freq = std::pow(10.0, (px - client.left - m_metrics.ldist) / m_metrics.pxPerDecade + m_metrics.log10Zero);
    freq = std::clamp(freq, m_minFreq, std::max(m_minFreq, m_maxFreq));
    gain = std::clamp(gain, static_cast<double>(m_metrics.dbMin), static_cast<double>(m_metrics.dbMax));
    m_model.SetBandParam(band, gain, kEqParamGain);
    m_model.SetBandParam(band, freq, kEqParamFreq);
    EventEqValueChanged changed(this);
    changed.band = band;
    changed.mask = 3;
    changed.gain = gain;
    changed.frequency = freq;
    FireEvent(changed);
    LayoutThumbs();
    RepaintCurve();
    return true;
}

}  // namespace qv::controls
