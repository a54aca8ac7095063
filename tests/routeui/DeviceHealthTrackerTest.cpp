#include "DeviceHealthTracker.h"

#include <gtest/gtest.h>

namespace {

const QString kDev = QStringLiteral("MRD-0001");
const QString kName = QStringLiteral("Stage left");

DebugInfoReply answer(const QString& devId, double celsius, qint64 uptime = 10, const QString& name = kName)
{
    DebugInfoReply r;
    r.valid = true;
    r.devId = devId;
    r.devName = name;
    r.temperature = celsius;
    r.uptimeSeconds = uptime;
    return r;
}

TEST(DeviceHealthTracker, TemperatureThresholds)
{
    EXPECT_EQ(DeviceHealthTracker::warningForTemperature(85.5), DeviceHealthTracker::TemperatureAbnormal);
    EXPECT_EQ(DeviceHealthTracker::warningForTemperature(85.0), DeviceHealthTracker::TemperatureHigh);
    EXPECT_EQ(DeviceHealthTracker::warningForTemperature(81.0), DeviceHealthTracker::TemperatureHigh);
    EXPECT_EQ(DeviceHealthTracker::warningForTemperature(80.001), DeviceHealthTracker::TemperatureHigh);
    EXPECT_EQ(DeviceHealthTracker::warningForTemperature(80.0), DeviceHealthTracker::NoWarning);
    EXPECT_EQ(DeviceHealthTracker::warningForTemperature(-10.0), DeviceHealthTracker::NoWarning);
}

TEST(DeviceHealthTracker, TemperatureMessagesInBothLanguages)
{
    DeviceHealthTracker t;
    t.setChinese(true);
    EXPECT_TRUE(t.takeReply(answer(kDev, 85.5), kName));
    EXPECT_EQ(t.health(kDev).warning, DeviceHealthTracker::TemperatureAbnormal);
    EXPECT_EQ(t.health(kDev).message, QStringLiteral("Stage left 温度异常，请检查设备"));
    EXPECT_EQ(t.health(kDev).temperatureText, QStringLiteral("85.5℃"));

    EXPECT_TRUE(t.takeReply(answer(kDev, 81.0), kName));
    EXPECT_EQ(t.health(kDev).message, QStringLiteral("Stage left 温度过高，请注意散热"));

    t.setChinese(false);
    EXPECT_EQ(t.health(kDev).message,
              QStringLiteral("Stage left temperature is too high, please pay attention to heat dissipation"));
    EXPECT_TRUE(t.takeReply(answer(kDev, 90.0), kName));
    EXPECT_EQ(t.health(kDev).message, QStringLiteral("Stage left temperature is abnormal, please check the equipment"));

    EXPECT_TRUE(t.takeReply(answer(kDev, 80.0), kName));
    EXPECT_EQ(t.health(kDev).warning, DeviceHealthTracker::NoWarning);

    t.setChinese(true);
    for (int i = 0; i < 3; ++i)
        t.countPoll(kDev, kName);
    EXPECT_EQ(t.health(kDev).message, QStringLiteral("Stage left通信异常，请检查网络连接"));
}

TEST(DeviceHealthTracker, ReplyWithoutNameUsesListedName)
{
    DeviceHealthTracker t;
    t.setChinese(false);
    t.takeReply(answer(kDev, 86.0, 1, QString()), QStringLiteral("Listed"));
    EXPECT_EQ(t.health(kDev).message, QStringLiteral("Listed temperature is abnormal, please check the equipment"));
    EXPECT_FALSE(t.takeReply(DebugInfoReply(), kName));
}

TEST(DeviceHealthTracker, GlobalWarningPrefersTheWorstThenListOrder)
{
    DeviceHealthTracker t;
    const QString a = QStringLiteral("A"), b = QStringLiteral("B"), c = QStringLiteral("C");
    EXPECT_TRUE(t.globalWarningDevId({a, b, c}).isEmpty());

    for (int i = 0; i < 3; ++i)
        t.countPoll(a, a);
    EXPECT_EQ(t.globalWarningDevId({a, b, c}), a);
    t.takeReply(answer(b, 82.0), b);
    t.takeReply(answer(c, 82.0), c);
    EXPECT_EQ(t.globalWarningDevId({a, b, c}), b);
    EXPECT_EQ(t.globalWarningDevId({c, b, a}), c);
    t.takeReply(answer(a, 99.0), a);
    EXPECT_EQ(t.globalWarningDevId({c, b, a}), a);
    // A device with a warning that is not in the shown order still counts.
    EXPECT_EQ(t.globalWarningDevId({b, c}), a);

    EXPECT_TRUE(t.remove(a));
    EXPECT_FALSE(t.remove(a));
    t.takeReply(answer(b, 20.0), b);
    t.takeReply(answer(c, 20.0), c);
    EXPECT_TRUE(t.globalWarningDevId({a, b, c}).isEmpty());
}

} // namespace
