#include "controls/CEqModel.h"

#include <algorithm>
#include <cmath>

#include "platform/os/Log.h"

namespace qv::controls {
namespace {

constexpr double kTwoPi = 6.28318530717958;
constexpr double kPassDivisors[] = {1.4142135624, 2.61312592975, 1.1547005384};

void SetIdentity(EqBand& band) {
    band.a0 = band.b0 = 0.5;
    band.a1 = band.a2 = band.b1 = band.b2 = 0;
}

bool IsValidValue(int what, double value) {
    if (!std::isfinite(value)) return false;
    if (what == kEqParamFreq || what == kEqParamQ) return value > 0;
    if (what == kEqParamType) return value >= 0 && value <= static_cast<double>(kEqNoCompute);
    return what == kEqParamGain;
}

}  // namespace

double EqLog10TopFreq() {
    static const double value = std::log10(24000.0);
    return value;
}

std::vector<double> BuildEqAxis(int n, double zeroXFreq) {
    std::vector<double> axis(static_cast<std::size_t>(std::max(0, n)));
    const double lowest = std::log10(kEqPi * zeroXFreq / 24000.0);
    const double step = (std::log10(kEqPi) - lowest) / n;
    for (int i = 0; i < n; ++i) axis[i] = std::pow(10.0, lowest + i * step);
    return axis;
}

int CEqModel::Init(std::span<const double> axis) {
    Free();
    m_axis = axis;
    m_bands.assign(kRecords, EqBand{});
    m_curveA.assign(axis.size(), 0.0);
    m_curveB.assign(axis.size(), 0.0);
    return 1;
}

void CEqModel::Free() {
    m_bands.clear();
    m_curveA.clear();
    m_curveB.clear();
    m_filterSlots.fill(-1);
    m_count = 0;
    m_selected = -1;
}

const EqBand* CEqModel::GetBand(int index) const {
    if (index < 0 || index >= static_cast<int>(m_bands.size())) return nullptr;
    return &m_bands[index];
}

void CEqModel::AddBand(double gain, double freq, double q) {
    if (m_bands.empty() || m_count >= kMaxBands) return;
    if (!IsValidValue(kEqParamGain, gain) || !IsValidValue(kEqParamFreq, freq) || !IsValidValue(kEqParamQ, q)) {
        QV_LOGW("band refused: gain %g, frequency %g, Q %g", gain, freq, q);
        return;
    }
    EqBand& band = m_bands[m_count];
    band = EqBand{};
    band.type = kEqPeaking;
    band.gain = gain;
    band.freq = freq;
    band.q = q;
    SetIdentity(band);
    band.response.assign(m_axis.size(), 0.0);
    ++m_count;
}

int CEqModel::SetBandParam(int index, double value, int what) {
    if (index < 0 || index >= m_count || !IsValidValue(what, value)) return 0;
    EqBand& band = m_bands[index];
    const double previousGain = band.gain;
    switch (what) {
    case kEqParamGain: band.gain = value; break;
    case kEqParamFreq: band.freq = value; break;
    case kEqParamQ: band.q = value; break;
    default: band.type = static_cast<int>(value); break;
    }
    m_selected = -1;
    std::fill(band.response.begin(), band.response.end(), 0.0);
    if (!IsFlat(band.gain)) {
        CalcBandCoefficients(band);
        CalcBandResponse(band, m_axis);
        m_selected = index;
    } else if (IsFlat(previousGain)) {
        return 0;
    }
    SumCurves();
    return 1;
}

void CEqModel::RecalcAll() {
    for (int i = 0; i < m_count; ++i) {
        EqBand& band = m_bands[i];
        if (IsFlat(band.gain)) continue;
        CalcBandCoefficients(band);
        CalcBandResponse(band, m_axis);
    }
    SumCurves();
}

void CEqModel::SelectBand(int index) {
    m_selected = -1;
    if (index >= 0 && index < m_count) {
        m_selected = index;
        return;
    }
    const int k = index - m_count + 1;
    if (k >= 1 && k <= kFilterSlots && m_filterSlots[k - 1] >= 0) m_selected = index;
}

void CEqModel::CalcBandCoefficients(EqBand& band) {
    const int type = band.type;
    if (type < kEqFlat || type >= kEqNoCompute) return;
    const bool shelfOrPeak = type >= kEqLowShelf && type <= kEqHighShelf;
    const bool pass = type >= kEqLowPass1 && type <= kEqHighPass3;
    if (type == kEqFlat || (shelfOrPeak && band.gain == 0) || (pass && (band.freq < 20 || band.freq > 22000))) {
        SetIdentity(band);
        return;
    }
    const double w0 = kTwoPi * band.freq / kEqSampleRate;
    const double c = std::cos(w0);
    const double s = std::sin(w0);
    double a0 = 1, a1 = 0, a2 = 0, b0 = 1, b1 = 0, b2 = 0;
    if (type == kEqLowShelf || type == kEqHighShelf) {
        const double A = std::pow(10.0, band.gain / 40.0);
        const double S = std::sqrt(2.0 * A) * s / band.q;
        if (type == kEqLowShelf) {
            b0 = A * ((A + 1) - (A - 1) * c + S);
            b1 = 2 * A * ((A - 1) - (A + 1) * c);
            b2 = A * ((A + 1) - (A - 1) * c - S);
            a0 = (A + 1) + (A - 1) * c + S;
            a1 = -2 * ((A - 1) + (A + 1) * c);
            a2 = (A + 1) + (A - 1) * c - S;
        } else {
            b0 = A * ((A + 1) + (A - 1) * c + S);
            b1 = -2 * A * ((A - 1) + (A + 1) * c);
            b2 = A * ((A + 1) + (A - 1) * c - S);
            a0 = (A + 1) - (A - 1) * c + S;
            a1 = 2 * ((A - 1) - (A + 1) * c);
            a2 = (A + 1) - (A - 1) * c - S;
        }
    } else if (type == kEqPeaking) {
        const double A = std::pow(10.0, band.gain / 40.0);
        const double alpha = s / (2 * band.q);
        b0 = 1 + alpha * A;
        b1 = -2 * c;
        b2 = 1 - alpha * A;
        a0 = 1 + alpha / A;
        a1 = -2 * c;
        a2 = 1 - alpha / A;
    } else {
        const double alpha = s / kPassDivisors[(type - kEqLowPass1) / 2];
        const bool lowPass = (type - kEqLowPass1) % 2 == 0;
        b0 = b2 = lowPass ? (1 - c) / 2 : (1 + c) / 2;
        b1 = lowPass ? 1 - c : -(1 + c);
        a0 = 1 + alpha;
        a1 = -2 * c;
        a2 = 1 - alpha;
    }
    b0 /= a0;
    b1 /= a0;
    b2 /= a0;
    a1 /= a0;
    a2 /= a0;
    const double largest = std::max({1.0, std::abs(b0), std::abs(b1), std::abs(b2), std::abs(a1), std::abs(a2)});
    if (std::ceil(largest) > 2) QV_TRACE("Warning:A0 >2 may be error! ");
    band.a0 = 0.5;
    band.a1 = a1 / 2;
    band.a2 = a2 / 2;
    band.b0 = b0 / 2;
    band.b1 = b1 / 2;
    band.b2 = b2 / 2;
}

void CEqModel::CalcBandResponse(EqBand& band, std::span<const double> axis) {
    band.response.assign(axis.size(), 0.0);
    if (band.gain > -0.001 && band.gain < 0.001) return;
    for (std::size_t i = 0; i < axis.size(); ++i) {
        const double w = axis[i];
        const double c1 = std::cos(-w), s1 = std::sin(-w), c2 = std::cos(-2 * w), s2 = std::sin(-2 * w);
        const double nRe = band.b0 + band.b1 * c1 + band.b2 * c2;
        const double nIm = band.b1 * s1 + band.b2 * s2;
        const double dRe = band.a0 + band.a1 * c1 + band.a2 * c2;
        const double dIm = band.a1 * s1 + band.a2 * s2;
        band.response[i] = 20 * std::log10(std::sqrt(nRe * nRe + nIm * nIm) / std::sqrt(dRe * dRe + dIm * dIm));
    }
}

void CEqModel::SumCurves() {
    const std::size_t n = m_axis.size();
    auto add = [&](std::vector<double>& into, int record) {
        if (record < 0) return;
        const std::vector<double>& r = m_bands[record].response;
        for (std::size_t i = 0; i < n && i < r.size(); ++i) into[i] += r[i];
    };
    std::vector<double> sum(n, 0.0);
    for (int b = 0; b < m_count; ++b) add(sum, b);
    m_curveA = sum;
    add(m_curveA, m_filterSlots[0]);
    add(m_curveA, m_filterSlots[1]);
    if (m_filterSlots[2] >= 0 || m_filterSlots[3] >= 0) {
        m_curveB = std::move(sum);
        add(m_curveB, m_filterSlots[2]);
        add(m_curveB, m_filterSlots[3]);
    }
}

}  // namespace qv::controls
