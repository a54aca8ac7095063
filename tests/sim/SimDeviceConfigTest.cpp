#include "SimTestUtil.h"

#include <tuple>
#include <vector>

using namespace simtest;

namespace {

QByteArray fileWith(const QByteArray& deviceJson)
{
    return "{\"devices\":[" + deviceJson + "]}";
}

} // namespace

TEST(SimDeviceConfig, AddressesIdentitiesAndMasksAreParsedStrictly)
{
    EXPECT_EQ(SimDeviceConfig::devIdForIp(ip("10.77.0.11")), QStringLiteral("MD0A4D000B"));
    EXPECT_EQ(SimDeviceConfig::clockIdForIp(ip("10.77.0.11")), QStringLiteral("00-1D-C1-FF-FE-4D-00-0B"));
    EXPECT_TRUE(SimDeviceConfig::isClockId(QStringLiteral("00-1d-C1-FF-FE-12-34-56")));
    for (const char* bad : {"00-1D-C1-FF-FE-12-34-5", "00-1D-C1-FF-FE-12-34-5G", "00:1D:C1:FF:FE:12:34:56"})
        EXPECT_FALSE(SimDeviceConfig::isClockId(QLatin1String(bad))) << bad;

    EXPECT_EQ(ip("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(ip("1.2.3.4"), 0x01020304u);
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1.2.3.256", "1..3.4", "a.b.c.d", "1.2.3.-4", "0001.2.3.4"})
        EXPECT_FALSE(SimDeviceConfig::parseIp(QString::fromLatin1(bad))) << bad;

    EXPECT_EQ(SimDeviceConfig::parseMask(QStringLiteral("0x10003")), 0x10003u);
    EXPECT_EQ(SimDeviceConfig::parseMask(QStringLiteral("3")), 3u);
    EXPECT_EQ(SimDeviceConfig::parseMask(QStringLiteral("0XFFFFFFFF")), 0xFFFFFFFFu);
    for (const char* bad : {"", "0x", "x1", "-1", "0x100000000", "4294967296", "1.5", "0x1g"})
        EXPECT_FALSE(SimDeviceConfig::parseMask(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(SimDeviceConfig::maskText(0x1001f), QStringLiteral("0x1001f"));
    EXPECT_EQ(SimDeviceConfig::maskText(0), QStringLiteral("0x0"));
}

TEST(SimDeviceConfig, GeneratedNetworkHasChainMulticastAndRotatingModels)
{
    QVector<quint32> ips;
    for (int i = 0; i < 6; ++i)
        ips.append(ip("10.0.0.1") + quint32(i));
    const QVector<SimDeviceConfig> d = SimDeviceConfig::generate(ips);
    QStringList models;
    for (const SimDeviceConfig& c : d) {
        models.append(c.model);
        EXPECT_EQ(std::make_tuple(c.sampleRate, c.sampleByteNum, c.pFrameNum), std::make_tuple(48000, 3, 48));
        EXPECT_TRUE(SimDeviceConfig::isClockId(c.myClkId));
    }
    // Larger networks hold one amplifier.
    EXPECT_EQ(models, QStringList({"MRD-A16", "MRD-D8", "MRD-P64", "MRA-4", "MRD-D8", "MRD-P64"}));
    EXPECT_EQ(d[0].name, QStringLiteral("SIM-01"));
    EXPECT_EQ(d[1].chNumRx, 8);
    EXPECT_EQ(d[2].chNumTx, 64);
    EXPECT_TRUE(d[3].isAmplifier());
    EXPECT_EQ(d[3].phyChNumTx, 4);
    EXPECT_TRUE(d[2].hasDsp());
    EXPECT_FALSE(d[3].hasDsp());

    // Only the last device differs: it has a secondary unit on the next free address.
    const QVector<SimDeviceConfig> four = SimDeviceConfig::generate(ips.mid(0, 4));
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(four[k].devId, SimDeviceConfig::devIdForIp(four[k].ip));
        EXPECT_EQ(four[k].secondaryIp, 0u);
    }
    EXPECT_EQ(four[3].devId, QStringLiteral("MRP-0A000004"));
    EXPECT_EQ(four[3].secondaryIp, ip("10.0.0.5"));

    // Each device takes channels 0 and 1 of the one before; the first sends one multicast stream to the second.
    EXPECT_TRUE(d[0].routes.isEmpty());
    for (int k = 1; k < d.size(); ++k) {
        ASSERT_EQ(d[k].routes.size(), 2);
        for (int ch = 0; ch < 2; ++ch) {
            EXPECT_EQ(d[k].routes[ch].srcDevId, d[k - 1].devId);
            EXPECT_EQ(d[k].routes[ch].rxCh, ch);
            EXPECT_EQ(d[k].routes[ch].srcCh, ch);
        }
    }
    ASSERT_EQ(d[0].mcastTx.size(), 1);
    ASSERT_EQ(d[1].mcastRx.size(), 1);
    EXPECT_EQ(d[1].mcastRx[0].dstIp, d[0].mcastTx[0].dstIp);
    EXPECT_TRUE(d[2].mcastTx.isEmpty() && d[2].mcastRx.isEmpty());
    // The amplifier still takes part in the route chain on both sides.
    SimNetwork net({});
    QString error;
    EXPECT_TRUE(net.build(d, &error)) << error.toStdString();
    EXPECT_GE(net.device(3).rxChMap()[1], 0);
    EXPECT_GE(net.device(4).rxChMap()[1], 0);
}

TEST(SimDeviceConfig, GeneratedAddressesPassOverNetworkAndBroadcastEndings)
{
    struct Case
    {
        const char* first;
        int count;
        std::vector<const char*> want;
    };
    const Case cases[] = {
        {"10.77.0.11", 3, {"10.77.0.11", "10.77.0.12", "10.77.0.13"}},
        {"10.77.0.253", 4, {"10.77.0.253", "10.77.0.254", "10.77.1.1", "10.77.1.2"}},
        {"10.77.0.255", 2, {"10.77.1.1", "10.77.1.2"}},
        {"10.77.1.0", 1, {"10.77.1.1"}},
        {"255.255.255.253", 1, {"255.255.255.253"}},
    };
    for (const Case& c : cases) {
        QVector<quint32> want;
        for (const char* a : c.want)
            want.append(ip(a));
        EXPECT_EQ(SimDeviceConfig::hostAddresses(ip(c.first), c.count), want) << c.first;
    }
    // 1024 devices from .11 span five /24s, every address a host address and each one once.
    const QVector<quint32> venue = SimDeviceConfig::hostAddresses(ip("10.77.0.11"), 1024);
    ASSERT_EQ(venue.size(), 1024);
    EXPECT_EQ(venue.last(), ip("10.77.4.18"));
    for (int i = 1; i < venue.size(); ++i)
        EXPECT_TRUE(venue[i] > venue[i - 1] && SimDeviceConfig::isHostAddress(venue[i])) << i;
    // No room left before the all-ones address.
    EXPECT_TRUE(SimDeviceConfig::hostAddresses(ip("255.255.255.254"), 2).isEmpty());

    // The secondary unit of a last device on .254 skips the next /24's .0.
    const QVector<SimDeviceConfig> edge = SimDeviceConfig::generate({ip("10.77.0.253"), ip("10.77.0.254")});
    EXPECT_EQ(edge.last().secondaryIp, ip("10.77.1.1"));
}

TEST(SimDeviceConfig, EveryMemberIsReadAndWrittenBackUnchanged)
{
    // Every member away from its default, in the form the file is written in.
    const QByteArray full = R"({"name":"Stage","devId":"MRQ-1","model":"X","ip":"10.1.0.5","port":7000,
        "chNumRx":4,"chNumTx":2,"phyChNumRx":3,"phyChNumTx":3,"ucastNumRx":2,"ucastNumTx":3,"mcastNumRx":1,
        "mcastNumTx":1,"sampleRate":96000,"sampleByteNum":4,"pFrameNum":12,"dscp":46,"delayUs":2000,"canWork":0,
        "myClkId":"00-1D-C1-FF-FE-AA-BB-CC","routes":[{"rxCh":3,"srcDevId":"D2","srcCh":1}],
        "mcastTx":[{"name":"Out","dstIp":"239.1.2.3","dstPort":5006,"channels":[1,0]}],
        "mcastRx":[{"dstIp":"239.9.9.9","rxChannels":[0]}],
        "rxChNames":["Kick"],"txChNames":["Vox","Keys"],"phyRxChNames":["Mic"],"phyTxChNames":["Main L"],
        "password":"pw","lock":"0x10002","dspLock":"0x1f","version":"3.0-9","oemCode":"ABCDEF",
        "oemData":{"customOemType":"rental","region":"eu"},"customStr":"Rack 4","dspVersion":"3.1.0",
        "temp":86000,"tempJitter":0,"uptime":60,"fixedIp":1,"gateway":"10.1.0.254","dns":"10.1.0.53",
        "secondaryIp":"10.1.1.5","ptpPriority":12,"ptpDomain":1,"ptpDscp":40,"sampleRates":[96000],
        "packetTimeDivs":[2,8],"silentPhyRx":[2,0]})";
    QString error;
    auto list = SimDeviceConfig::listFromJson(fileWith(full + R"(,{"ip":"10.0.0.9"})"), &error);
    ASSERT_TRUE(list) << error.toStdString();
    EXPECT_EQ(compact((*list)[0].toJson()), compact(parse(full)));
    auto again = SimDeviceConfig::listFromJson(SimDeviceConfig::listToJson(*list), &error);
    ASSERT_TRUE(again) << error.toStdString();
    EXPECT_EQ(compact(again->first().toJson()), compact(parse(full)));

    // Absent members get defaults, and defaults are not written out, so a plain device stays short.
    const SimDeviceConfig& plain = (*list)[1];
    EXPECT_EQ(plain.name, QStringLiteral("SIM-02")) << "named by its place in the file";
    EXPECT_EQ(plain.devId, SimDeviceConfig::devIdForIp(ip("10.0.0.9")));
    EXPECT_EQ(plain.myClkId, SimDeviceConfig::clockIdForIp(ip("10.0.0.9")));
    EXPECT_EQ(std::make_tuple(plain.port, plain.chNumRx, plain.mcastNumTx, plain.temp),
              std::make_tuple(0, 16, 4, 45000));
    EXPECT_EQ(plain.oemData.value(QStringLiteral("customOemType")), QStringLiteral("standard"));
    const QJsonObject written = plain.toJson();
    for (const char* key :
         {"password", "lock", "version", "temp", "secondaryIp", "rxChNames", "oemData", "silentPhyRx", "port"})
        EXPECT_FALSE(written.contains(QLatin1String(key))) << key;
}

TEST(SimDeviceConfig, NumbersAndMasksAlsoReadFromOtherForms)
{
    const struct
    {
        const char* member;
        const char* key;
        QJsonValue written;
    } cases[] = {{R"("chNumRx":"4")", "chNumRx", 4}, // decimal text, like on the wire
                 {R"("temp":"86000")", "temp", 86000},
                 {R"("dspLock":31)", "dspLock", "0x1f"},    // a mask as a number
                 {R"("lock":"65538")", "lock", "0x10002"}}; // a mask as decimal text
    for (const auto& c : cases) {
        QString error;
        auto d = SimDeviceConfig::fromJson(parse(QByteArray(R"({"ip":"10.0.0.1",)") + c.member + "}"), 0, &error);
        ASSERT_TRUE(d) << c.member << ": " << error.toStdString();
        EXPECT_EQ(d->toJson().value(QLatin1String(c.key)), c.written) << c.member;
    }
}

TEST(SimDeviceConfig, LongTextsAreCutWithoutSplittingCharacters)
{
    const QString longName = QString(62, QLatin1Char('a')) + QStringLiteral("\u00e9\u00e9"); // 66 bytes
    QString error;
    auto c = SimDeviceConfig::fromJson({{"ip", "10.0.0.1"}, {"name", longName}}, 0, &error);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->name, QString(62, QLatin1Char('a')));
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
