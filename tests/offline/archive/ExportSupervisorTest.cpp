#include "ExportSupervisor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct SupervisorCase
{
    const char* name;
    int limit;
    std::vector<int> counts; ///< progress count at each tick
    int stalledAtTick;       ///< 1-based tick that ends the worker; 0 for none
    int stallsAfter;         ///< stall count after the last tick
};

class ExportSupervisorTest : public ::testing::TestWithParam<SupervisorCase>
{
};

TEST_P(ExportSupervisorTest, EndsTheWorkerOnlyAfterLimitTicksWithoutProgress)
{
    const SupervisorCase& c = GetParam();
    ExportSupervisor s(c.limit);
    int stalledAt = 0;
    for (size_t i = 0; i < c.counts.size(); ++i)
        if (s.tick(c.counts[i]) && stalledAt == 0)
            stalledAt = int(i) + 1;
    EXPECT_EQ(stalledAt, c.stalledAtTick);
    EXPECT_EQ(s.stallCount(), c.stallsAfter);
}

INSTANTIATE_TEST_SUITE_P(Sequences, ExportSupervisorTest,
                         ::testing::Values(SupervisorCase{"steadyProgress", 3, {1, 2, 3, 4, 5, 6}, 0, 0},
                                           SupervisorCase{"neverStarts", 3, {0, 0, 0}, 3, 0},
                                           SupervisorCase{"stopsAfterStart", 3, {1, 2, 2, 2, 2}, 5, 0},
                                           SupervisorCase{"oneShortOfLimit", 3, {1, 1, 1}, 0, 2},
                                           SupervisorCase{"progressResetsTheCount", 3, {1, 1, 1, 2, 2, 2}, 0, 2},
                                           SupervisorCase{"countsAfterTheEndStartAfresh", 2, {0, 0, 0, 0, 1}, 2, 0},
                                           SupervisorCase{"defaultLimit", ExportSupervisor::DefaultLimit,
                                                          std::vector<int>(21, 7), 21, 0}),
                         [](const ::testing::TestParamInfo<SupervisorCase>& i) { return std::string(i.param.name); });

TEST(ExportSupervisor, StateLineNamesLimitCountsAndStalls)
{
    ExportSupervisor s(20);
    s.tick(4);
    s.tick(4);
    EXPECT_EQ(s.stateLine(), QStringLiteral("ThreadState: maxNum=20, check=4/4, timeout=1"));
    s.tick(9);
    EXPECT_EQ(s.stateLine(), QStringLiteral("ThreadState: maxNum=20, check=9/4, timeout=0"));
    s.reset();
    EXPECT_EQ(s.stallCount(), 0);
    EXPECT_FALSE(s.tick(5)); // a reset supervisor sees the first count as movement
    EXPECT_EQ(ExportSupervisor::stalledText(), QStringLiteral("导出异常，请尝试重新导出"));
}

} // namespace
