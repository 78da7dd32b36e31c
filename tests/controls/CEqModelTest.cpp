// The equaliser's band model against biquads built here from the standard
// cookbook formulas, evaluated as complex transfer functions.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <vector>

#include "controls/CEqModel.h"

namespace qv::controls {
namespace {

constexpr double kFs = 48000.0;

struct Biquad {
    double b0, b1, b2, a0, a1, a2;
};

double W0(double f0) { return 2 * std::numbers::pi * f0 / kFs; }

double MagnitudeDb(const Biquad& f, double w) {
    const std::complex<double> z1 = std::polar(1.0, -w);
    const std::complex<double> z2 = z1 * z1;
    return 20 * std::log10(std::abs((f.b0 + f.b1 * z1 + f.b2 * z2) / (f.a0 + f.a1 * z1 + f.a2 * z2)));
}

Biquad Peaking(double f0, double gainDb, double q) {
    const double A = std::pow(10, gainDb / 40), w = W0(f0), alpha = std::sin(w) / (2 * q);
    return {1 + alpha * A, -2 * std::cos(w), 1 - alpha * A, 1 + alpha / A, -2 * std::cos(w), 1 - alpha / A};
}

// The cookbook shelves with 2*sqrt(A)*alpha; the model's S = sqrt(2A)*sin(w0)/Q
// is that with the cookbook's Q taken as Q / sqrt(2).
Biquad Shelf(bool low, double f0, double gainDb, double q) {
    const double A = std::pow(10, gainDb / 40), w = W0(f0), c = std::cos(w);
    const double alpha = std::sin(w) / (2 * (q / std::numbers::sqrt2));
    const double k = 2 * std::sqrt(A) * alpha;
    const double sign = low ? 1 : -1;
    return {A * ((A + 1) - sign * (A - 1) * c + k), sign * 2 * A * ((A - 1) - sign * (A + 1) * c),
            A * ((A + 1) - sign * (A - 1) * c - k), (A + 1) + sign * (A - 1) * c + k,
            -sign * 2 * ((A - 1) + sign * (A + 1) * c), (A + 1) + sign * (A - 1) * c - k};
}

// The cookbook passes; the model's alpha = sin(w0)/J is Q = J / 2.
Biquad Pass(bool low, double f0, double q) {
    const double w = W0(f0), c = std::cos(w), alpha = std::sin(w) / (2 * q);
    if (low) return {(1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha};
    return {(1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha};
}

class EqModelTest : public ::testing::Test {
protected:
    // One band of the given type, gain, frequency and Q, recomputed.
    const EqBand& Band(int type, double gain, double freq, double q = 1.7) {
        model.Init(axis);
        model.AddBand(gain, freq, q);
        EXPECT_EQ(model.SetBandParam(0, type, kEqParamType), CEqModel::IsFlat(gain) ? 0 : 1);
        return *model.GetBand(0);
    }
    std::vector<double> axis;
    CEqModel model;
};

TEST_F(EqModelTest, PeakingBandFollowsTheCookbookAndReachesItsGainAtTheCentre) {
    axis = BuildEqAxis(1024, 10);
    axis.push_back(W0(1000));
    const EqBand& band = Band(kEqPeaking, 12, 1000);
    const Biquad ref = Peaking(1000, 12, 1.7);
    for (std::size_t i = 0; i < axis.size(); ++i) ASSERT_NEAR(band.response[i], MagnitudeDb(ref, axis[i]), 1e-9) << i;
    EXPECT_NEAR(band.response.back(), 12.000, 1e-9);
    EXPECT_NEAR(band.response.front(), 0, 0.01);  // 10 Hz, far below
    EXPECT_DOUBLE_EQ(band.a0, 0.5);                // stored halved
    EXPECT_NEAR(band.b0 * 2, ref.b0 / ref.a0, 1e-12);
}

TEST_F(EqModelTest, ShelvesReachTheirGainAtOneEndAndHalfItAtTheCorner) {
    axis = {0, W0(1000), std::numbers::pi};
    for (double gain : {6.0, -9.0}) {
        SCOPED_TRACE(gain);
        const EqBand& low = Band(kEqLowShelf, gain, 1000);
        EXPECT_NEAR(low.response[0], gain, 1e-9);
        EXPECT_NEAR(low.response[1], gain / 2, 1e-9);
        EXPECT_NEAR(low.response[2], 0, 1e-9);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(low.response[i], MagnitudeDb(Shelf(true, 1000, gain, 1.7), axis[i]), 1e-9);
        const EqBand& high = Band(kEqHighShelf, gain, 1000);
        EXPECT_NEAR(high.response[0], 0, 1e-9);
        EXPECT_NEAR(high.response[1], gain / 2, 1e-9);
        EXPECT_NEAR(high.response[2], gain, 1e-9);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(high.response[i], MagnitudeDb(Shelf(false, 1000, gain, 1.7), axis[i]), 1e-9);
    }
}

TEST_F(EqModelTest, PassBandsAtTheirCutoffFollowTheirDivisor) {
    axis = {W0(1000)};
    const struct {
        int lowType;
        double divisor;
        double atCutoff;
    } cases[] = {{kEqLowPass1, 1.4142135624, -3.0103}, {kEqLowPass2, 2.61312592975, 2.3226}, {kEqLowPass3, 1.1547005384, -4.7712}};
    for (const auto& c : cases) {
        for (bool low : {true, false}) {
            SCOPED_TRACE(c.lowType + (low ? 0 : 1));
            // The gain only has to be non-flat for the band to be drawn.
            const EqBand& band = Band(c.lowType + (low ? 0 : 1), 3, 1000);
            EXPECT_NEAR(band.response[0], MagnitudeDb(Pass(low, 1000, c.divisor / 2), axis[0]), 1e-9);
            EXPECT_NEAR(band.response[0], c.atCutoff, 5e-5);
        }
    }
}

TEST_F(EqModelTest, IdentityCoefficientsWhereNothingIsComputed) {
    const struct {
        int type;
        double gain;
        double freq;
        bool identity;
    } cases[] = {
        {kEqFlat, 6, 1000, true},        {kEqPeaking, 0, 1000, true},       {kEqLowPass1, 6, 19.9, true},
        {kEqLowPass1, 6, 20, false},     {kEqHighPass2, 6, 22000, false},   {kEqHighPass2, 6, 22000.5, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " " << c.gain << " " << c.freq);
        EqBand band;
        band.type = c.type;
        band.gain = c.gain;
        band.freq = c.freq;
        band.q = 1.7;
        CEqModel::CalcBandCoefficients(band);
        const bool identity = band.a0 == 0.5 && band.b0 == 0.5 && band.a1 == 0 && band.a2 == 0 && band.b1 == 0 && band.b2 == 0;
        EXPECT_EQ(identity, c.identity);
    }
    // Type 10 keeps whatever it had.
    EqBand untouched;
    untouched.type = kEqNoCompute;
    untouched.gain = 6;
    untouched.freq = 1000;
    untouched.b1 = 0.25;
    CEqModel::CalcBandCoefficients(untouched);
    EXPECT_EQ(untouched.b1, 0.25);
    EXPECT_EQ(untouched.a0, 0);
}

TEST_F(EqModelTest, SetBandParamReportsOnlyVisibleChanges) {
    axis = BuildEqAxis(64, 10);
    model.Init(axis);
    model.AddBand(0, 1000, 1.7);
    model.AddBand(3, 250, 1.7);
    model.RecalcAll();
    EXPECT_EQ(model.GetSelectedBand(), -1);
    EXPECT_EQ(model.SetBandParam(0, 0.005, kEqParamGain), 0);  // flat to flat
    EXPECT_EQ(model.SetBandParam(0, 6, kEqParamGain), 1);
    EXPECT_EQ(model.GetSelectedBand(), 0);
    EXPECT_EQ(model.SetBandParam(1, 0, kEqParamGain), 1);  // 3 dB to flat
    EXPECT_EQ(model.GetSelectedBand(), -1);
    for (int i = 0; i < 64; ++i) ASSERT_DOUBLE_EQ(model.GetCurveA()[i], model.GetBand(0)->response[i]);
    EXPECT_EQ(model.SetBandParam(0, 10, kEqParamType), 1);
    EXPECT_EQ(model.GetBand(0)->type, kEqNoCompute);
}

TEST_F(EqModelTest, RefusedValuesChangeNothing) {
    axis = BuildEqAxis(16, 10);
    model.Init(axis);
    model.AddBand(6, 1000, 1.7);
    model.RecalcAll();
    const EqBand before = *model.GetBand(0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        int index;
        double value;
        int what;
    } refused[] = {{1, 3, kEqParamGain}, {-1, 3, kEqParamGain}, {0, 3, 4},           {0, 11, kEqParamType},
                   {0, -1, kEqParamType}, {0, 0, kEqParamQ},      {0, -2, kEqParamQ},   {0, 0, kEqParamFreq},
                   {0, nan, kEqParamGain}, {0, inf, kEqParamFreq}, {0, nan, kEqParamType}};
    for (const auto& r : refused) {
        SCOPED_TRACE(testing::Message() << r.index << " " << r.value << " " << r.what);
        EXPECT_EQ(model.SetBandParam(r.index, r.value, r.what), 0);
        const EqBand& now = *model.GetBand(0);
        EXPECT_EQ(now.gain, before.gain);
        EXPECT_EQ(now.freq, before.freq);
        EXPECT_EQ(now.q, before.q);
        EXPECT_EQ(now.type, before.type);
        EXPECT_EQ(now.response, before.response);
    }
    model.AddBand(3, 0, 1.7);
    model.AddBand(3, 500, -1);
    model.AddBand(nan, 500, 1);
    EXPECT_EQ(model.GetBandCount(), 1);
}

TEST_F(EqModelTest, AddsAtMostThirtyOneBandsEachStartingAsIdentity) {
    axis = BuildEqAxis(8, 20);
    model.Init(axis);
    for (int i = 0; i < 32; ++i) model.AddBand(1, 100 + i, 1);
    EXPECT_EQ(model.GetBandCount(), 31);
    const EqBand& last = *model.GetBand(30);
    EXPECT_EQ(last.type, kEqPeaking);
    EXPECT_EQ(last.b0, 0.5);
    EXPECT_EQ(last.a0, 0.5);
    EXPECT_EQ(last.b1, 0);
    EXPECT_EQ(last.response, std::vector<double>(8, 0.0));
}

TEST_F(EqModelTest, CurveAIsTheSumOfTheBands) {
    axis = BuildEqAxis(1024, 10);
    model.Init(axis);
    const double freqs[] = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    const double gains[] = {12, -3, 0, 4.5, -12, 6, 0.005, -7, 2, 9};
    for (int i = 0; i < 10; ++i) model.AddBand(gains[i], freqs[i], 1.7);
    model.RecalcAll();
    for (std::size_t p = 0; p < axis.size(); p += 7) {
        double sum = 0;
        for (int i = 0; i < 10; ++i) {
            if (!CEqModel::IsFlat(gains[i])) sum += MagnitudeDb(Peaking(freqs[i], gains[i], 1.7), axis[p]);
        }
        ASSERT_NEAR(model.GetCurveA()[p], sum, 1e-9) << p;
    }
    model.SelectBand(9);
    EXPECT_EQ(model.GetSelectedBand(), 9);
    model.SelectBand(10);  // no filter slot is set
    EXPECT_EQ(model.GetSelectedBand(), -1);
}

}  // namespace
}  // namespace qv::controls
