// Equaliser response: section designs, filter sections, grids, channel curves and the drag mapping.

#include "EqResponse.h"
#include "CChainChannel.h"
#include "CEqBlockItem.h"
#include "CHlpfItem.h"
#include "EqBiquad.h"
#include "EqDragMapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

double sumDb(const QVector<EqBiquad>& sections, double hz)
{
    double db = 0;
    for (const EqBiquad& s : sections)
        db += EqResponse::magnitudeDb(s, hz);
    return db;
}

CHlpfItem* filterBlock(bool highPass, int type, int order, double hz, bool bypass = false)
{
    auto* f = new CHlpfItem;
    f->setIsHpf(highPass);
    f->setType(type);
    f->setOrder(order);
    f->setFreq0(hz);
    f->setBypass(bypass);
    return f;
}

// y of the magnitude curve at `hz`, which must be a grid point.
double curveAt(const QVector<QPointF>& curve, double hz)
{
    for (const QPointF& p : curve)
        if (std::abs(p.x() - std::log10(hz)) < 1e-9)
            return p.y();
    ADD_FAILURE() << hz << " Hz is not on the grid";
    return kNaN;
}

} // namespace

TEST(EqResponseTest, SectionsReadTheirDesignValues)
{
    struct Case
    {
        const char* name;
        QVector<EqBiquad> sections;
        double hz;
        double db;
        double tolerance;
    };
    const Case cases[] = {
        {"peak +6 at centre", {EqBiquad::peaking(1000, 6, 1)}, 1000, 6, 1e-9},
        {"peak -9.5 narrow at centre", {EqBiquad::peaking(250, -9.5, 0.2)}, 250, -9.5, 1e-9},
        {"peak +6 four octaves off", {EqBiquad::peaking(1000, 6, 1)}, 62.5, 0, 0.05},
        {"low shelf low end", {EqBiquad::lowShelf(100, 6)}, 20, 6, 0.3},
        {"low shelf high end", {EqBiquad::lowShelf(100, 6)}, 19000, 0, 0.01},
        {"high shelf high end", {EqBiquad::highShelf(1000, -6)}, 19000, -6, 0.05},
        {"high shelf low end", {EqBiquad::highShelf(1000, -6)}, 20, 0, 0.01},
        {"Butterworth LP2 at f0", EqBiquad::filter(false, 0, 2, 1000), 1000, -3.0103, 1e-3},
        {"Butterworth LP4 at f0", EqBiquad::filter(false, 0, 4, 1000), 1000, -3.0103, 1e-3},
        {"Butterworth HP3 at f0", EqBiquad::filter(true, 0, 3, 500), 500, -3.0103, 1e-3},
        {"Linkwitz-Riley HP4 at f0", EqBiquad::filter(true, 2, 4, 2000), 2000, -6.02, 0.01},
        {"Butterworth LP4 passband", EqBiquad::filter(false, 0, 4, 5000), 100, 0, 1e-3},
        {"Butterworth HP2 an octave below", EqBiquad::filter(true, 0, 2, 1000), 500, -12.3, 0.1},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(sumDb(c.sections, c.hz), c.db, c.tolerance) << c.name;
}

TEST(EqResponseTest, FilterOrdersGiveTheirSections)
{
    struct Case
    {
        bool highPass;
        int type;
        int order;
        QVector<double> qs;
        bool firstOrder;
    };
    const Case cases[] = {
        {true, 0, 1, {}, true},
        {true, 0, 3, {1.0}, true},
        {false, 0, 2, {0.70711}, false},
        {false, 0, 4, {1.30656, 0.54120}, false},
        {true, 1, 1, {}, true},
        {true, 1, 5, {0.916477, 0.563536}, true},
        {false, 2, 6, {0.5, 1.0, 1.0}, false},
        // Odd Linkwitz-Riley orders and unknown types are drawn as Butterworth.
        {false, 2, 3, {1.0}, true},
        {true, 7, 2, {0.70711}, false},
        // Orders above 8 are drawn as 8, orders below 1 not at all.
        {true, 1, 12, {1.225669, 0.710852, 0.559609, 0.505991}, false},
        {true, 0, 0, {}, false},
        {false, 2, -3, {}, false},
    };
    for (const Case& c : cases) {
        const QString name = QString("hp=%1 type=%2 order=%3").arg(c.highPass).arg(c.type).arg(c.order);
        const QVector<EqBiquad> s = EqBiquad::filter(c.highPass, c.type, c.order, 1000);
        ASSERT_EQ(s.size(), c.qs.size() + (c.firstOrder ? 1 : 0)) << qPrintable(name);
        // A second-order section reads 20 log10(Q) at its own frequency, so the Q used shows there.
        for (int k = 0; k < c.qs.size(); ++k) {
            EXPECT_NEAR(EqResponse::magnitudeDb(s[k], 1000), 20 * std::log10(c.qs[k]), 1e-3) << qPrintable(name);
            EXPECT_NE(s[k].a2, 0) << qPrintable(name);
        }
        if (c.firstOrder) {
            EXPECT_EQ(s.last().b2, 0) << qPrintable(name);
            EXPECT_EQ(s.last().a2, 0) << qPrintable(name);
            EXPECT_NEAR(EqResponse::magnitudeDb(s.last(), 1000), -3.0103, 1e-3) << qPrintable(name);
        }
        // High-pass stops the low end, low-pass the high end.
        EXPECT_LT(sumDb(s, c.highPass ? 20 : 19500), s.isEmpty() ? 1 : -10) << qPrintable(name);
    }
}

TEST(EqResponseTest, GridsFollowTheirSteps)
{
    const QVector<double> mag = EqResponse::magnitudeGrid();
    ASSERT_EQ(mag.size(), 300);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(mag[i], 20 + i);
    const int magIndex[] = {100, 189, 190, 279, 280, 299};
    const double magHz[] = {120, 1010, 1020, 9920, 10020, 19520};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(mag[magIndex[i]], magHz[i]) << magIndex[i];

    const QVector<double> ph = EqResponse::phaseGrid();
    ASSERT_EQ(ph.size(), 4498);
    const int phIndex[] = {0, 1, 999, 1000, 1001, 1500, 2100, 2600, 4497};
    const double phHz[] = {20, 20.1, 119.9, 120, 120.2, 220, 520, 1020, 19990};
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(ph[phIndex[i]], phHz[i], 1e-9) << phIndex[i];
}

TEST(EqResponseTest, ChannelCurveTakesOnlyTheActiveBlocks)
{
    struct Case
    {
        const char* name;
        bool eqBypass, bandBypass, hpfBypass, lpfBypass;
        int bandType;
        double at50, at1000, at10020;
    };
    const Case cases[] = {
        {"all active", false, false, false, false, 0, -3.01, 6, -3.01},
        {"EQ block bypassed", true, false, false, false, 0, -3.01, 0, -3.01},
        {"band bypassed", false, true, false, false, 0, -3.01, 0, -3.01},
        {"high-pass bypassed", false, false, true, false, 0, 0, 6, -3.01},
        {"low-pass bypassed", false, false, false, true, 0, -3.01, 6, 0},
        {"band type 3", false, false, false, false, 3, -3.01, 0, -3.01},
        {"band type 9", false, false, false, false, 9, -3.01, 0, -3.01},
    };
    for (const Case& c : cases) {
        CChainChannel ch;
        // The low-pass comes first in the chain: the filters are found wherever they sit.
        ch.appendBlock(filterBlock(false, 0, 2, 10020, c.lpfBypass));
        auto* eq = new CEqBlockItem(3);
        eq->setBypass(c.eqBypass);
        eq->bands()[1].setType(c.bandType);
        eq->bands()[1].setFreq0(1000);
        eq->bands()[1].setDbGain(6);
        eq->bands()[1].setQBwS(0.3);
        eq->bands()[1].setBypass(c.bandBypass);
        ch.appendBlock(eq);
        ch.appendBlock(filterBlock(true, 0, 2, 50, c.hpfBypass));

        const QVector<QPointF> curve = EqResponse::magnitudeCurve(ch, 1);
        ASSERT_EQ(curve.size(), 300) << c.name;
        EXPECT_NEAR(curveAt(curve, 50), 10 * c.at50, 0.1) << c.name;
        EXPECT_NEAR(curveAt(curve, 1000), 10 * c.at1000, 0.1) << c.name;
        EXPECT_NEAR(curveAt(curve, 10020), 10 * c.at10020, 0.1) << c.name;
        // An index that holds no EQ block draws the filters alone.
        EXPECT_NEAR(curveAt(EqResponse::magnitudeCurve(ch, 0), 1000), 0, 0.1) << c.name;
    }
}

TEST(EqResponseTest, FlatBandsAddNothing)
{
    CChainChannel ch;
    auto* eq = new CEqBlockItem(10);
    eq->bands()[2].setQBwS(4);
    eq->bands()[3].setType(1);
    eq->bands()[4].setType(2);
    ch.appendBlock(eq);
    const QVector<QPointF> mag = EqResponse::magnitudeCurve(ch, 0);
    const QVector<QPointF> ph = EqResponse::phaseCurve(ch, 0);
    ASSERT_EQ(mag.size(), 300);
    ASSERT_EQ(ph.size(), 4498);
    for (const QPointF& p : mag)
        ASSERT_NEAR(p.y(), 0, 1e-9) << p.x();
    for (const QPointF& p : ph)
        ASSERT_NEAR(p.y(), 0, 1e-6) << p.x();
    EXPECT_NEAR(mag.first().x(), std::log10(20.0), 1e-12);
    EXPECT_NEAR(ph.last().x(), std::log10(19990.0), 1e-12);
}

TEST(EqResponseTest, PhaseStaysWithinHalfATurn)
{
    CChainChannel ch;
    ch.appendBlock(filterBlock(true, 2, 8, 200));
    auto* eq = new CEqBlockItem(5);
    for (int i = 0; i < 5; ++i) {
        eq->bands()[i].setType(i % 3);
        eq->bands()[i].setDbGain(i % 2 ? 12 : -15);
    }
    ch.appendBlock(eq);
    ch.appendBlock(filterBlock(false, 1, 7, 3000));
    const QVector<QPointF> ph = EqResponse::phaseCurve(ch, 1);
    double lo = 0, hi = 0;
    for (const QPointF& p : ph) {
        ASSERT_TRUE(std::isfinite(p.y())) << p.x();
        lo = qMin(lo, p.y());
        hi = qMax(hi, p.y());
    }
    EXPECT_GE(lo, -180);
    EXPECT_LE(hi, 180);
    // The phase of so many sections turns far enough to wrap.
    EXPECT_LT(lo, -150);
    EXPECT_GT(hi, 150);
}

TEST(EqResponseTest, UnusableValuesNeverGiveNonFinitePoints)
{
    struct Case
    {
        double bandHz, gain, bw, filterHz;
        int order;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {0, 6, 1, 0, 2},         {24000, 6, 1, 24000, 3},  {90000, -12, 2, 90000, 9}, {-100, 6, 1, -100, 4},
        {kNaN, 6, 1, kNaN, 2},   {1000, kNaN, 1, 1000, 2}, {1000, 6, kNaN, inf, 2},   {1000, 6, 1e9, 1000, 2},
        {1000, 1e6, 1, 1000, 2}, {1000, -1e6, 0, 1000, 1}, {inf, inf, inf, 1000, 8},  {23999, 24, 12, 23999, 8},
    };
    for (const Case& c : cases) {
        CChainChannel ch;
        auto* eq = new CEqBlockItem(3);
        for (int type = 0; type < 3; ++type) {
            eq->bands()[type].setType(type);
            eq->bands()[type].setFreq0(c.bandHz);
            eq->bands()[type].setDbGain(c.gain);
            eq->bands()[type].setQBwS(c.bw);
        }
        ch.appendBlock(eq);
        ch.appendBlock(filterBlock(true, 1, c.order, c.filterHz));
        ch.appendBlock(filterBlock(false, 2, c.order, c.filterHz));
        for (const QVector<QPointF>& curve : {EqResponse::magnitudeCurve(ch, 0), EqResponse::phaseCurve(ch, 0)}) {
            ASSERT_FALSE(curve.isEmpty());
            for (const QPointF& p : curve)
                ASSERT_TRUE(std::isfinite(p.y())) << c.bandHz << " " << c.gain << " " << c.bw << " " << c.filterHz;
        }
    }
    // Designs that overflow pass the signal unchanged; a type not drawn or a value not a number gives none.
    for (double gain : {1e6, -1e6, inf})
        for (const EqBiquad& s : {EqBiquad::peaking(1000, gain, 1), EqBiquad::lowShelf(1000, gain),
                                  EqBiquad::highShelf(1000, gain), EqBiquad::peaking(1000, 6, gain)})
            EXPECT_TRUE(s.isFinite()) << gain;
    EqBiquad s;
    EXPECT_FALSE(EqBiquad::band(0, 1000, 6, kNaN, &s));
    EXPECT_FALSE(EqBiquad::band(1, kNaN, 6, 1, &s));
    EXPECT_FALSE(EqBiquad::band(3, 1000, 6, 1, &s));
    EXPECT_TRUE(EqBiquad::band(2, 1000, 6, 1, &s));
    // A band at or above half the sample rate is drawn at the highest design frequency, not dropped.
    EXPECT_NEAR(EqResponse::magnitudeDb(EqBiquad::peaking(24000, 6, 1), EqBiquad::MaxDesignHz), 6, 1e-6);
    EXPECT_NEAR(EqResponse::magnitudeDb(EqBiquad::peaking(0, 6, 1), EqBiquad::MinDesignHz), 6, 1e-6);
}

TEST(EqResponseTest, DragMapsHandlesAndPixels)
{
    using namespace EqDragMapping;
    struct Case
    {
        int handle, x, y, bandCount;
        Target target;
        int band;
        double hz, db;
    };
    const Case cases[] = {
        {1, 20, 62, 10, Band, 0, 19.7, 12},
        {10, 1016, 300, 10, Band, 9, 20200, -24},
        {5, 518, 181, 10, Band, 4, 630.8, -6},
        {5, 21, 100, 10, Band, 4, 19.8, 6.3},
        // Outside the plot the nearest edge counts.
        {2, -40, 1000, 10, Band, 1, 19.7, -24},
        {2, 5000, -10, 10, Band, 1, 20200, 12},
        {0, 1016, 62, 10, HighPass, -1, 20200, 0},
        {100, 20, 300, 10, LowPass, -1, 19.7, 0},
        {250, 518, 62, 0, LowPass, -1, 630.8, 0},
        {11, 518, 62, 10, None, -1, 0, 0},
        {-1, 518, 62, 10, None, -1, 0, 0},
    };
    for (const Case& c : cases) {
        const Result r = drag(c.handle, c.x, c.y, c.bandCount);
        EXPECT_EQ(r.target, c.target) << c.handle;
        EXPECT_EQ(r.band, c.band) << c.handle;
        EXPECT_DOUBLE_EQ(r.frequency, c.hz) << c.handle << " x=" << c.x;
        EXPECT_DOUBLE_EQ(r.gainDb, c.db) << c.handle << " y=" << c.y;
    }
}
