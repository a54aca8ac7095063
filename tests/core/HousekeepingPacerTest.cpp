#include "HousekeepingPacer.h"

#include <gtest/gtest.h>

TEST(HousekeepingPacer, DueOncePerPeriodWhateverThePassRate)
{
    HousekeepingPacer pacer(20);
    pacer.start(0);
    // Passes every millisecond, as under continuous traffic: one step per 20 ms, none skipped.
    int steps = 0;
    for (int now = 0; now <= 1000; ++now)
        steps += pacer.due(now) ? 1 : 0;
    EXPECT_EQ(steps, 50);
}

TEST(HousekeepingPacer, LatePassesCatchUpWithoutDrift)
{
    HousekeepingPacer pacer(20);
    pacer.start(0);
    // Passes every 25 ms: steps keep the 20 ms average instead of slipping to one per pass.
    int steps = 0;
    for (int now = 0; now <= 1000; now += 5) {
        if (now % 25 != 0)
            continue;
        while (pacer.due(now))
            ++steps;
    }
    EXPECT_EQ(steps, 50);
}

TEST(HousekeepingPacer, LongStallIsNotReplayedAsBurst)
{
    HousekeepingPacer pacer(20, 5);
    pacer.start(0);
    int burst = 0;
    while (pacer.due(10000))
        ++burst;
    EXPECT_EQ(burst, 1);
    EXPECT_FALSE(pacer.due(10019));
    EXPECT_TRUE(pacer.due(10020));
}
