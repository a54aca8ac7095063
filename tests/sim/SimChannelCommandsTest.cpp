// Level meters, gains, mutes and the amplifier, straight through the handlers.

#include "SimChannelCommands.h"
#include "SimLevels.h"
#include "SimTestUtil.h"

#include <cmath>

using namespace simtest;

namespace {

/// Two devices: the second receives channels 0 and 1 of the first on its network channels 2 and 5.
QVector<SimDeviceConfig> pair(const char* model = "MRD-A16")
{
    QVector<SimDeviceConfig> c{bare("10.0.0.1", 6), bare("10.0.0.2", 6)};
    c[1].model = QLatin1String(model);
    c[1].phyChNumRx = 4;
    c[1].phyChNumTx = 3;
    c[1].silentPhyRx = {1};
    c[1].routes = {{2, c[0].devId, 0}, {5, c[0].devId, 1}};
    return c;
}

/// Every level of one meter of the second device.
QStringList walk(Bench& b, const char* ops, SimServices on = SimServiceCommand)
{
    QStringList all;
    for (const QJsonValue& v : b.walk(1, ops, on))
        all.append(v.toString());
    return all;
}

bool isLevelText(const QString& t)
{
    if (t == QLatin1String("-inf"))
        return true;
    bool ok = false;
    t.toDouble(&ok);
    const int dot = t.indexOf('.');
    return ok && dot > 0 && dot == t.size() - 2;
}

} // namespace

TEST(SimChannelCommands, LevelsArePagedWithSilenceWhereNoSignalCanBe)
{
    SimNetwork::Options o;
    o.pageSize = 4;
    Bench b(pair(), o);
    const QStringList net = walk(b, "getAllVolumeDbRx");
    ASSERT_EQ(net.size(), 6);
    for (int ch = 0; ch < 6; ++ch) {
        EXPECT_TRUE(isLevelText(net[ch])) << net[ch].toStdString();
        EXPECT_EQ(net[ch] == "-inf", ch != 2 && ch != 5) << "channel " << ch << ": only routed channels carry sound";
    }
    EXPECT_EQ(walk(b, "getAllVolumeDbTx").count("-inf"), 0);

    EXPECT_EQ(b.result(1, req("setPhyMuteTx", {{"id", "2"}, {"val", "1"}})), "succ");
    const QStringList phyIn = walk(b, "getAllPhyVolumeDbRx");
    const QStringList phyOut = walk(b, "getAllPhyVolumeDbTx");
    EXPECT_EQ(phyIn, (QStringList{phyIn[0], "-inf", phyIn[2], phyIn[3]})) << "input 1 is described as silent";
    EXPECT_NE(phyIn[0], "-inf");
    EXPECT_EQ(phyOut.size(), 3);
    EXPECT_EQ(phyOut[2], "-inf") << "a muted output is silent";
    EXPECT_NE(phyOut[1], "-inf");

    // Bad starts are ignored like those of the name lists.
    EXPECT_TRUE(b.ask(1, req("getAllVolumeDbRx", {{"idStart", "7"}})).isEmpty());
    EXPECT_TRUE(b.ask(1, req("getAllVolumeDbRx")).isEmpty());
    EXPECT_TRUE(b.ask(1, req("getAllVolumeDbRx", {{"idStart", "0"}}), SimServiceSettings).isEmpty());
}

TEST(SimChannelCommands, LevelsMoveWithTimeAndDifferBetweenChannels)
{
    Bench b(pair());
    const SimDevice& dev = b.net->device(1);
    QSet<QString> seen;
    double lo = 0, hi = -200;
    for (int step = 0; step < 16; ++step) {
        b.now += SimLevels::kPeriodMs / 16;
        const double l = SimLevels::level(dev, SimMeter::PhyRx, 0, b.now);
        lo = std::min(lo, l);
        hi = std::max(hi, l);
        seen.insert(walk(b, "getAllPhyVolumeDbRx").value(0));
    }
    EXPECT_GT(seen.size(), 8) << "a level that never moves is no meter";
    EXPECT_GT(hi - lo, 10.0);
    EXPECT_LT(hi, 0.0);
    EXPECT_NE(SimLevels::level(dev, SimMeter::PhyRx, 0, b.now), SimLevels::level(dev, SimMeter::PhyRx, 2, b.now));
    // A gain raises the channel's level by as much.
    const double before = SimLevels::level(dev, SimMeter::PhyRx, 3, b.now);
    EXPECT_EQ(b.result(1, req("setPhyGainDbRx", {{"id", "3"}, {"val", "6.5"}})), "succ");
    EXPECT_NEAR(SimLevels::level(dev, SimMeter::PhyRx, 3, b.now), before + 6.5, 1e-9);

    EXPECT_EQ(SimLevels::text(-23.44), "-23.4") << "one decimal";
    EXPECT_EQ(SimLevels::text(-23.46), "-23.5");
    EXPECT_EQ(SimLevels::text(4), "4.0");
    EXPECT_EQ(SimLevels::text(-0.04), "0.0") << "never \"-0.0\"";
    EXPECT_EQ(SimLevels::text(-INFINITY), "-inf");
}

TEST(SimChannelCommands, GainsAndMutesAreStoredAsReceived)
{
    Bench b(pair());
    EXPECT_EQ(walk(b, "getAllPhyGainDbRx"), QStringList({"0", "0", "0", "0"}));
    EXPECT_EQ(walk(b, "getAllPhyMuteTx"), QStringList({"0", "0", "0"}));

    const QJsonObject g = b.one(1, req("setPhyGainDbTx", {{"id", "1"}, {"val", "-3.5"}}));
    EXPECT_EQ(g.value("result").toString(), "succ");
    EXPECT_EQ(g.value("id").toString(), "1");
    EXPECT_EQ(g.value("val").toString(), "-3.5");
    // Out of the controller's range but a number: the device keeps it; limits are the controller's business.
    EXPECT_EQ(b.result(1, req("setPhyGainDbTx", {{"id", "2"}, {"val", "20"}})), "succ");
    EXPECT_EQ(walk(b, "getAllPhyGainDbTx"), QStringList({"0", "-3.5", "20"}));
    EXPECT_EQ(walk(b, "getAllPhyGainDbRx"), QStringList({"0", "0", "0", "0"})) << "the other side is untouched";

    for (const QJsonObject& bad :
         {req("setPhyGainDbTx", {{"id", "3"}, {"val", "1"}}), req("setPhyGainDbTx", {{"id", "0"}, {"val", "loud"}}),
          req("setPhyGainDbTx", {{"id", "0"}, {"val", "nan"}}), req("setPhyGainDbTx", {{"id", "0"}}),
          req("setPhyMuteRx", {{"id", "0"}, {"val", "2"}}), req("setPhyMuteRx", {{"id", "4"}, {"val", "1"}})})
        EXPECT_EQ(b.result(1, bad), "fail") << compact(bad).toStdString();
    EXPECT_EQ(walk(b, "getAllPhyGainDbTx"), QStringList({"0", "-3.5", "20"}));

    EXPECT_EQ(b.result(1, req("setPhyMuteRx", {{"id", "3"}, {"val", "1"}})), "succ");
    EXPECT_EQ(walk(b, "getAllPhyMuteRx"), QStringList({"0", "0", "0", "1"}));
    EXPECT_EQ(walk(b, "getAllPhyVolumeDbRx").value(3), "-inf");
    EXPECT_EQ(b.result(1, req("setPhyMuteRx", {{"id", "3"}, {"val", "0"}})), "succ");
    EXPECT_NE(walk(b, "getAllPhyVolumeDbRx").value(3), "-inf");
}

TEST(SimChannelCommands, BatchMetersBelongToProcessors)
{
    Bench plain(pair("MRD-A16"));
    EXPECT_TRUE(plain.ask(1, req("getVolumeDbBatchIn", {{"idStart", "0"}}), SimServiceDsp).isEmpty());

    Bench dsp(pair("MRD-P64"));
    const QStringList in = walk(dsp, "getVolumeDbBatchIn", SimServiceDsp);
    const QStringList out = walk(dsp, "getVolumeDbBatchOut", SimServiceDsp);
    ASSERT_EQ(in.size(), 4 + 6) << "physical inputs, then network receive channels";
    ASSERT_EQ(out.size(), 3 + 6);
    EXPECT_EQ(in[1], "-inf");
    EXPECT_EQ(in[4 + 2] == "-inf", false);
    EXPECT_EQ(in[4 + 3], "-inf");
    EXPECT_TRUE(dsp.ask(1, req("getVolumeDbBatchIn", {{"idStart", "0"}})).isEmpty()) << "8999 only";
    const QJsonObject tagged =
        dsp.one(1, req("getVolumeDbBatchOut", {{"idStart", "0"}, {"uiTag", "dspUiTag"}}), SimServiceDsp);
    EXPECT_EQ(tagged.value("uiTag").toString(), "dspUiTag");
}

TEST(SimChannelCommands, AmplifierServesGainStepsAndPower)
{
    QVector<SimDeviceConfig> c = pair("MRA-4");
    c[1].phyChNumTx = 4;
    Bench b(c);
    const QJsonObject info = b.one(1, req("getPowerGainInfo"), SimServiceAmpModule);
    EXPECT_EQ(info.value("result").toString(), "succ");
    EXPECT_EQ(info.value("gainArr").toArray().size(), 4);
    EXPECT_EQ(info.value("gainLev").toArray(), QJsonArray({"0", "0", "0", "0"}));
    EXPECT_EQ(info.value("powerArr").toArray(), QJsonArray({"1", "1", "1", "1"}));
    EXPECT_EQ(info.value("powerOn").toString(), "1");

    EXPECT_EQ(b.result(1, req("setGain", {{"id", "2"}, {"val", "3"}}), SimServiceAmp), "succ");
    EXPECT_EQ(b.result(1, req("setPower", {{"id", "0"}, {"val", "0"}}), SimServiceAmp), "succ");
    for (const QJsonObject& bad :
         {req("setGain", {{"id", "2"}, {"val", "4"}}), req("setGain", {{"id", "4"}, {"val", "1"}}),
          req("setPower", {{"id", "1"}, {"val", "on"}})})
        EXPECT_EQ(b.result(1, bad, SimServiceAmp), "fail") << compact(bad).toStdString();

    const QJsonObject after = b.one(1, req("getInfo"), SimServiceAmp);
    EXPECT_EQ(after.value("model").toString(), "MRA-4");
    EXPECT_EQ(after.value("gainLev").toArray(), QJsonArray({"0", "0", "3", "0"}));
    EXPECT_EQ(after.value("powerArr").toArray(), QJsonArray({"0", "1", "1", "1"}));
    const QJsonArray applied = after.value("powerGainArr").toArray();
    EXPECT_EQ(applied[0].toString(), "-inf") << "a channel without power has no gain";
    EXPECT_EQ(applied[2].toString(), QLatin1String(SimChannelCommands::kAmpGainSteps[3]));
    EXPECT_EQ(walk(b, "getAllPhyVolumeDbTx").value(0), "-inf") << "and no output level";
    EXPECT_TRUE(b.ask(1, req("getPowerGainInfo"), SimServiceAmp).isEmpty()) << "12001 only";

    Bench plain(pair());
    EXPECT_TRUE(plain.ask(1, req("getPowerGainInfo"), SimServiceAmpModule).isEmpty()) << "no amplifier module";
    EXPECT_EQ(plain.one(1, req("setGain", {{"id", "0"}, {"val", "1"}}), SimServiceAmp).value("reason").toString(),
              "unsupported");
    EXPECT_EQ(plain.one(1, req("getInfo"), SimServiceAmp).value("model").toString(), "MRD-A16");
}

TEST(SimChannelCommands, LongPagesEndBeforeTheDatagramOverflows)
{
    QVector<SimDeviceConfig> c = pair();
    c[1].chNumTx = 1000;
    c[1].phyChNumTx = 1000;
    SimNetwork::Options o;
    o.pageSize = 4096;
    Bench b(c, o);
    // Bench::ask checks every answer against the datagram limit; walk checks that no channel is lost.
    EXPECT_EQ(walk(b, "getAllVolumeDbTx").size(), 1000);
    EXPECT_EQ(walk(b, "getAllPhyGainDbTx").size(), 1000);
    const QJsonObject first = b.one(1, req("getAllVolumeDbTx", {{"idStart", "0"}}));
    EXPECT_LT(num(first.value("idNext")), 1000) << "one page cannot hold a thousand levels";
    EXPECT_GT(num(first.value("idNext")), 100);
}
