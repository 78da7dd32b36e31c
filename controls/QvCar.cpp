#include "controls/QvCar.h"

#include <algorithm>
#include <cmath>

#include "controls/QvCarCurve.h"
#include "controls/QvCarGrid.h"
#include "controls/QvCarThumb.h"

namespace qv::controls {

using namespace qv::ui;

namespace {
// Tips keep this far from their thumb.
constexpr int kTipGap = 5;
// The position tip sits below and to the right of the pointer.
constexpr int kPosTipDx = 30;
constexpr int kPosTipDy = 25;
}  // namespace

std::span<const AttrRow> QvCar::AttrRows() {
    constexpr AttrEffect kLayout = AttrEffect::Relayout;
    static constexpr AttrRow kRows[] = {
        AttrCall<&QvCar::SetGeoAttr<&CarGeometry::ldist>>(u"ldist", kLayout),
        AttrCall<&QvCar::SetGeoAttr<&CarGeometry::tdist>>(u"tdist", kLayout),
        AttrCall<&QvCar::SetGeoAttr<&CarGeometry::rdist>>(u"rdist", kLayout),
        AttrCall<&QvCar::SetGeoAttr<&CarGeometry::bdist>>(u"bdist", kLayout),
        AttrCall<&QvCar::SetGeoAttr<&CarGeometry::xStart>>(u"xStart", kLayout),
        AttrCall<&QvCar::SetGeoAttr<&CarGeometry::yStart>>(u"yStart", kLayout),
        AttrCall<&QvCar::SetPositiveGeoAttr<&CarGeometry::mmPerPx>>(u"mmPerPx", kLayout),
        AttrCall<&QvCar::SetPositiveGeoAttr<&CarGeometry::mmPerScale>>(u"mmPerScale", kLayout),
        AttrCall<&QvCar::SetGeoAttr<&CarGeometry::carWidth>>(u"carWidth", kLayout),
        AttrCall<&QvCar::SetGeoAttr<&CarGeometry::zhouJu>>(u"zhouJu", kLayout),
    };
    return kRows;
}

template <int CarGeometry::*Field>
HRESULT QvCar::SetGeoAttr(const SStringW& value, bool) {
    int v = 0;
    if (!ParseAttrValue(value, v)) return E_FAIL;
    m_geo.*Field = v;
    return S_OK;
}

// A scale of 0 or less has no meaning (and 0 would divide by zero).
template <int CarGeometry::*Field>
HRESULT QvCar::SetPositiveGeoAttr(const SStringW& value, bool) {
    int v = 0;
    if (!ParseAttrValue(value, v) || v <= 0) return E_FAIL;
    m_geo.*Field = v;
    return S_OK;
}

QvCar::QvCar() { m_events.AddEvent(EVT_CAR_DELAY_CHANGED, EventCarDelayChanged::EventName); }

BOOL QvCar::InitFromXml(pugi::xml_node node) {
    if (!SWindow::InitFromXml(node)) return FALSE;
    FindChildren();
    ApplyVisibility();
    m_initialised = true;
    return TRUE;
}

void QvCar::FindChildren() {
    m_listenerThumb = nullptr;
    m_thumbs.fill(nullptr);
    for (SWindow* c = GetWindow(GSW_FIRSTCHILD); c; c = c->GetWindow(GSW_NEXTSIBLING)) {
        if (auto* thumb = dynamic_cast<QvCarThumb*>(c)) {
            const ULONG_PTR n = thumb->GetUserData();
            if (n > kMaxSpeakers) continue;
            thumb->SetCar(this);
            (n == 0 ? m_listenerThumb : m_thumbs[n - 1]) = thumb;
        } else if (auto* grid = dynamic_cast<QvCarGrid*>(c)) {
            m_grid = grid;
            grid->SetCar(this);
            grid->SetVisible(false);
        } else if (auto* curve = dynamic_cast<QvCarCurve*>(c)) {
            m_curve = curve;
            curve->SetCar(this);
            curve->SetVisible(false);
        }
    }
    m_posTip = FindChildByName(u"car_pos_tip");
    m_carPic = FindChildByName(u"car_pic");
    for (int i = 0; i < kMaxSpeakers; ++i) m_tips[i] = FindChildByName(SStringW::Format(u"ch%d_tip", i + 1));
}

// Thumbs and tips of the speakers there are; the listener with any speaker.
void QvCar::ApplyVisibility() {
    if (m_listenerThumb) m_listenerThumb->SetVisible(m_count > 0);
    for (int i = 0; i < kMaxSpeakers; ++i) {
        if (m_thumbs[i]) m_thumbs[i]->SetVisible(i < m_count);
        if (m_tips[i]) m_tips[i]->SetVisible(i < m_count);
    }
}

void QvCar::SetSpeakers(const CPoint* positionsMm, int count, int listenerXMm, int listenerYMm) {
    m_count = positionsMm ? std::clamp(count, 0, kMaxSpeakers) : 0;
    m_listenerMm = CPoint(listenerXMm, listenerYMm);
    for (int i = 0; i < m_count; ++i) m_speakers[i].mm = positionsMm[i];
    ComputeDelays();
    if (!m_initialised) return;
    ApplyVisibility();
    if (m_count == 0) return;
    UpdateChildrenPosition();
    if (m_curve) m_curve->Invalidate();
}

int QvCar::GetSpeakers(CPoint* out, int n) const {
    const int k = std::clamp(n, 0, m_count);
    for (int i = 0; i < k; ++i) out[i] = m_speakers[i].mm;
    return k;
}

int QvCar::GetDelays(double* outMm, int n) const {
    const int k = std::clamp(n, 0, m_count);
    for (int i = 0; i < k; ++i) outMm[i] = m_speakers[i].delayMm;
    return k;
}

namespace {
double DistanceMm(CPoint a, CPoint b) { return std::hypot(double(a.x) - b.x, double(a.y) - b.y); }
}  // namespace

void QvCar::ComputeDelays() {
    double farthest = 0;
    for (int i = 0; i < m_count; ++i) farthest = std::max(farthest, DistanceMm(m_speakers[i].mm, m_listenerMm));
    for (int i = 0; i < m_count; ++i) m_speakers[i].delayMm = farthest - DistanceMm(m_speakers[i].mm, m_listenerMm);
}

// ---------------------------------------------------------------- layout

void QvCar::UpdateChildrenPosition() {
    m_geo.Update(GetWindowRect());
    PlaceCarPicture();
    // Thumbs and tips are placed from the positions; the thumbs first take
    // their area so a later layout keeps them where they are.
    const bool speakers = m_initialised && m_count > 0;
    SWindow::UpdateChildrenPosition();
    const CRect area = GetClientRect();
    if (m_listenerThumb) m_listenerThumb->UpdateFloatPosition(area);
    for (QvCarThumb* t : m_thumbs)
        if (t) t->UpdateFloatPosition(area);
    if (speakers) LayOutSpeakers();
}

void QvCar::PlaceCarPicture() {
    if (!m_carPic) return;
    const CRect& pic = m_geo.carPicture;
    const CRect& w = m_geo.window;
    m_carPic->SetAttribute(u"pos",
                           SStringW::Format(u"%d,%d,%d,%d", pic.left - w.left - 20, pic.top - w.top,
                                            pic.right - w.left + 20, pic.bottom - w.top),
                           true);
}

void QvCar::LayOutSpeakers() {
    const CPoint l = m_listenerMm;
    m_listenerPx = m_geo.ToPixels(l.x, l.y);
    if (m_listenerThumb) {
        m_listenerThumb->CentreAt(m_listenerPx);
        m_listenerThumb->SetToolTipText(SStringW::Format(u"(%.03fm,%.03fm)", l.x / 1000.0, l.y / 1000.0));
    }
    double farthest = 0;
    for (int i = 0; i < m_count; ++i) farthest = std::max(farthest, DistanceMm(m_speakers[i].mm, l));
    const CRect& car = m_geo.car;
    const CRect labels(car.left + car.Width() / 4, car.top + car.Height() / 3, car.right - car.Width() / 4,
                       car.bottom - car.Height() / 3);
    for (int i = 0; i < m_count; ++i) {
        Speaker& s = m_speakers[i];
        s.px = m_geo.ToPixels(s.mm.x, s.mm.y);
        // Outwards along the line from the listener onto the circle through
        // the farthest speaker; a speaker on the listener stays there.
        const double d = DistanceMm(s.mm, l);
        const double k = d > 0 ? farthest / d : 0;
        s.virtualPx = m_geo.ToPixels(l.x + k * (s.mm.x - l.x), l.y + k * (s.mm.y - l.y));
        const double ms = s.delayMm / kMmPerMs;
        if (QvCarThumb* thumb = m_thumbs[i]) {
            thumb->CentreAt(s.px);
            thumb->SetToolTipText(SStringW::Format(u"(%.03fm,%.03fm)\nDelay:%.02fmm\nDelay:%.03fms", s.mm.x / 1000.0,
                                                   s.mm.y / 1000.0, s.delayMm, ms));
        }
        if (SWindow* tip = m_tips[i]) {
            tip->SetWindowText(SStringW::Format(u"%.03fms", ms));
            PlaceTip(tip, s, m_thumbs[i], labels);
        }
    }
    const int r = static_cast<int>(std::min(farthest / m_geo.mmPerPx, 1e7));
    m_soundSpace = r > 0 ? CRect(m_listenerPx.x - r, m_listenerPx.y - r, m_listenerPx.x + r, m_listenerPx.y + r) : CRect();
}

// Beside the thumb, away from the middle of the car where the lines run.
void QvCar::PlaceTip(SWindow* tip, const Speaker& s, const QvCarThumb* thumb, const CRect& labels) {
    const CSize t = tip->GetDesiredSize();
    const CSize th = thumb ? thumb->GetWindowRect().Size() : CSize();
    CPoint at;
    if (s.px.x < labels.left) {
        at = CPoint(s.px.x - th.cx / 2 - t.cx - kTipGap, s.px.y - t.cy / 2);
    } else if (s.px.x > labels.right) {
        at = CPoint(s.px.x + th.cx / 2 + kTipGap, s.px.y - t.cy / 2);
    } else {
        at.x = s.px.x - t.cx / 2;
        at.y = s.px.y < labels.top ? s.px.y - th.cy / 2 - t.cy - kTipGap : s.px.y + th.cy / 2 + kTipGap;
    }
    const CRect& w = m_geo.window;
    tip->SetAttribute(u"pos", SStringW::Format(u"%d,%d", at.x - w.left, at.y - w.top), true);
    tip->Move(CRect(at, t));
}

// ---------------------------------------------------------------- dragging

void QvCar::OnThumbMoved(int n, CPoint& pt) {
    const CRect& car = m_geo.car;
    pt.x = std::clamp(pt.x, car.left, std::max(car.left, car.right));
    pt.y = std::clamp(pt.y, car.top, std::max(car.top, car.bottom));
    const CPoint mm = m_geo.ToMillimetres(pt);
    if (n == 0) {
        m_listenerMm = mm;
        m_listenerPx = pt;
    } else if (n >= 1 && n <= m_count) {
        m_speakers[n - 1].mm = mm;
        m_speakers[n - 1].px = pt;
    } else {
        return;
    }
    if (m_posTip) {
        m_posTip->SetWindowText(SStringW::Format(u"%.03fm,%.03fm", mm.x / 1000.0, mm.y / 1000.0));
        const CRect& w = m_geo.window;
        const CPoint at(pt.x - w.left + kPosTipDx, pt.y - w.top + kPosTipDy);
        m_posTip->SetAttribute(u"pos", SStringW::Format(u"%d,%d", at.x, at.y), true);
        m_posTip->Move(CRect(CPoint(w.left + at.x, w.top + at.y), m_posTip->GetDesiredSize()));
        m_posTip->SetVisible(true);
    }
    KillTimer(kHideTimer);
    if (m_count == 0) return;
    ComputeDelays();
    UpdateChildrenPosition();
    ShowGuides();
    EventCarDelayChanged e(this);
    FireEvent(e);
}

void QvCar::ShowGuides() {
    if (m_curve) {
        m_curve->SetVisible(true);
        m_curve->Invalidate();
    }
    if (m_grid) m_grid->SetVisible(true);
}

void QvCar::OnThumbReleased() {
    if (m_posTip) m_posTip->SetVisible(false);
    SetTimer(kHideTimer, kHideDelayMs);
}

void QvCar::OnTimer(UINT id) {
    if (id != kHideTimer) return;
    KillTimer(kHideTimer);
    if (m_curve) m_curve->SetVisible(false);
    if (m_grid) m_grid->SetVisible(false);
}

}  // namespace qv::controls
