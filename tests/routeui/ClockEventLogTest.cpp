#include "ClockEventLog.h"

#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

TEST(ClockEventLog, LineOnlyForTheDevicesClockEventsWithoutRoutingMembers)
{
    const QJsonObject msg{
        {"ops", "clockEvent"}, {"remoteIp", "10.9.0.11"}, {"event", "masterOffset"}, {"state", "2"}, {"offset", "-31"}};
    QJsonObject other = msg;
    other.insert("ops", "getVersion");
    QJsonObject noOps = msg;
    noOps.remove("ops");
    struct Case
    {
        QJsonObject msg;
        const char* ip;
        const char* line;
    };
    for (const Case& c :
         {Case{msg, "10.9.0.11", R"({"event":"masterOffset","offset":"-31","state":"2"})"}, Case{msg, "10.9.0.12", ""},
          Case{msg, "", ""}, Case{other, "10.9.0.11", ""}, Case{noOps, "10.9.0.11", ""}})
        EXPECT_EQ(ClockEventLog::eventLine(c.msg, QString::fromLatin1(c.ip)), QString::fromLatin1(c.line))
            << c.ip << " " << c.line;
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
        total += (i ? 1 : 0) + l.size(); // lines are separated by line breaks
        cutSum += log.append(l);
        ASSERT_LE(log.text().size(), 100000);
        if (i == 1) {
            ASSERT_EQ(log.text(), line.arg(0) + '\n' + line.arg(1));
        }
    }
    EXPECT_EQ(100000, log.text().size());
    EXPECT_EQ(total - 100000, cutSum) << "every cut character is reported";
    EXPECT_TRUE(log.text().endsWith(line.arg(3999)));
    EXPECT_FALSE(log.text().contains(line.arg(0)));

    // A line longer than the limit keeps its end.
    ClockEventLog small(10);
    small.append(QStringLiteral("old"));
    EXPECT_EQ(3 + 1 + 16 - 10, small.append(QStringLiteral("0123456789ABCDEF")));
    EXPECT_EQ(QStringLiteral("6789ABCDEF"), small.text());
}

} // namespace
