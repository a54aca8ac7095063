#include "DebugInfoReply.h"

#include <gtest/gtest.h>

namespace {

QString reply(const QString& temp, const QString& uptime, const QString& extra = QString())
{
    return QStringLiteral(R"({"devId":"MRD-0001","devName":"Stage left","ops":"getDebugInfo","result":"succ",)"
                          R"("temp":"%1","uptime":"%2"%3})")
        .arg(temp, uptime, extra);
}

TEST(DebugInfoReply, ReadsTemperatureUptimeAndName)
{
    const DebugInfoReply r = DebugInfoReply::parse(reply(QStringLiteral("85500"), QStringLiteral("3725")));
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.devId, QStringLiteral("MRD-0001"));
    EXPECT_EQ(r.devName, QStringLiteral("Stage left"));
    EXPECT_DOUBLE_EQ(r.temperature, 85.5);
    EXPECT_EQ(r.uptimeSeconds, 3725);

    const DebugInfoReply empty = DebugInfoReply::parse(reply(QString(), QString()));
    ASSERT_TRUE(empty.valid);
    EXPECT_DOUBLE_EQ(empty.temperature, 0.0);
    EXPECT_EQ(empty.uptimeSeconds, 0);

    // Numbers sent as JSON numbers read the same.
    const DebugInfoReply numeric = DebugInfoReply::parse(
        QStringLiteral(R"({"devId":"X","ops":"getDebugInfo","result":"succ","temp":81000,"uptime":59})"));
    ASSERT_TRUE(numeric.valid);
    EXPECT_DOUBLE_EQ(numeric.temperature, 81.0);
    EXPECT_EQ(numeric.uptimeSeconds, 59);
}

TEST(DebugInfoReply, IgnoresOtherMessages)
{
    // Processor-window traffic is recognised by its text and never parsed.
    EXPECT_FALSE(DebugInfoReply::parse(reply("40000", "1", R"(,"uiTag":"dspUiTag")")).valid);
    EXPECT_FALSE(DebugInfoReply::parse(reply("40000", "1", R"(,"uiTag":"superMatrixUiTag")")).valid);
    EXPECT_FALSE(DebugInfoReply::parse(reply("40000", "1", R"(,"cookie":"0")")).valid);
    // Only the compact cookie "0" marks them.
    EXPECT_TRUE(DebugInfoReply::parse(reply("40000", "1", R"(,"cookie":"01")")).valid);
    EXPECT_TRUE(DebugInfoReply::parse(reply("40000", "1", R"(,"cookie":"7")")).valid);

    EXPECT_FALSE(
        DebugInfoReply::parse(
            QStringLiteral(R"({"devId":"X","ops":"getDebugInfo","result":"fail","temp":"90000","uptime":"1"})"))
            .valid);
    EXPECT_FALSE(DebugInfoReply::parse(QStringLiteral(R"({"devId":"X","ops":"getVersion","result":"succ"})")).valid);
    EXPECT_FALSE(DebugInfoReply::parse(QStringLiteral(R"({"ops":"getDebugInfo","result":"succ"})")).valid);
    EXPECT_FALSE(DebugInfoReply::parse(QStringLiteral("closeDev")).valid);
    EXPECT_FALSE(DebugInfoReply::parse(QStringLiteral("refreshRoute")).valid);
    EXPECT_FALSE(DebugInfoReply::parse(QString()).valid);
}

TEST(DebugInfoReply, TemperatureText)
{
    EXPECT_EQ(DebugInfoReply::temperatureText(85.5), QStringLiteral("85.5℃"));
    EXPECT_EQ(DebugInfoReply::temperatureText(81.0), QStringLiteral("81.0℃"));
    EXPECT_EQ(DebugInfoReply::temperatureText(0.0), QStringLiteral("0.0℃"));
    EXPECT_EQ(DebugInfoReply::temperatureText(-5.04), QStringLiteral("-5.0℃"));
}

TEST(DebugInfoReply, UptimeTextAndItsSeconds)
{
    EXPECT_EQ(DebugInfoReply::uptimeText(3725), QStringLiteral("1:2:5"));
    EXPECT_EQ(DebugInfoReply::uptimeText(0), QStringLiteral("0:0:0"));
    EXPECT_EQ(DebugInfoReply::uptimeText(59), QStringLiteral("0:0:59"));
    EXPECT_EQ(DebugInfoReply::uptimeText(90061), QStringLiteral("25:1:1")); // hours do not wrap into days
    EXPECT_EQ(DebugInfoReply::uptimeText(-20), QStringLiteral("0:0:0"));

    for (qint64 s : {qint64(0), qint64(59), qint64(3725), qint64(90061), qint64(10000000)})
        EXPECT_EQ(DebugInfoReply::uptimeSecondsOf(DebugInfoReply::uptimeText(s)), s);
    EXPECT_EQ(DebugInfoReply::uptimeSecondsOf(QString()), -1);
    EXPECT_EQ(DebugInfoReply::uptimeSecondsOf(QStringLiteral("3725")), -1);
    EXPECT_EQ(DebugInfoReply::uptimeSecondsOf(QStringLiteral("2:5")), 125);
}

} // namespace
