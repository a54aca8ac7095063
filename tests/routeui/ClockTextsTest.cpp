#include "ClockTexts.h"

#include <gtest/gtest.h>

namespace {

const QString kOwn = QStringLiteral("00-1D-C1-FF-FE-00-00-0A");
const QString kOther = QStringLiteral("00-1D-C1-FF-FE-00-00-0B");

TEST(ClockTexts, GrandmasterIsLockedMasterWhateverItsServoSays)
{
    for (int state : {0, 1, 2, 4, -1}) {
        const ClockTexts::Status s = ClockTexts::status(kOwn, kOwn, state, false);
        EXPECT_TRUE(s.master) << state;
        EXPECT_TRUE(s.locked) << state;
        EXPECT_EQ(QStringLiteral("Master"), ClockTexts::roleText(s, 0, false));
        EXPECT_EQ(QStringLiteral("locked"), ClockTexts::syncText(s, false));
        EXPECT_EQ(QStringLiteral("主"), ClockTexts::roleText(s, 0, true));
        EXPECT_EQ(QStringLiteral("已同步"), ClockTexts::syncText(s, true));
    }
}

TEST(ClockTexts, SlaveIsLockedOnlyInServoStateTwo)
{
    EXPECT_EQ(QStringLiteral("locked"), ClockTexts::syncText(ClockTexts::status(kOwn, kOther, 2, false), false));
    for (int state : {0, 1, 3, 4}) {
        const ClockTexts::Status s = ClockTexts::status(kOwn, kOther, state, false);
        EXPECT_FALSE(s.master);
        EXPECT_EQ(QStringLiteral("unlock"), ClockTexts::syncText(s, false)) << state;
        EXPECT_EQ(QStringLiteral("未同步"), ClockTexts::syncText(s, true)) << state;
        EXPECT_EQ(QStringLiteral("Slave"), ClockTexts::roleText(s, 0, false));
        EXPECT_EQ(QStringLiteral("从"), ClockTexts::roleText(s, 0, true));
    }
}

TEST(ClockTexts, VirtualSoundCardIsAlwaysALockedSlave)
{
    const ClockTexts::Status s = ClockTexts::status(kOwn, kOwn, 0, true);
    EXPECT_FALSE(s.master);
    EXPECT_TRUE(s.locked);
}

TEST(ClockTexts, DeviceWithoutClockIdentityIsNoMaster)
{
    const ClockTexts::Status s = ClockTexts::status(QString(), QString(), 0, false);
    EXPECT_FALSE(s.master);
    EXPECT_FALSE(s.locked);
}

TEST(ClockTexts, DomainAboveZeroFollowsTheRole)
{
    const ClockTexts::Status master = ClockTexts::status(kOwn, kOwn, 0, false);
    const ClockTexts::Status slave = ClockTexts::status(kOwn, kOther, 2, false);
    EXPECT_EQ(QStringLiteral("Master (1)"), ClockTexts::roleText(master, 1, false));
    EXPECT_EQ(QStringLiteral("从 (127)"), ClockTexts::roleText(slave, 127, true));
    EXPECT_EQ(QStringLiteral("Slave"), ClockTexts::roleText(slave, 0, false));
    EXPECT_EQ(QStringLiteral("Slave"), ClockTexts::roleText(slave, -3, false));
}

TEST(ClockTexts, PriorityRangeAndUnsupportedModels)
{
    EXPECT_EQ(QStringLiteral("0"), ClockTexts::priorityText(0, true));
    EXPECT_EQ(QStringLiteral("255"), ClockTexts::priorityText(255, true));
    EXPECT_EQ(QStringLiteral("—"), ClockTexts::priorityText(256, true));
    EXPECT_EQ(QStringLiteral("—"), ClockTexts::priorityText(-1, true));
    EXPECT_EQ(QStringLiteral("NA"), ClockTexts::priorityText(128, false));
    EXPECT_EQ(QStringLiteral("NA"), ClockTexts::priorityText(256, false)) << "NA wins over the range";
}

} // namespace
