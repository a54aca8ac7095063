#include "DebugInfoReply.h"

#include <gtest/gtest.h>

namespace {

QString reply(const QString& temp, const QString& uptime, const QString& extra = QString())
{
    return QStringLiteral(R"({"devId":"MRD-0001","devName":"Stage left","ops":"getDebugInfo","result":"succ",)"
                          R"("temp":"%1","uptime":"%2"%3})")
        .arg(temp, uptime, extra);
}

TEST(DebugInfoReply, ParsesOnlySuccessfulDebugReplies)
{
    struct Case
    {
        QString msg;
        bool valid;
        double temperature;
        qint64 uptime;
    };
    const Case cases[] = {
        {reply("85500", "3725"), true, 85.5, 3725},
        {reply("", ""), true, 0, 0},     // empty numbers count as 0
        {reply(" 4x", "-"), true, 0, 0}, // and so do unreadable ones
        // Numbers sent as JSON numbers read the same.
        {R"({"devId":"X","ops":"getDebugInfo","result":"succ","temp":81000,"uptime":59})", true, 81.0, 59},
        // Processor-window traffic is recognised by its text and never parsed; only the compact cookie "0" marks it.
        {reply("40000", "1", R"(,"uiTag":"dspUiTag")"), false, 0, 0},
        {reply("40000", "1", R"(,"uiTag":"superMatrixUiTag")"), false, 0, 0},
        {reply("40000", "1", R"(,"cookie":"0")"), false, 0, 0},
        {reply("40000", "1", R"(,"cookie":"01")"), true, 40.0, 1},
        {R"({"devId":"X","ops":"getDebugInfo","result":"fail","temp":"90000","uptime":"1"})", false, 0, 0},
        {R"({"devId":"X","ops":"getVersion","result":"succ"})", false, 0, 0},
        {R"({"ops":"getDebugInfo","result":"succ"})", false, 0, 0},
        {"closeDev", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const Case& c : cases) {
        const DebugInfoReply r = DebugInfoReply::parse(c.msg);
        EXPECT_EQ(r.valid, c.valid) << c.msg.toStdString();
        if (!r.valid || !c.valid)
            continue;
        EXPECT_DOUBLE_EQ(r.temperature, c.temperature) << c.msg.toStdString();
        EXPECT_EQ(r.uptimeSeconds, c.uptime) << c.msg.toStdString();
    }
    const DebugInfoReply named = DebugInfoReply::parse(reply("1000", "1"));
    EXPECT_EQ(named.devId, QStringLiteral("MRD-0001"));
    EXPECT_EQ(named.devName, QStringLiteral("Stage left"));
}

TEST(DebugInfoReply, TemperatureAndUptimeTexts)
{
    const std::pair<double, const char*> temps[] = {{85.5, "85.5℃"}, {0.0, "0.0℃"}, {-5.04, "-5.0℃"}};
    for (const auto& t : temps)
        EXPECT_EQ(DebugInfoReply::temperatureText(t.first), QString::fromUtf8(t.second));

    const std::pair<qint64, const char*> uptimes[] = {{3725, "1:2:5"},
                                                      {0, "0:0:0"},
                                                      {59, "0:0:59"},
                                                      {90061, "25:1:1"} /* hours do not wrap into days */,
                                                      {-20, "0:0:0"}};
    for (const auto& u : uptimes) {
        EXPECT_EQ(DebugInfoReply::uptimeText(u.first), QString::fromLatin1(u.second));
        EXPECT_EQ(DebugInfoReply::uptimeSecondsOf(QString::fromLatin1(u.second)), qMax<qint64>(0, u.first));
    }
    EXPECT_EQ(DebugInfoReply::uptimeSecondsOf(QString()), -1);
    EXPECT_EQ(DebugInfoReply::uptimeSecondsOf(QStringLiteral("3725")), -1);
    EXPECT_EQ(DebugInfoReply::uptimeSecondsOf(QStringLiteral("2:5")), 125);
}

} // namespace
