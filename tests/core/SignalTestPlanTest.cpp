#include "SignalTestPlan.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace SignalTestPlan;

namespace {

QJsonObject obj(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

TEST(SignalTestPlan, ChannelMapping)
{
    // Analog input n: transmit n-1; network input n: after the physical inputs.
    EXPECT_EQ(sourceTxChannel(false, 1, 16), 0);
    EXPECT_EQ(sourceTxChannel(false, 4, 16), 3);
    EXPECT_EQ(sourceTxChannel(true, 1, 16), 16);
    EXPECT_EQ(sourceTxChannel(true, 4, 8), 11);
    EXPECT_EQ(sourceTxChannel(true, 1, 0), 0);
    EXPECT_EQ(analogReturnTx(1), 0);
    EXPECT_EQ(analogReturnTx(32), 31);
}

TEST(SignalTestPlan, RequestsCarryTextValues)
{
    const QJsonObject route = obj(routeRequest("MD01", 16, 3));
    EXPECT_EQ(route.value("ops").toString(), "setUcastRx");
    EXPECT_EQ(route.value("srcDevId").toString(), "MD01");
    EXPECT_EQ(route.value("srcChId").toString(), "16");
    EXPECT_EQ(route.value("dstChId").toString(), "3");
    EXPECT_EQ(obj(clearRequest(5)).value("dstChId").toString(), "5");

    const struct
    {
        Meter meter;
        const char* ops;
    } meters[] = {{Meter::PhyRx, "getAllPhyVolumeDbRx"},
                  {Meter::PhyTx, "getAllPhyVolumeDbTx"},
                  {Meter::NetRx, "getAllVolumeDbRx"},
                  {Meter::NetTx, "getAllVolumeDbTx"}};
    for (const auto& m : meters) {
        const QJsonObject o = obj(levelRequest("MD02", m.meter, 8));
        EXPECT_EQ(o.value("ops").toString(), m.ops);
        EXPECT_EQ(o.value("idStart").toString(), "8");
        EXPECT_EQ(o.value("devId").toString(), "MD02");
    }

    const QJsonObject stage = obj(cancelStageRequest("MD01", 1, 143));
    EXPECT_EQ(stage.value("ops").toString(), "setBorderProc");
    EXPECT_EQ(stage.value("portIndex").toString(), "0") << "output 1, 0-based on the wire";
    EXPECT_EQ(stage.value("delayNum").toString(), "143");
    EXPECT_EQ(stage.value("maxNum").toString(), QString::number(kMaxDelayNum));
    EXPECT_TRUE(stage.contains("nodeId"));
    EXPECT_TRUE(stage.contains("procIndex"));
    EXPECT_EQ(obj(rebootRequest("MD02")).value("ops").toString(), "reboot");
}

QByteArray page(int start, int next, const QStringList& arr, const char* result = "succ")
{
    QString items;
    for (const QString& a : arr)
        items += (items.isEmpty() ? "\"" : ",\"") + a + "\"";
    return QStringLiteral(R"({"ops":"getAllVolumeDbRx","result":"%1","idStart":"%2","idNext":"%3","arr":[%4]})")
        .arg(result)
        .arg(start)
        .arg(next)
        .arg(items)
        .toUtf8();
}

TEST(SignalTestPlan, LevelPagesGatherAndStopOnNonsense)
{
    LevelPages pages(10);
    EXPECT_EQ(pages.nextStart(), 0);
    EXPECT_TRUE(pages.take(page(0, 8, {"-20.0", "-20.1", "-inf", "-1", "-2", "-3", "-4", "-5"})));
    EXPECT_EQ(pages.nextStart(), 8);
    EXPECT_FALSE(pages.complete());
    // A late answer for another start is not taken.
    EXPECT_FALSE(pages.take(page(0, 8, {"-9"})));
    EXPECT_TRUE(pages.take(page(8, 16, {"-6", "-7", "-8", "-9", "-10", "-11", "-12", "-13"})));
    EXPECT_TRUE(pages.complete());
    EXPECT_EQ(pages.nextStart(), -1);
    ASSERT_EQ(pages.texts().size(), 10);
    EXPECT_EQ(pages.texts().at(2), "-inf");
    EXPECT_EQ(pages.texts().at(9), "-7");

    const struct
    {
        const char* what;
        QByteArray answer;
    } bad[] = {
        {"not JSON", "garbage"},
        {"failed", page(0, 8, {"-1"}, "fail")},
        {"empty page: fewer channels", page(0, 0, {})},
        {"array of an object", R"({"idStart":"0","arr":[{"a":1}]})"},
        {"repeated container member", R"({"idStart":"0","arr":["-1"],"arr":["-2"]})"},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(b.what);
        LevelPages p(4);
        const bool took = p.take(b.answer);
        EXPECT_TRUE(!took || p.texts().at(0).isEmpty()) << "nothing usable taken";
        EXPECT_FALSE(p.complete());
    }
    // A read from a later channel: the page must start there.
    LevelPages late(1, 64);
    EXPECT_EQ(late.nextStart(), 64);
    EXPECT_FALSE(late.take(page(0, 8, {"-1"})));
    EXPECT_TRUE(late.take(page(64, 65, {"-20.0"})));
    EXPECT_TRUE(late.complete());
    EXPECT_EQ(late.texts(), QVector<QString>({"-20.0"}));
    EXPECT_EQ(LevelPages(1, 1 << 30).nextStart(), kMaxChannelId) << "a start is bounded too";
    // Asking for more than a class holds is capped.
    EXPECT_EQ(LevelPages(1000).texts().size(), kMaxChannels);
    EXPECT_EQ(LevelPages(-3).texts().size(), 0);
    EXPECT_TRUE(LevelPages(0).complete());
}

TEST(SignalTestPlan, AmplifierModuleLines)
{
    bool powered = false;
    EXPECT_EQ(ampModuleLine(1, obj(R"({"chNum":"4","powerOn":"1","powerGainArr":["20","-inf","26","38"]})"), &powered),
              QStringLiteral("功放模块1: 通道数4，上电是，增益20/-inf/26/38"));
    EXPECT_TRUE(powered);
    EXPECT_EQ(ampModuleLine(2, obj(R"({"chNum":"4","powerOn":"0"})"), &powered),
              QStringLiteral("功放模块2: 通道数4，上电否，增益"));
    EXPECT_FALSE(powered);
    EXPECT_FALSE((ampModuleLine(1, QJsonObject(), &powered), powered)) << "no answer, no power";
    // An absurd answer is cut to what a class holds.
    QString many = R"({"powerOn":"1","chNum":")" + QString(100, '9') + R"(","powerGainArr":[)";
    for (int i = 0; i < 1000; ++i)
        many += (i ? ",\"" : "\"") + QString(50, 'g') + "\"";
    const QString line = ampModuleLine(1, obj(many + "]}"), &powered);
    EXPECT_EQ(line.count('/'), kMaxChannels - 1);
    EXPECT_LT(line.size(), 400);
}

TEST(SignalTestPlan, AnswerSucceeded)
{
    EXPECT_TRUE(answerSucceeded(R"({"ops":"reboot","result":"succ"})"));
    EXPECT_FALSE(answerSucceeded(R"({"ops":"reboot","result":"fail","reason":"x"})"));
    EXPECT_FALSE(answerSucceeded("succ"));
    EXPECT_FALSE(answerSucceeded(""));
}

} // namespace
