#include "DeviceHealthTracker.h"

#include <gtest/gtest.h>

namespace {

using H = DeviceHealthTracker;
const QString kDev = QStringLiteral("MRD-0001");

DebugInfoReply answer(const QString& devId, double celsius, const QString& name = QStringLiteral("Stage left"))
{
    DebugInfoReply r;
    r.valid = true;
    r.devId = devId;
    r.devName = name;
    r.temperature = celsius;
    r.uptimeSeconds = 10;
    return r;
}

TEST(DeviceHealthTracker, WarningsAndTheirTextsInBothLanguages)
{
    struct Case
    {
        double celsius; // below -100: three unanswered polls instead of a reply
        bool chinese;
        H::Warning warning;
        const char* message;
    };
    const Case cases[] = {
        {85.5, true, H::TemperatureAbnormal, "Stage left 温度异常，请检查设备"},
        {90.0, false, H::TemperatureAbnormal, "Stage left temperature is abnormal, please check the equipment"},
        {85.0, true, H::TemperatureHigh, "Stage left 温度过高，请注意散热"},
        {81.0, false, H::TemperatureHigh,
         "Stage left temperature is too high, please pay attention to heat dissipation"},
        {80.001, false, H::TemperatureHigh, nullptr},
        {80.0, false, H::NoWarning, ""},
        {-10.0, false, H::NoWarning, ""},
        {-999, true, H::CommunicationLost, "Stage left通信异常，请检查网络连接"},
        {-999, false, H::CommunicationLost,
         "Stage left communication is abnormal, please check the network connection"},
    };
    for (const Case& c : cases) {
        H t;
        t.setChinese(c.chinese);
        if (c.celsius < -100) {
            for (int i = 0; i < 3; ++i)
                t.countPoll(kDev, QStringLiteral("Stage left"));
        } else {
            EXPECT_EQ(H::warningForTemperature(c.celsius), c.warning) << c.celsius;
            EXPECT_EQ(t.takeReply(answer(kDev, c.celsius), "Listed"), c.warning != H::NoWarning) << "changed";
            EXPECT_EQ(t.health(kDev).temperatureText, DebugInfoReply::temperatureText(c.celsius));
        }
        EXPECT_EQ(t.health(kDev).warning, c.warning) << c.celsius;
        if (c.message) {
            EXPECT_EQ(t.health(kDev).message, QString::fromUtf8(c.message)) << c.celsius;
        }
    }
}

TEST(DeviceHealthTracker, MessagesFollowTheLanguageAndTheListedName)
{
    H t;
    t.setChinese(true);
    t.takeReply(answer(kDev, 81.0), QStringLiteral("Listed"));
    t.setChinese(false);
    EXPECT_EQ(t.health(kDev).message,
              QStringLiteral("Stage left temperature is too high, please pay attention to heat dissipation"));
    // A reply without a name uses the listed one; an invalid reply is not taken.
    t.takeReply(answer(kDev, 86.0, QString()), QStringLiteral("Listed"));
    EXPECT_EQ(t.health(kDev).message, QStringLiteral("Listed temperature is abnormal, please check the equipment"));
    EXPECT_FALSE(t.takeReply(DebugInfoReply(), QStringLiteral("Listed")));
}

TEST(DeviceHealthTracker, GlobalWarningPrefersTheWorstThenListOrder)
{
    H t;
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
