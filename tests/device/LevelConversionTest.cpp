#include "LevelConversion.h"

#include <gtest/gtest.h>

namespace lc = LevelConversion;

namespace {

struct LevelCase
{
    const char* text;
    bool offset;
    int level;
    int meter;
};

class LevelTextTest : public ::testing::TestWithParam<LevelCase>
{
};

TEST_P(LevelTextTest, RowLevelAndMeter)
{
    const LevelCase c = GetParam();
    const int level = lc::levelFromText(QString::fromUtf8(c.text), c.offset);
    EXPECT_EQ(level, c.level) << c.text;
    EXPECT_EQ(lc::meterValue(level), c.meter) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelTextTest,
                         ::testing::Values(LevelCase{"-inf", false, -120, -90}, LevelCase{"-INF", false, -120, -90},
                                           LevelCase{"-inf", true, -117, -90}, LevelCase{"-23.5", false, -23, -23},
                                           LevelCase{"-23.9", false, -23, -23}, LevelCase{"-23.9", true, -20, -20},
                                           LevelCase{"-90.0", false, -90, -90}, LevelCase{"-95", false, -95, -90},
                                           LevelCase{"-0.4", false, 0, 0}, LevelCase{"2.7", false, 2, 0},
                                           LevelCase{"-2", true, 1, 0}, LevelCase{" -12 ", false, -12, -12},
                                           // Garbage is silence, never a full-scale meter.
                                           LevelCase{"", false, -120, -90}, LevelCase{"abc", false, -120, -90},
                                           LevelCase{"nan", false, -120, -90}));

TEST(LevelConversion, FirmwareOffsetWhenTheVersionSortsBefore306AsText)
{
    // Text order, like every firmware rule: "3.0.10" and "10.0.0" sort before "3.0.6".
    for (const char* old : {"3.0.5", "2.9.99", "3.0", "3.0.10", "10.0.0"})
        EXPECT_TRUE(lc::needsLevelOffset(QString::fromLatin1(old))) << old;
    for (const char* current : {"3.0.6", "3.0.6.0", "3.0.7", "3.1", "4"})
        EXPECT_FALSE(lc::needsLevelOffset(QString::fromLatin1(current))) << current;
    // Unknown firmware is taken as current.
    EXPECT_FALSE(lc::needsLevelOffset(QString()));
    EXPECT_FALSE(lc::needsLevelOffset(QStringLiteral("  ")));

    // Same device values, old and current firmware: 3 dB apart.
    const QString v = "-40.2";
    EXPECT_EQ(lc::levelFromText(v, lc::needsLevelOffset("3.0.5")) - lc::levelFromText(v, lc::needsLevelOffset("3.0.6")),
              3);
}

TEST(LevelConversion, MaxLevelOfAnArray)
{
    EXPECT_EQ(lc::maxLevel({"-inf", "-30.5", "-12"}, false), -12);
    EXPECT_EQ(lc::maxLevel({"-inf", "-inf"}, false), -120);
    EXPECT_EQ(lc::maxLevel({"-50", "-40"}, true), -37);
    EXPECT_EQ(lc::maxLevel({}, false), lc::kSilentLevel);
}

struct GainCase
{
    const char* text;
    double gain;
    int slider;
    const char* shown;
};

class GainTextTest : public ::testing::TestWithParam<GainCase>
{
};

TEST_P(GainTextTest, ClampedGainSliderAndText)
{
    const GainCase c = GetParam();
    double gain = 99.0;
    ASSERT_TRUE(lc::gainFromText(QString::fromUtf8(c.text), &gain)) << c.text;
    EXPECT_DOUBLE_EQ(gain, c.gain) << c.text;
    EXPECT_EQ(lc::sliderPosition(gain), c.slider) << c.text;
    EXPECT_EQ(lc::valueText(gain), QString::fromUtf8(c.shown)) << c.text;
    EXPECT_DOUBLE_EQ(lc::gainFromSlider(lc::sliderPosition(gain)), c.slider / 10.0);
}

INSTANTIATE_TEST_SUITE_P(Gains, GainTextTest,
                         ::testing::Values(GainCase{"15", 12.0, 120, "12"}, GainCase{"12", 12.0, 120, "12"},
                                           GainCase{"-inf", -60.0, -600, "-60"}, GainCase{"-75.5", -60.0, -600, "-60"},
                                           GainCase{"0", 0.0, 0, "0"}, GainCase{"-0", 0.0, 0, "0"},
                                           GainCase{"5.5", 5.5, 55, "5.5"}, GainCase{"-3.25", -3.25, -33, "-3.25"},
                                           GainCase{"1.23456789", 1.23456789, 12, "1.23457"}));

TEST(LevelConversion, ParsersRefuseWhatIsOutOfRangeAndKeepTheOldValue)
{
    using Parse = bool (*)(const QString&, double*);
    const Parse gain = [](const QString& t, double* v) { return lc::gainFromText(t, v); };
    const Parse field = [](const QString& t, double* v) { return lc::gainFromField(t, v); };
    const Parse priority = [](const QString& t, double* v) {
        int p = int(*v);
        const bool ok = lc::priorityFromText(t, &p);
        *v = p;
        return ok;
    };
    const struct
    {
        Parse parse;
        const char* text;
        bool ok;
        double value; ///< starts at 4
    } cases[] = {{gain, "loud", false, 4},    {gain, "", false, 4},         {gain, "nan", false, 4},
                 {field, "-60", true, -60},   {field, " 12 ", true, 12},    {field, "12.1", false, 4},
                 {field, "-60.01", false, 4}, {field, "-inf", false, 4},    {field, "x", false, 4},
                 {priority, "0", true, 0},    {priority, "255", true, 255}, {priority, " 128 ", true, 128},
                 {priority, "256", false, 4}, {priority, "-1", false, 4},   {priority, "", false, 4},
                 {priority, "abc", false, 4}, {priority, "12.5", false, 4}, {priority, "1e2", false, 4}};
    for (const auto& c : cases) {
        const char* kind = c.parse == gain ? "gain " : c.parse == field ? "field " : "priority ";
        double v = 4;
        EXPECT_EQ(c.parse(QString::fromLatin1(c.text), &v), c.ok) << kind << c.text;
        EXPECT_DOUBLE_EQ(v, c.value) << kind << c.text;
    }
}

TEST(LevelConversion, SliderPositionStaysInRange)
{
    EXPECT_EQ(lc::sliderPosition(30.0), lc::kSliderMax);
    EXPECT_EQ(lc::sliderPosition(-100.0), lc::kSliderMin);
    EXPECT_EQ(lc::sliderPosition(-0.04), 0);
}

TEST(LevelConversion, Paging)
{
    // More to come: ask from idNext.
    EXPECT_EQ(lc::nextPageStart(0, 32, 64), 32);
    EXPECT_EQ(lc::nextPageStart(32, 48, 64), 48);
    // Last page, or a device reporting beyond the count.
    EXPECT_EQ(lc::nextPageStart(32, 64, 64), -1);
    EXPECT_EQ(lc::nextPageStart(0, 70, 64), -1);
    // No progress, backwards or missing: stop rather than ask the same page forever.
    EXPECT_EQ(lc::nextPageStart(16, 16, 64), -1);
    EXPECT_EQ(lc::nextPageStart(16, 8, 64), -1);
    EXPECT_EQ(lc::nextPageStart(0, 0, 64), -1);
    EXPECT_EQ(lc::nextPageStart(0, -3, 64), -1);
    EXPECT_EQ(lc::nextPageStart(0, 4, 0), -1);
}

} // namespace
