#include "LockMasks.h"
#include "ReplyDecoders.h"

#include <gtest/gtest.h>

namespace {

struct DeviceCase
{
    int route;
    int detail;
    const char* text;
};

class DeviceMaskTest : public ::testing::TestWithParam<DeviceCase>
{
};

TEST_P(DeviceMaskTest, ChosenLevelsSurviveTheTripThroughTheDevicesDecoder)
{
    const DeviceCase c = GetParam();
    const QString text = LockMasks::maskText(LockMasks::deviceMask(c.route, c.detail));
    EXPECT_EQ(text, QLatin1String(c.text));
    const ReplyDecoders::DeviceLock back = ReplyDecoders::deviceLock(text);
    EXPECT_EQ(back.routeLock, c.route);
    EXPECT_EQ(back.detailLock, c.detail);
}

INSTANTIATE_TEST_SUITE_P(AllLevels, DeviceMaskTest,
                         ::testing::Values(DeviceCase{0, 0, "0x0"}, DeviceCase{1, 0, "0x1"}, DeviceCase{0, 1, "0x2"},
                                           DeviceCase{1, 1, "0x3"}, DeviceCase{0, 2, "0x10002"},
                                           DeviceCase{1, 2, "0x10003"}));

TEST(LockMasks, DspLevelsGiveTheirMasksAndDecodeBack)
{
    const char* const expected[] = {"0x0", "0x1f", "0x1", "0x1001f"};
    for (int level = 0; level < 4; ++level) {
        const QString text = LockMasks::maskText(LockMasks::dspMask(level));
        EXPECT_EQ(text, QLatin1String(expected[level])) << level;
        EXPECT_EQ(ReplyDecoders::dspLockLevel(text), level) << level;
    }
}

TEST(LockMasks, LevelsOutsideTheirRangeLockNothing)
{
    EXPECT_EQ(LockMasks::deviceMask(2, 0), 0u);
    EXPECT_EQ(LockMasks::deviceMask(-1, 3), 0u);
    EXPECT_EQ(LockMasks::dspMask(4), 0u);
    EXPECT_EQ(LockMasks::dspMask(-1), 0u);
}

} // namespace
