#include "SimDeviceConfig.h"
#include "SimNetwork.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

quint32 ip(const char* text)
{
    return *SimDeviceConfig::parseIp(QString::fromLatin1(text));
}

QByteArray fileWith(const QByteArray& deviceJson)
{
    return "{\"devices\":[" + deviceJson + "]}";
}

} // namespace

TEST(SimDeviceConfig, IdentitiesDerivedFromTheAddress)
{
    EXPECT_EQ(SimDeviceConfig::devIdForIp(ip("10.77.0.11")), QStringLiteral("MD0A4D000B"));
    EXPECT_EQ(SimDeviceConfig::clockIdForIp(ip("10.77.0.11")), QStringLiteral("00-1D-C1-FF-FE-4D-00-0B"));
    EXPECT_TRUE(SimDeviceConfig::isClockId(QStringLiteral("00-1d-C1-FF-FE-12-34-56")));
    EXPECT_FALSE(SimDeviceConfig::isClockId(QStringLiteral("00-1D-C1-FF-FE-12-34-5")));
    EXPECT_FALSE(SimDeviceConfig::isClockId(QStringLiteral("00-1D-C1-FF-FE-12-34-5G")));
    EXPECT_FALSE(SimDeviceConfig::isClockId(QStringLiteral("00:1D:C1:FF:FE:12:34:56")));
}

TEST(SimDeviceConfig, ParseIpAcceptsOnlyDottedQuads)
{
    EXPECT_EQ(ip("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(ip("1.2.3.4"), 0x01020304u);
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1.2.3.256", "1..3.4", "a.b.c.d", "1.2.3.-4", "0001.2.3.4"})
        EXPECT_FALSE(SimDeviceConfig::parseIp(QString::fromLatin1(bad))) << bad;
}

TEST(SimDeviceConfig, GeneratedNetworkHasChainMulticastAndRotatingModels)
{
    const QVector<SimDeviceConfig> d =
        SimDeviceConfig::generate({ip("10.0.0.1"), ip("10.0.0.2"), ip("10.0.0.3"), ip("10.0.0.4")});
    ASSERT_EQ(d.size(), 4);
    EXPECT_EQ(d[0].name, QStringLiteral("SIM-01"));
    EXPECT_EQ(d[3].name, QStringLiteral("SIM-04"));
    EXPECT_EQ(d[0].model, QStringLiteral("MRD-A16"));
    EXPECT_EQ(d[1].model, QStringLiteral("MRD-D8"));
    EXPECT_EQ(d[2].model, QStringLiteral("MRD-P64"));
    EXPECT_EQ(d[3].model, QStringLiteral("MRD-A16"));
    EXPECT_EQ(d[1].chNumRx, 8);
    EXPECT_EQ(d[2].chNumTx, 64);
    for (const SimDeviceConfig& c : d) {
        EXPECT_EQ(c.sampleRate, 48000);
        EXPECT_EQ(c.sampleByteNum, 3);
        EXPECT_EQ(c.pFrameNum, 48);
        EXPECT_TRUE(SimDeviceConfig::isClockId(c.myClkId));
    }
    // Only the last device differs: it has a secondary unit on the next free address.
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(d[k].devId, SimDeviceConfig::devIdForIp(d[k].ip));
        EXPECT_EQ(d[k].secondaryIp, 0u);
    }
    EXPECT_EQ(d[3].devId, QStringLiteral("MRP-0A000004"));
    EXPECT_EQ(d[3].secondaryIp, ip("10.0.0.5"));
    EXPECT_TRUE(d[0].routes.isEmpty());
    for (int k = 1; k < 4; ++k) {
        ASSERT_EQ(d[k].routes.size(), 2);
        EXPECT_EQ(d[k].routes[0].srcDevId, d[k - 1].devId);
        EXPECT_EQ(d[k].routes[0].rxCh, 0);
        EXPECT_EQ(d[k].routes[0].srcCh, 0);
        EXPECT_EQ(d[k].routes[1].rxCh, 1);
        EXPECT_EQ(d[k].routes[1].srcCh, 1);
    }
    ASSERT_EQ(d[0].mcastTx.size(), 1);
    ASSERT_EQ(d[1].mcastRx.size(), 1);
    EXPECT_EQ(d[1].mcastRx[0].dstIp, d[0].mcastTx[0].dstIp);
    EXPECT_TRUE(d[2].mcastTx.isEmpty() && d[2].mcastRx.isEmpty());
}

TEST(SimDeviceConfig, LargerGeneratedNetworksHoldOneAmplifier)
{
    QVector<quint32> ips;
    for (int i = 0; i < 6; ++i)
        ips.append(ip("10.0.0.1") + quint32(i));
    const QVector<SimDeviceConfig> d = SimDeviceConfig::generate(ips);
    QStringList models;
    for (const SimDeviceConfig& c : d)
        models.append(c.model);
    EXPECT_EQ(models, QStringList({"MRD-A16", "MRD-D8", "MRD-P64", "MRA-4", "MRD-D8", "MRD-P64"}));
    EXPECT_TRUE(d[3].isAmplifier());
    EXPECT_EQ(d[3].phyChNumTx, 4);
    EXPECT_TRUE(d[2].hasDsp());
    EXPECT_FALSE(d[3].hasDsp());
    // The amplifier still takes part in the route chain on both sides.
    SimNetwork net({});
    QString error;
    EXPECT_TRUE(net.build(d, &error)) << error.toStdString();
    EXPECT_GE(net.device(3).rxChMap()[1], 0);
    EXPECT_GE(net.device(4).rxChMap()[1], 0);
}

TEST(SimDeviceConfig, FullDescriptionIsRead)
{
    const QByteArray json = fileWith(R"({"name":"Stage","devId":"D1","model":"X","ip":"10.1.0.5","port":7000,
        "chNumRx":4,"chNumTx":2,"phyChNumRx":1,"phyChNumTx":3,"ucastNumRx":2,"ucastNumTx":3,"mcastNumRx":1,
        "mcastNumTx":1,"sampleRate":96000,"sampleByteNum":4,"pFrameNum":12,"dscp":46,"delayUs":2000,"canWork":0,
        "myClkId":"00-1D-C1-FF-FE-AA-BB-CC","routes":[{"rxCh":3,"srcDevId":"D2","srcCh":1}],
        "mcastTx":[{"name":"Out","dstIp":"239.1.2.3","dstPort":5006,"channels":[1,0]}],
        "mcastRx":[{"dstIp":"239.9.9.9","rxChannels":[0]}]})");
    QString error;
    auto list = SimDeviceConfig::listFromJson(json, &error);
    ASSERT_TRUE(list) << error.toStdString();
    const SimDeviceConfig& c = list->first();
    EXPECT_EQ(c.name, QStringLiteral("Stage"));
    EXPECT_EQ(c.devId, QStringLiteral("D1"));
    EXPECT_EQ(c.port, 7000);
    EXPECT_EQ(c.chNumRx, 4);
    EXPECT_EQ(c.phyChNumTx, 3);
    EXPECT_EQ(c.ucastNumTx, 3);
    EXPECT_EQ(c.sampleRate, 96000);
    EXPECT_EQ(c.sampleByteNum, 4);
    EXPECT_EQ(c.pFrameNum, 12);
    EXPECT_EQ(c.dscp, 46);
    EXPECT_EQ(c.delayUs, 2000);
    EXPECT_EQ(c.canWork, 0);
    EXPECT_EQ(c.myClkId, QStringLiteral("00-1D-C1-FF-FE-AA-BB-CC"));
    ASSERT_EQ(c.routes.size(), 1);
    EXPECT_EQ(c.routes[0].srcDevId, QStringLiteral("D2"));
    ASSERT_EQ(c.mcastTx.size(), 1);
    EXPECT_EQ(c.mcastTx[0].channels, (QVector<int>{1, 0}));
    EXPECT_EQ(c.mcastTx[0].dstPort, 5006);
    ASSERT_EQ(c.mcastRx.size(), 1);
    EXPECT_EQ(c.mcastRx[0].dstIp, ip("239.9.9.9"));

    // Writing and reading again gives the same description.
    auto again = SimDeviceConfig::listFromJson(SimDeviceConfig::listToJson(*list), &error);
    ASSERT_TRUE(again) << error.toStdString();
    EXPECT_EQ(again->first().toJson(), c.toJson());
}

TEST(SimDeviceConfig, ReportedValuesAreReadAndWrittenBack)
{
    const QByteArray json = fileWith(R"({"ip":"10.1.0.5","devId":"MRQ-1","chNumRx":2,"phyChNumTx":1,
        "rxChNames":["Kick"],"phyTxChNames":["Main L"],"password":"pw","lock":"0x10002","dspLock":31,
        "version":"3.0-9","oemCode":"ABCDEF","oemData":{"customOemType":"rental","region":"eu"},"customStr":"Rack 4",
        "temp":"86000","tempJitter":0,"uptime":60,"fixedIp":1,"gateway":"10.1.0.254","dns":"10.1.0.53",
        "secondaryIp":"10.1.1.5","ptpPriority":12,"ptpDomain":1,"ptpDscp":40,"sampleRates":[96000],
        "packetTimeDivs":[2,8],"phyChNumRx":3,"silentPhyRx":[2,0]},{"ip":"10.1.0.6"})");
    QString error;
    auto list = SimDeviceConfig::listFromJson(json, &error);
    ASSERT_TRUE(list) << error.toStdString();
    const SimDeviceConfig& c = list->first();
    EXPECT_EQ(c.rxChNames, QStringList{QStringLiteral("Kick")});
    EXPECT_EQ(c.phyTxChNames, QStringList{QStringLiteral("Main L")});
    EXPECT_EQ(c.password, QStringLiteral("pw"));
    EXPECT_EQ(c.lock, 0x10002u);
    EXPECT_EQ(c.dspLock, 0x1fu);
    EXPECT_EQ(c.version, QStringLiteral("3.0-9"));
    EXPECT_EQ(c.oemData.value(QStringLiteral("region")), QStringLiteral("eu"));
    EXPECT_EQ(c.customStr, QStringLiteral("Rack 4"));
    EXPECT_EQ(c.temp, 86000);
    EXPECT_EQ(c.tempJitter, 0);
    EXPECT_EQ(c.uptime, 60);
    EXPECT_EQ(c.fixedIp, 1);
    EXPECT_EQ(c.gateway, ip("10.1.0.254"));
    EXPECT_EQ(c.secondaryIp, ip("10.1.1.5"));
    EXPECT_EQ(c.ptpDscp, 40);
    EXPECT_EQ(c.sampleRates, QVector<int>{96000});
    EXPECT_EQ(c.packetTimeDivs, (QVector<int>{2, 8}));
    EXPECT_EQ(c.silentPhyRx, (QVector<int>{2, 0}));

    auto again = SimDeviceConfig::listFromJson(SimDeviceConfig::listToJson(*list), &error);
    ASSERT_TRUE(again) << error.toStdString();
    EXPECT_EQ(again->first().toJson(), c.toJson());
    // Defaults are not written out, so a plain device stays a short description.
    const QJsonObject plain = (*list)[1].toJson();
    for (const char* key :
         {"password", "lock", "version", "temp", "secondaryIp", "rxChNames", "oemData", "silentPhyRx"})
        EXPECT_FALSE(plain.contains(QLatin1String(key))) << key;
    EXPECT_EQ((*list)[1].temp, 45000);
    EXPECT_EQ((*list)[1].oemData.value(QStringLiteral("customOemType")), QStringLiteral("standard"));
}

TEST(SimDeviceConfig, MasksReadAsHexOrDecimal)
{
    EXPECT_EQ(SimDeviceConfig::parseMask(QStringLiteral("0x10003")), 0x10003u);
    EXPECT_EQ(SimDeviceConfig::parseMask(QStringLiteral("3")), 3u);
    EXPECT_EQ(SimDeviceConfig::parseMask(QStringLiteral("0x0")), 0u);
    EXPECT_EQ(SimDeviceConfig::parseMask(QStringLiteral("0XFFFFFFFF")), 0xFFFFFFFFu);
    for (const char* bad : {"", "0x", "x1", "-1", "0x100000000", "4294967296", "1.5", "0x1g"})
        EXPECT_FALSE(SimDeviceConfig::parseMask(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(SimDeviceConfig::maskText(0x1001f), QStringLiteral("0x1001f"));
    EXPECT_EQ(SimDeviceConfig::maskText(0), QStringLiteral("0x0"));
}

TEST(SimDeviceConfig, AbsentMembersGetDefaults)
{
    QString error;
    auto list =
        SimDeviceConfig::listFromJson(fileWith(R"({"ip":"10.0.0.9"},{"ip":"10.0.0.10","chNumRx":"4"})"), &error);
    ASSERT_TRUE(list) << error.toStdString();
    const SimDeviceConfig& c = (*list)[0];
    EXPECT_EQ(c.name, QStringLiteral("SIM-01"));
    EXPECT_EQ((*list)[1].name, QStringLiteral("SIM-02"));
    EXPECT_EQ((*list)[1].chNumRx, 4); // decimal text is accepted like on the wire
    EXPECT_EQ(c.devId, SimDeviceConfig::devIdForIp(ip("10.0.0.9")));
    EXPECT_EQ(c.myClkId, SimDeviceConfig::clockIdForIp(ip("10.0.0.9")));
    EXPECT_EQ(c.port, 0);
    EXPECT_EQ(c.chNumRx, 16);
    EXPECT_EQ(c.mcastNumTx, 4);
}

TEST(SimDeviceConfig, LongTextsAreCutWithoutSplittingCharacters)
{
    const QString longName = QString(62, QLatin1Char('a')) + QStringLiteral("\u00e9\u00e9"); // 66 bytes
    QJsonObject dev{{QStringLiteral("ip"), QStringLiteral("10.0.0.1")}, {QStringLiteral("name"), longName}};
    QString error;
    auto c = SimDeviceConfig::fromJson(dev, 0, &error);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->name, QString(62, QLatin1Char('a')));
    EXPECT_LE(c->name.toUtf8().size(), 63);
}

class SimDeviceConfigRejects : public ::testing::TestWithParam<const char*>
{
};

TEST_P(SimDeviceConfigRejects, WithAnError)
{
    QString error;
    EXPECT_FALSE(SimDeviceConfig::listFromJson(QByteArray(GetParam()), &error));
    EXPECT_FALSE(error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    BadFiles, SimDeviceConfigRejects,
    ::testing::Values(
        "not json", "[]", R"({"devices":{}})", R"({"devices":[1]})", R"({"devices":[{}]})",
        R"({"devices":[{"ip":"10.0.0"}]})", R"({"devices":[{"ip":"239.0.0.1"}]})", R"({"devices":[{"ip":10}]})",
        R"({"devices":[{"ip":"10.0.0.1","chNumRx":1.5}]})", R"({"devices":[{"ip":"10.0.0.1","chNumRx":-1}]})",
        R"({"devices":[{"ip":"10.0.0.1","chNumRx":5000}]})", R"({"devices":[{"ip":"10.0.0.1","sampleByteNum":5}]})",
        R"({"devices":[{"ip":"10.0.0.1","name":7}]})", R"({"devices":[{"ip":"10.0.0.1","devId":""}]})",
        R"({"devices":[{"ip":"10.0.0.1","myClkId":"abc"}]})", R"({"devices":[{"ip":"10.0.0.1","routes":{}}]})",
        R"({"devices":[{"ip":"10.0.0.1","routes":[{"rxCh":16,"srcDevId":"X","srcCh":0}]}]})",
        R"({"devices":[{"ip":"10.0.0.1","routes":[{"rxCh":0,"srcCh":0}]}]})",
        R"({"devices":[{"ip":"10.0.0.1","mcastTx":[{"dstIp":"10.0.0.2","channels":[0]}]}]})",
        R"({"devices":[{"ip":"10.0.0.1","mcastTx":[{"dstIp":"239.0.0.2","channels":[]}]}]})",
        R"({"devices":[{"ip":"10.0.0.1","mcastTx":[{"dstIp":"239.0.0.2","channels":[0,1,2,3,4,5,6,7,8]}]}]})",
        R"({"devices":[{"ip":"10.0.0.1","mcastTx":[{"dstIp":"239.0.0.2","channels":[16]}]}]})",
        R"({"devices":[{"ip":"10.0.0.1","mcastNumTx":0,"mcastTx":[{"dstIp":"239.0.0.2","channels":[0]}]}]})",
        R"({"devices":[{"ip":"10.0.0.1","mcastRx":[{"dstIp":"239.0.0.2","rxChannels":[1,1]}]}]})",
        R"({"devices":[{"ip":"10.0.0.1"},{"ip":"10.0.0.1"}]})",
        R"({"devices":[{"ip":"10.0.0.1","password":"two words"}]})", R"({"devices":[{"ip":"10.0.0.1","password":7}]})",
        R"({"devices":[{"ip":"10.0.0.1","chNumRx":1,"rxChNames":["a","b"]}]})",
        R"({"devices":[{"ip":"10.0.0.1","txChNames":[1]}]})", R"({"devices":[{"ip":"10.0.0.1","lock":"0xZ"}]})",
        R"({"devices":[{"ip":"10.0.0.1","lock":-1}]})", R"({"devices":[{"ip":"10.0.0.1","oemData":{"a":1}}]})",
        R"({"devices":[{"ip":"10.0.0.1","sampleRates":[]}]})",
        R"({"devices":[{"ip":"10.0.0.1","phyChNumRx":2,"silentPhyRx":[2]}]})",
        R"({"devices":[{"ip":"10.0.0.1","phyChNumRx":0,"silentPhyRx":[0]}]})",
        R"({"devices":[{"ip":"10.0.0.1","silentPhyRx":"1"}]})",
        R"({"devices":[{"ip":"10.0.0.1","secondaryIp":"239.0.0.1"}]})",
        R"({"devices":[{"ip":"10.0.0.1","secondaryIp":"10.0.0.1"}]})",
        R"({"devices":[{"ip":"10.0.0.1","secondaryIp":"10.0.0.2"},{"ip":"10.0.0.2"}]})",
        R"({"devices":[{"ip":"10.0.0.2"},{"ip":"10.0.0.1","secondaryIp":"10.0.0.2"}]})",
        R"({"devices":[{"ip":"10.0.0.1","devId":"A"},{"ip":"10.0.0.2","devId":"A"}]})"));
