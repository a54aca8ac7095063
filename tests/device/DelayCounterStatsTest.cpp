#include "DelayStats.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

QJsonObject statsReply()
{
    return QJsonDocument::fromJson(
               R"({"ops":"getDelayStatUcast","devId":"D1","sdpId":"2","result":"succ","total":"1000","in125":"500",)"
               R"("in250":"250","in500":"125","in1ms":"60","in2ms":"40","in4ms":"20","out4ms":"5","avgUs":"180.5",)"
               R"("maxUs":"4100","notContinue":"3","exceedDelay":"7"})")
        .object();
}

TEST(DelayCounterStats, TwelveValuesAreReadByTheirKeys)
{
    const DelayStats s = DelayStats::fromReply(statsReply());
    const double expected[DelayStats::FieldCount] = {1000, 500, 250, 125, 60, 40, 20, 5, 180.5, 4100, 3, 7};
    for (int f = 0; f < DelayStats::FieldCount; ++f)
        EXPECT_DOUBLE_EQ(s.value(DelayStats::Field(f)), expected[f])
            << DelayStats::key(DelayStats::Field(f)).toStdString();
    EXPECT_EQ(s.text(DelayStats::Total), "1000");
    EXPECT_EQ(s.text(DelayStats::AvgUs), "180.5");
}

TEST(DelayCounterStats, UnreadableValuesReadAsZero)
{
    QJsonObject r = statsReply();
    r.insert("total", "lots");
    r.insert("in125", "-4");
    r.remove("maxUs");
    r.insert("in250", 12); // a number instead of text is still read
    r.insert("in500", " 9 ");
    const DelayStats s = DelayStats::fromReply(r);
    EXPECT_EQ(s.value(DelayStats::Total), 0.0);
    EXPECT_EQ(s.value(DelayStats::In125), 0.0);
    EXPECT_EQ(s.value(DelayStats::MaxUs), 0.0);
    EXPECT_EQ(s.value(DelayStats::In250), 12.0);
    EXPECT_EQ(s.value(DelayStats::In500), 9.0);
}

TEST(DelayCounterStats, BarsAreSharesOfTheTotal)
{
    const DelayStats s = DelayStats::fromReply(statsReply());
    EXPECT_DOUBLE_EQ(s.share(0), 0.5);
    EXPECT_DOUBLE_EQ(s.share(1), 0.25);
    EXPECT_DOUBLE_EQ(s.share(6), 0.005);
    EXPECT_EQ(s.share(7), 0.0);
    EXPECT_EQ(s.share(-1), 0.0);

    // No packets: empty bars, no division by zero.
    EXPECT_EQ(DelayStats().share(0), 0.0);
    // A bucket above the total stays a full bar.
    QJsonObject r = statsReply();
    r.insert("total", "100");
    EXPECT_DOUBLE_EQ(DelayStats::fromReply(r).share(0), 1.0);
}

TEST(DelayCounterStats, StatsCommandsAreKnownByTheirWindowNames)
{
    bool multicast = false, clear = false;
    ASSERT_TRUE(DelayStats::isStatsOps("clrDelayStatMcast", &multicast, &clear));
    EXPECT_TRUE(multicast);
    EXPECT_TRUE(clear);
    ASSERT_TRUE(DelayStats::isStatsOps("getDelayStatUcast", &multicast, &clear));
    EXPECT_FALSE(multicast);
    EXPECT_FALSE(clear);
    // The device's own command names are rewritten before a window sees them.
    EXPECT_FALSE(DelayStats::isStatsOps("getUcastStats", &multicast, &clear));
}

} // namespace
