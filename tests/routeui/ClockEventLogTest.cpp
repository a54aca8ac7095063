#include "ClockEventLog.h"

#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

TEST(ClockEventLog, LineDropsRoutingMembersAndKeepsTheRest)
{
    const QJsonObject msg{
        {"ops", "clockEvent"}, {"remoteIp", "10.9.0.11"}, {"event", "masterOffset"}, {"state", "2"}, {"offset", "-31"}};
    EXPECT_EQ(QStringLiteral(R"({"event":"masterOffset","offset":"-31","state":"2"})"),
              ClockEventLog::eventLine(msg, QStringLiteral("10.9.0.11")));
}

TEST(ClockEventLog, OtherDevicesAndOtherMessagesGiveNoLine)
{
    const QJsonObject msg{{"ops", "clockEvent"}, {"remoteIp", "10.9.0.11"}, {"event", "adjustFreq"}};
    EXPECT_TRUE(ClockEventLog::eventLine(msg, QStringLiteral("10.9.0.12")).isEmpty());
    EXPECT_TRUE(ClockEventLog::eventLine(msg, QString()).isEmpty());
    QJsonObject other = msg;
    other.insert("ops", "getVersion");
    EXPECT_TRUE(ClockEventLog::eventLine(other, QStringLiteral("10.9.0.11")).isEmpty());
    other.remove("ops");
    EXPECT_TRUE(ClockEventLog::eventLine(other, QStringLiteral("10.9.0.11")).isEmpty());
}

TEST(ClockEventLog, LinesAreSeparatedByLineBreaks)
{
    ClockEventLog log;
    EXPECT_EQ(0, log.append(QStringLiteral("a")));
    EXPECT_EQ(0, log.append(QStringLiteral("bc")));
    EXPECT_EQ(QStringLiteral("a\nbc"), log.text());
}

TEST(ClockEventLog, NeverHoldsMoreThanTheLimitAndDropsTheOldestFirst)
{
    ClockEventLog log;
    EXPECT_EQ(100000, log.limit());
    const QString line = QStringLiteral(R"({"event":"masterOffset","state":"%1"})");
    int total = 0;
    int cutSum = 0;
    for (int i = 0; i < 4000; ++i) {
        const QString l = line.arg(i);
        total += (i ? 1 : 0) + l.size();
        cutSum += log.append(l);
        ASSERT_LE(log.text().size(), 100000);
    }
    EXPECT_EQ(100000, log.text().size());
    EXPECT_EQ(total - 100000, cutSum) << "every cut character is reported";
    EXPECT_TRUE(log.text().endsWith(line.arg(3999)));
    EXPECT_FALSE(log.text().contains(line.arg(0)));
}

TEST(ClockEventLog, ALineLongerThanTheLimitKeepsItsEnd)
{
    ClockEventLog log(10);
    log.append(QStringLiteral("old"));
    const int cut = log.append(QStringLiteral("0123456789ABCDEF"));
    EXPECT_EQ(QStringLiteral("6789ABCDEF"), log.text());
    EXPECT_EQ(3 + 1 + 16 - 10, cut);
}

} // namespace
