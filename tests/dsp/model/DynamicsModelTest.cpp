// Dynamics controls: threshold slider encoding, the ratio table and the static transfer curves.

#include "DynamicsRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace DynamicsRules;

namespace {

struct SliderCase
{
    Curve kind;
    double db;
    int slider; ///< where the threshold shows
};

class ThresholdSliderTest : public ::testing::TestWithParam<SliderCase>
{
};

TEST_P(ThresholdSliderTest, EncodesWithinTheKindsRange)
{
    const SliderCase c = GetParam();
    EXPECT_EQ(thresholdToSlider(c.db, thresholdRange(c.kind)), c.slider);
}

INSTANTIATE_TEST_SUITE_P(Ends, ThresholdSliderTest,
                         ::testing::Values(SliderCase{Curve::Compressor, -100, 0},
                                           SliderCase{Curve::Compressor, 0, 1000},
                                           SliderCase{Curve::Compressor, -20.04, 800},
                                           SliderCase{Curve::Compressor, -20.06, 799},
                                           SliderCase{Curve::Expander, -35.5, 645}, SliderCase{Curve::Limiter, 6, 1000},
                                           SliderCase{Curve::Limiter, -120, 0}, SliderCase{Curve::Gate, -42, 580},
                                           SliderCase{Curve::Gate, -20, 580}, SliderCase{Curve::Gate, -90, 100},
                                           SliderCase{Curve::Compressor, std::numeric_limits<double>::quiet_NaN(), 0}));

TEST(DynamicsRulesTest, SliderPositionsDecodeToTenthsOfADecibel)
{
    EXPECT_DOUBLE_EQ(sliderToThreshold(801), -19.9);
    const ThresholdRange gate = thresholdRange(Curve::Gate);
    EXPECT_EQ(gate.sliderMax, 580);
    EXPECT_DOUBLE_EQ(gate.maxDb, -42);
    EXPECT_EQ(thresholdRange(Curve::Limiter).sliderMax, 1000);
    // Every slider position survives the way back.
    for (int s = 0; s <= 1000; ++s)
        ASSERT_EQ(thresholdToSlider(sliderToThreshold(s), thresholdRange(Curve::Compressor)), s);
}

TEST(DynamicsRulesTest, RatioTableLabelsAndLookUp)
{
    const double table[kRatioCount] = {1.2, 1.5, 2, 3, 4, 6, 10, 20, 40, 128};
    for (int i = 0; i < kRatioCount; ++i) {
        EXPECT_DOUBLE_EQ(ratioAt(i), table[i]);
        EXPECT_EQ(ratioPosition(table[i] + 5e-7), i) << "matches within 1e-6";
    }
    EXPECT_DOUBLE_EQ(ratioAt(-3), 1.2);
    EXPECT_DOUBLE_EQ(ratioAt(42), 128);
    const struct
    {
        double ratio;
        int position;
        const char* label;
    } lookUps[] = {{2.5, 0, "1.2:1"}, {4.00001, 0, "1.2:1"}, {128, 9, "128:1"}, {40, 8, "40:1"}, {0, 0, "1.2:1"}};
    for (const auto& c : lookUps) {
        const int pos = ratioPosition(c.ratio);
        EXPECT_EQ(pos, c.position) << c.ratio;
        EXPECT_EQ(ratioLabel(ratioAt(pos)), QLatin1String(c.label)) << c.ratio;
    }
}

TEST(DynamicsRulesTest, OnlyDifferencesOfAMillionthAreChanges)
{
    const struct
    {
        double stored;
        double typed;
        bool changed;
    } cases[] = {{-20, -20, false},  {-20, -20.0000005, false}, {-20, -20.000001, true},
                 {-20, -19.9, true}, {100, 110, true},          {0, 0, false}};
    for (const auto& c : cases)
        EXPECT_EQ(changed(c.stored, c.typed), c.changed) << c.stored << " -> " << c.typed;
}

// y of the curve at input x (the first point there, the gate's closed side).
double at(const QVector<QPointF>& curve, double x)
{
    for (const QPointF& p : curve) {
        if (std::fabs(p.x() - x) < 1e-9)
            return p.y();
    }
    ADD_FAILURE() << "no point at " << x;
    return std::numeric_limits<double>::quiet_NaN();
}

struct CurveCase
{
    const char* name;
    Curve kind;
    double threshold;
    double ratio;
    double in;
    double out; ///< worked out by hand
};

class TransferCurveTest : public ::testing::TestWithParam<CurveCase>
{
};

TEST_P(TransferCurveTest, OutputAtInput)
{
    const CurveCase c = GetParam();
    EXPECT_NEAR(at(transferCurve(c.kind, c.threshold, c.ratio), c.in), c.out, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(HandWorked, TransferCurveTest,
                         ::testing::Values(CurveCase{"compressorAbove", Curve::Compressor, -20, 4, -8, -17},
                                           CurveCase{"compressorTop", Curve::Compressor, -20, 4, 0, -15},
                                           CurveCase{"compressorBelow", Curve::Compressor, -20, 4, -50, -50},
                                           CurveCase{"compressorHalfDbThreshold", Curve::Compressor, -30.5, 2, -30.5,
                                                     -30.5},
                                           CurveCase{"compressorHalfDbAbove", Curve::Compressor, -30.5, 2, -10, -20.25},
                                           CurveCase{"compressorRatioZeroIsUnity", Curve::Compressor, -20, 0, -5, -5},
                                           CurveCase{"expanderBelow", Curve::Expander, -40, 2, -50, -60},
                                           CurveCase{"expanderClipped", Curve::Expander, -40, 3, -80, -100},
                                           CurveCase{"expanderAbove", Curve::Expander, -40, 3, -10, -10},
                                           CurveCase{"limiterAbove", Curve::Limiter, -12, 1, -3, -12},
                                           CurveCase{"limiterBelow", Curve::Limiter, -12, 1, -30, -30},
                                           CurveCase{"limiterThresholdAboveTop", Curve::Limiter, 10, 1, 0, 0},
                                           CurveCase{"gateClosed", Curve::Gate, -60, 1, -61, -100},
                                           CurveCase{"gateClosedAtThreshold", Curve::Gate, -60.3, 1, -60.3, -100},
                                           CurveCase{"gateOpen", Curve::Gate, -60.3, 1, -60, -60}),
                         [](const ::testing::TestParamInfo<CurveCase>& i) { return std::string(i.param.name); });

TEST(DynamicsRulesTest, CurvesSpanTheWholeRangeInOrder)
{
    for (Curve kind : {Curve::Compressor, Curve::Expander, Curve::Limiter, Curve::Gate}) {
        for (double t : {-100.0, -42.5, -20.0, 0.0, std::numeric_limits<double>::quiet_NaN()}) {
            const QVector<QPointF> curve = transferCurve(kind, t, 128);
            ASSERT_GE(curve.size(), 101);
            EXPECT_DOUBLE_EQ(curve.first().x(), -100);
            EXPECT_DOUBLE_EQ(curve.last().x(), 0);
            for (int i = 1; i < curve.size(); ++i) {
                EXPECT_LE(curve.at(i - 1).x(), curve.at(i).x());
                EXPECT_LE(curve.at(i - 1).y(), curve.at(i).y()) << "output never falls as the input rises";
                EXPECT_TRUE(std::isfinite(curve.at(i).y()));
                EXPECT_GE(curve.at(i).y(), -100);
            }
        }
    }
    // The gate drops straight down at its threshold.
    const QVector<QPointF> gate = transferCurve(Curve::Gate, -50.5, 1);
    int atThreshold = 0;
    for (const QPointF& p : gate)
        atThreshold += std::fabs(p.x() + 50.5) < 1e-9 ? 1 : 0;
    EXPECT_EQ(atThreshold, 2);
}

} // namespace
