#pragma once
// The band model behind the equaliser editor: second-order filter bands with
// their biquad coefficients (for 48 kHz) and magnitude responses sampled on a
// logarithmic frequency axis, and the summed curves the editor draws.
//
// Plain computation on the UI thread. The axis belongs to the editor, which
// builds it before it initialises the model and keeps it alive as long as
// the model.
#include <array>
#include <span>
#include <vector>

namespace qv::controls {

// Band types.
enum EqBandType : int {
    kEqFlat = 0,
    kEqLowShelf = 1,
    kEqPeaking = 2,
    kEqHighShelf = 3,
    // Low and high pass pairs with the divisors 1.4142135624, 2.61312592975
    // and 1.1547005384.
    kEqLowPass1 = 4,
    kEqHighPass1 = 5,
    kEqLowPass2 = 6,
    kEqHighPass2 = 7,
    kEqLowPass3 = 8,
    kEqHighPass3 = 9,
    // Accepted, but its coefficients are never computed.
    kEqNoCompute = 10,
};

struct EqBand {
    int type = kEqFlat;
    double freq = 0;  // Hz
    double gain = 0;  // dB
    double q = 0;
    double reserved = 0;
    // Normalised by a0 and halved: a0 is always 0.5.
    double a0 = 0, a1 = 0, a2 = 0, b0 = 0, b1 = 0, b2 = 0;
    std::vector<double> response;  // dB per axis point
};

// What SetBandParam sets.
enum EqParam : int { kEqParamGain = 0, kEqParamFreq = 1, kEqParamQ = 2, kEqParamType = 3 };

constexpr double kEqPi = 3.14159265358979;
constexpr double kEqSampleRate = 48000.0;

// log10(24000), computed once and shared by the axis and the grid.
double EqLog10TopFreq();
// n normalised angular frequencies, log-spaced from zeroXFreq Hz up to (not
// including) 24000 Hz.
std::vector<double> BuildEqAxis(int n, double zeroXFreq);

class CEqModel {
public:
    static constexpr int kMaxBands = 31;
    static constexpr int kFilterSlots = 4;
    static constexpr int kRecords = kMaxBands + kFilterSlots;

    // Keeps the axis, clears the bands and the selection and zeroes both
    // curves. Returns 1.
    int Init(std::span<const double> axis);
    // Appends a peaking band with identity coefficients while fewer than 31
    // exist. A Q or frequency of 0 or less, or a value that is not finite,
    // is refused.
    void AddBand(double gain, double freq, double q);
    // Sets one value of a band (EqParam) and recomputes what it changes.
    // Returns 1 when the curves changed, 0 when nothing visible changed or
    // the call was refused (index, what, type outside 0..10, a frequency or
    // Q of 0 or less, a value that is not finite).
    int SetBandParam(int index, double value, int what);
    // Recomputes every band that is not flat, then the curves.
    void RecalcAll();
    // An ordinary band, or count + k - 1 for a set filter slot k; else none.
    void SelectBand(int index);
    void Free();

    int GetBandCount() const { return m_count; }
    int GetSelectedBand() const { return m_selected; }
    // Records 0..34; null outside.
    const EqBand* GetBand(int index) const;
    // The band record of filter slot k (1..4), or -1.
    int GetFilterSlot(int k) const { return k >= 1 && k <= kFilterSlots ? m_filterSlots[k - 1] : -1; }
    const std::vector<double>& GetCurveA() const { return m_curveA; }
    const std::vector<double>& GetCurveB() const { return m_curveB; }
    std::size_t GetPointCount() const { return m_axis.size(); }

    static bool IsFlat(double gain) { return gain > -0.01 && gain < 0.01; }
    static void CalcBandCoefficients(EqBand& band);
    static void CalcBandResponse(EqBand& band, std::span<const double> axis);

private:
    void SumCurves();

    std::span<const double> m_axis;
    std::vector<EqBand> m_bands;
    std::array<int, kFilterSlots> m_filterSlots{-1, -1, -1, -1};
    int m_count = 0;
    int m_selected = -1;
    std::vector<double> m_curveA;
    std::vector<double> m_curveB;
};

}  // namespace qv::controls
