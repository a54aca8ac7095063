// FIR coefficient files, the windowed-sinc preview design and the delay units.

#include "DelayUnits.h"
#include "FirCoefficientReader.h"
#include "FirDesign.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---- delay units --------------------------------------------------------------------------------------------

struct DelayCase
{
    const char* name;
    DelayUnits::Unit unit;
    double value;
    int rate;
    int maxNum;
    int samples;
};

class DelayToSamplesTest : public ::testing::TestWithParam<DelayCase>
{
};

TEST_P(DelayToSamplesTest, RoundsToWholeSamplesWithinTheMaximum)
{
    const DelayCase c = GetParam();
    EXPECT_EQ(DelayUnits::toSamples(c.value, c.unit, c.rate, c.maxNum), c.samples);
}

INSTANTIATE_TEST_SUITE_P(Units, DelayToSamplesTest,
                         ::testing::Values(DelayCase{"ms", DelayUnits::Milliseconds, 10, 48000, 48000, 480},
                                           DelayCase{"meter", DelayUnits::Meters, 3.4, 48000, 48000, 480},
                                           DelayCase{"foot", DelayUnits::Feet, 1, 48000, 48000, 43},
                                           DelayCase{"samples", DelayUnits::Samples, 123.4, 48000, 48000, 123},
                                           DelayCase{"ms96k", DelayUnits::Milliseconds, 10, 96000, 96000, 960},
                                           DelayCase{"noRateIs48k", DelayUnits::Milliseconds, 10, 0, 48000, 480},
                                           DelayCase{"aboveMax", DelayUnits::Milliseconds, 2000, 48000, 48000, 48000},
                                           DelayCase{"smallMax", DelayUnits::Meters, 100, 48000, 1000, 1000},
                                           DelayCase{"negative", DelayUnits::Feet, -3, 48000, 48000, 0},
                                           DelayCase{"negativeMax", DelayUnits::Samples, 10, 48000, -5, 0},
                                           DelayCase{"notANumber", DelayUnits::Milliseconds, kNaN, 48000, 48000, 0},
                                           DelayCase{"huge", DelayUnits::Meters, 1e300, 48000, 48000, 48000}),
                         [](const ::testing::TestParamInfo<DelayCase>& i) { return std::string(i.param.name); });

TEST(DelayUnitsTest, EveryUnitReadsBackTheSamplesItWasMadeOf)
{
    for (int rate : {44100, 48000, 96000}) {
        for (auto unit : {DelayUnits::Samples, DelayUnits::Milliseconds, DelayUnits::Meters, DelayUnits::Feet}) {
            for (int samples : {0, 1, 43, 480, 47999}) {
                const double shown = DelayUnits::fromSamples(samples, unit, rate);
                EXPECT_EQ(DelayUnits::toSamples(shown, unit, rate, 48000), samples)
                    << "rate " << rate << " unit " << unit << " samples " << samples;
            }
        }
    }
}

// ---- coefficient files --------------------------------------------------------------------------------------

using Status = FirCoefficientReader::Status;

struct ReadCase
{
    const char* name;
    QByteArray text;
    int maxCount;
    Status status;
    QVector<double> values; ///< expected when Ok
    int layout;             ///< expected when Ok or TooMany
};

QByteArray lines(int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += QByteArray::number(i * 0.001) + "\n";
    return out;
}

class CoefficientReadTest : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(CoefficientReadTest, FirstLayoutMadeOfNumbersDecides)
{
    const ReadCase c = GetParam();
    const FirCoefficientReader::Result r = FirCoefficientReader::read(c.text, c.maxCount);
    ASSERT_EQ(int(r.status), int(c.status));
    if (c.status == Status::Ok) {
        ASSERT_EQ(r.values.size(), c.values.size());
        for (int i = 0; i < c.values.size(); ++i)
            EXPECT_DOUBLE_EQ(r.values[i], c.values[i]) << i;
    } else {
        EXPECT_TRUE(r.values.isEmpty()) << "nothing is handed on unless all is well";
    }
    if (c.status == Status::Ok || c.status == Status::TooMany) {
        EXPECT_EQ(r.layout, c.layout);
    }
}

const QVector<double> kThree = {0.5, -0.25, 0.00125};

INSTANTIATE_TEST_SUITE_P(
    Layouts, CoefficientReadTest,
    ::testing::Values(
        ReadCase{"perLine", "0.5\n-0.25\n1.25e-3\n", 512, Status::Ok, kThree, 1},
        ReadCase{"perLineCrlfTrailingCommas", "0.5,\r\n-0.25;\r\n\r\n+1.25E-3\r\n", 512, Status::Ok, kThree, 1},
        ReadCase{"commaList", "0.5, -0.25,0.00125", 512, Status::Ok, kThree, 2},
        ReadCase{"tabsAndSpacesOverLines", "0.5\t-0.25 \n  .00125", 512, Status::Ok, kThree, 2},
        ReadCase{"matlabRows", "[0.5, -0.25; 0.00125]", 512, Status::Ok, kThree, 3},
        ReadCase{"parentheses", "(0.5 -0.25\n0.00125)", 512, Status::Ok, kThree, 3},
        ReadCase{"assignment", "h = [0.5 -0.25 0.00125];", 512, Status::Ok, kThree, 4},
        ReadCase{"cArray", "const double h[3] = {0.5, -0.25, 0.00125};", 512, Status::Ok, kThree, 4},
        ReadCase{"comments", "% exported\n0.5 // first\n-0.25 # second\n0.00125\n", 512, Status::Ok, kThree, 1},
        ReadCase{"oneAboveMax", lines(513), 512, Status::TooMany, {}, 1},
        ReadCase{"maxItselfBounded", lines(FirCoefficientReader::kMaxCount + 1), 1 << 30, Status::TooMany, {}, 1},
        ReadCase{"words", "hello world", 512, Status::NoLayout, {}, 0},
        ReadCase{"headerLine", "coefficients:\n0.5\n0.25\n", 512, Status::NoLayout, {}, 0},
        ReadCase{"notANumber", "0.5\nnan\n", 512, Status::NoLayout, {}, 0},
        ReadCase{"infinity", "0.5, inf", 512, Status::NoLayout, {}, 0},
        ReadCase{"overflow", "0.5\n1e999\n", 512, Status::NoLayout, {}, 0},
        ReadCase{"loneSigns", "-, +, .", 512, Status::NoLayout, {}, 0},
        ReadCase{"exponentWithoutDigits", "1e\n2", 512, Status::NoLayout, {}, 0},
        ReadCase{"hexNumbers", "0x10, 0x20", 512, Status::NoLayout, {}, 0},
        ReadCase{"emptyArray", "h = [];", 512, Status::NoLayout, {}, 0},
        ReadCase{"empty", "", 512, Status::NoLayout, {}, 0},
        ReadCase{"binary", QByteArray("\x00\x01\xff\xfe\x7f 1 2", 9), 512, Status::NoLayout, {}, 0},
        ReadCase{"tooLarge", QByteArray(int(FirCoefficientReader::kMaxBytes) + 1, '1'), 512, Status::TooLarge, {}, 0}),
    [](const ::testing::TestParamInfo<ReadCase>& i) { return std::string(i.param.name); });

TEST(CoefficientReadTest, ExactlyTheMaximumIsAccepted)
{
    const FirCoefficientReader::Result r = FirCoefficientReader::read(lines(512), 512);
    ASSERT_EQ(r.values.size(), 512);
    EXPECT_DOUBLE_EQ(r.values.last(), 511 * 0.001);
}

TEST(CoefficientReadTest, FilesAreOpenedOrSaySo)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(int(FirCoefficientReader::readFile(dir.filePath("missing.txt"), 512).status), int(Status::OpenFailed));
    QFile f(dir.filePath("h.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("h = [0.5 -0.25 0.00125];\n");
    f.close();
    const FirCoefficientReader::Result r = FirCoefficientReader::readFile(f.fileName(), 512);
    EXPECT_EQ(int(r.status), int(Status::Ok));
    EXPECT_EQ(r.values, kThree);
}

TEST(CoefficientJsonTest, StoredArrayReadsBackAndSkipsWhatIsNoNumber)
{
    const QVector<double> values = {0.123456789, -1e-7, 0, 1, -0.999999999};
    const QString text = FirCoefficientReader::toJsonArray(values);
    EXPECT_TRUE(text.startsWith(QStringLiteral("[\""))) << "numbers travel as decimal texts";
    const QVector<double> back = FirCoefficientReader::fromJsonArray(text);
    ASSERT_EQ(back.size(), values.size());
    for (int i = 0; i < values.size(); ++i)
        EXPECT_NEAR(back[i], values[i], 1e-9 * qMax(1.0, std::abs(values[i])));
    EXPECT_EQ(FirCoefficientReader::fromJsonArray(QStringLiteral("[\"0.5\",0.25,\"x\",null,\"inf\",{}]")),
              (QVector<double>{0.5, 0.25}));
    EXPECT_TRUE(FirCoefficientReader::fromJsonArray(QStringLiteral("not json")).isEmpty());
}

// ---- design -------------------------------------------------------------------------------------------------

struct DesignCase
{
    const char* name;
    int type;
    int window;
    int taps;
    double lowHz;
    double highHz;
    double attDb;
    std::vector<double> passHz; ///< within 0.1 dB of 0 dB
    std::vector<double> stopHz; ///< at or below stopDb
    double stopDb;
};

class FirDesignTest : public ::testing::TestWithParam<DesignCase>
{
};

TEST_P(FirDesignTest, PassesThePassBandAndStopsTheStopBand)
{
    const DesignCase c = GetParam();
    const QVector<double> h = FirDesign::design(c.type, c.window, c.taps, c.lowHz, c.highHz, c.attDb);
    ASSERT_EQ(h.size(), c.taps);
    for (int i = 0; i < h.size(); ++i)
        ASSERT_NEAR(h[i], h[h.size() - 1 - i], 1e-12) << "linear phase needs symmetric taps, index " << i;
    for (double hz : c.passHz)
        EXPECT_NEAR(FirDesign::magnitudeDb(h, hz), 0, 0.1) << hz << " Hz";
    for (double hz : c.stopHz)
        EXPECT_LE(FirDesign::magnitudeDb(h, hz), c.stopDb) << hz << " Hz";
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FirDesignTest,
    ::testing::Values(
        DesignCase{
            "lowPassKaiser60", 0, FirDesign::Kaiser, 255, 19.6, 1000, 60, {0, 100, 300}, {2000, 5000, 20000}, -57},
        DesignCase{"lowPassHamming", 0, FirDesign::Hamming, 127, 19.6, 5000, 21, {0, 1000, 3000}, {7500, 15000}, -45},
        DesignCase{"lowPassHanning", 0, FirDesign::Hanning, 127, 19.6, 5000, 21, {0, 1000}, {8000, 15000}, -40},
        DesignCase{"highPassBlackman", 1, FirDesign::Blackman, 255, 2000, 20001, 21, {10000, 23999}, {100, 1000}, -70},
        DesignCase{
            "bandPassKaiser80", 2, FirDesign::Kaiser, 511, 500, 5000, 80, {1500, 3000}, {100, 10000, 20000}, -77},
        DesignCase{"bandPassKaiser30", 2, FirDesign::Kaiser, 511, 500, 5000, 30, {1500}, {100, 10000}, -27}),
    [](const ::testing::TestParamInfo<DesignCase>& i) { return std::string(i.param.name); });

TEST(FirDesignWindowTest, RectangleLeaksWhereAWindowDoesNot)
{
    // The same low-pass: its worst stop-band gain tells whether the window was applied at all.
    auto worstStop = [](int window) {
        const QVector<double> h = FirDesign::design(0, window, 127, 19.6, 1000, 21);
        double worst = FirDesign::kFloorDb;
        for (double hz = 2500; hz < 24000; hz += 50)
            worst = qMax(worst, FirDesign::magnitudeDb(h, hz));
        return worst;
    };
    EXPECT_GT(worstStop(FirDesign::Rectangle), -35);
    EXPECT_LT(worstStop(FirDesign::Hamming), -45);
    EXPECT_LT(worstStop(FirDesign::Blackman), -65);
}

TEST(FirDesignWindowTest, KaiserBetaFollowsTheAttenuation)
{
    // Kaiser's empirical formula: none below 21 dB, the two branches meeting at 50 dB.
    const struct
    {
        double attDb;
        double beta;
    } cases[] = {{0, 0}, {21, 0}, {30, 2.1166}, {50, 4.5335}, {60, 5.6533}, {100, 10.0613}, {kNaN, 0}, {1e9, 32.1013}};
    for (const auto& c : cases)
        EXPECT_NEAR(FirDesign::kaiserBeta(c.attDb), c.beta, 1e-3) << c.attDb;
}

TEST(FirDesignTest, UnusableRequestsGiveNothingOrStayBounded)
{
    EXPECT_TRUE(FirDesign::design(3, 0, 127, 100, 1000, 21).isEmpty());
    EXPECT_TRUE(FirDesign::design(-1, 0, 127, 100, 1000, 21).isEmpty());
    EXPECT_TRUE(FirDesign::design(0, 0, 0, 100, 1000, 21).isEmpty());
    EXPECT_EQ(FirDesign::design(0, 0, 1 << 30, 100, 1000, 21).size(), FirDesign::kMaxTaps);
    for (double edge : {kNaN, -5.0, 0.0, 1e9}) {
        for (int type : {0, 1, 2}) {
            const QVector<double> h = FirDesign::design(type, FirDesign::Kaiser, 63, edge, edge, 1e9);
            ASSERT_EQ(h.size(), 63);
            for (double v : h)
                ASSERT_TRUE(std::isfinite(v)) << "type " << type << " edge " << edge;
        }
    }
}

TEST(FirDesignTest, ResponseCoversTheGridOnALogScale)
{
    const QVector<QPointF> r = FirDesign::response(FirDesign::design(0, FirDesign::Hamming, 63, 0, 1000, 21));
    ASSERT_EQ(r.size(), 256);
    EXPECT_DOUBLE_EQ(r.first().x(), FirDesign::kMinHz);
    EXPECT_NEAR(r.last().x(), FirDesign::kMaxHz, 1e-6);
    EXPECT_NEAR(r[128].x() / r[127].x(), r[1].x() / r[0].x(), 1e-9) << "equal ratios between neighbours";
    for (const QPointF& p : r)
        ASSERT_GE(p.y(), FirDesign::kFloorDb);
    EXPECT_EQ(FirDesign::response({}).first().y(), FirDesign::kFloorDb) << "no coefficients pass nothing";
}

} // namespace
