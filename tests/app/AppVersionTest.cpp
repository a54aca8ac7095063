#include "AppVersion.h"

#include <gtest/gtest.h>

TEST(AppVersion, InformationLabelShowsVersionBuildAndAddress)
{
    EXPECT_EQ(AppVersion::infoLabel(0xC0A80A05u), QStringLiteral("3.2.0.9  0918143025\n\nIP: 192.168.10.5"));
    EXPECT_EQ(AppVersion::ipv4Text(0xFFFFFFFFu), QStringLiteral("255.255.255.255"));
    EXPECT_EQ(AppVersion::ipv4Text(0x0A000001u), QStringLiteral("10.0.0.1"));
}

TEST(AppVersion, CrashDumpNameUsesBuildIdAndTwentyFourHourTime)
{
    const QDateTime afternoon(QDate(2026, 3, 7), QTime(15, 4, 9));
    EXPECT_EQ(AppVersion::crashDumpPath(QStringLiteral("/home/u/Documents"), afternoon),
              QStringLiteral("/home/u/Documents/Meridane3/0918143025_260307150409.dmp"));
    const QDateTime morning(QDate(2031, 12, 31), QTime(0, 0, 0));
    EXPECT_EQ(AppVersion::crashDumpFileName(morning), QStringLiteral("0918143025_311231000000.dmp"));
}
