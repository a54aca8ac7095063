#include "DelaySearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// The residual of a return meeting an equal copy `diff` samples apart, as a level: a narrow V with a floor.
double residualDb(int delay, int truth)
{
    const double frac = std::min(1.0, std::abs(delay - truth) / 16.0);
    const double amp = 0.1 * std::sqrt(2.0 * frac);
    return amp <= 0 ? -96.0 : std::max(-96.0, 20.0 * std::log10(amp));
}

TEST(DelaySearch, FindsTheTrueDelayAnywhereInTheRange)
{
    for (int truth : {0, 1, 15, 16, 17, 96, 143, 4799, 4800}) {
        SCOPED_TRACE(truth);
        const DelaySearch::Result r = DelaySearch::find(
            [&](int d, double* level) {
                *level = residualDb(d, truth);
                return true;
            },
            4800);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.delay, truth);
        EXPECT_DOUBLE_EQ(r.level, -96.0);
        EXPECT_LE(r.probes, 4800 / DelaySearch::kCoarseStep + 1 + 2 * DelaySearch::kCoarseStep);
    }
}

TEST(DelaySearch, NeverProbesOutsideTheRangeAndStopsOnSilence)
{
    int lowest = 1 << 30, highest = -1;
    const DelaySearch::Result r = DelaySearch::find(
        [&](int d, double* level) {
            lowest = std::min(lowest, d);
            highest = std::max(highest, d);
            *level = residualDb(d, 100);
            return true;
        },
        100);
    EXPECT_EQ(r.delay, 100);
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, 100);

    int calls = 0;
    const DelaySearch::Result dead = DelaySearch::find(
        [&](int, double*) {
            ++calls;
            return calls < 5;
        },
        4800);
    EXPECT_FALSE(dead.ok);
    EXPECT_EQ(calls, 5) << "the first unanswered setting ends the search";
    // A flat response (nothing cancels): the first point, no wandering.
    const DelaySearch::Result flat = DelaySearch::find(
        [](int, double* level) {
            *level = -20.0;
            return true;
        },
        64);
    EXPECT_TRUE(flat.ok);
    EXPECT_EQ(flat.delay, 0);
}

} // namespace
