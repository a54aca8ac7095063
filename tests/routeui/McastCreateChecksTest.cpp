#include "McastCreateChecks.h"
#include "DevManager.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>
#include <random>

namespace {

using C = McastCreateChecks;

C::Input input(int channels)
{
    C::Input in;
    in.name = QStringLiteral("Stage");
    for (int i = 0; i < channels; ++i)
        in.channels << i;
    in.ip[0] = QStringLiteral("239");
    in.ip[1] = QStringLiteral("69");
    in.port = QStringLiteral("5004");
    in.rtpOffsetMs = QStringLiteral("0");
    return in;
}

C::Input custom(const QString& a, const QString& b, const QString& c, const QString& d, const QString& port)
{
    C::Input in = input(2);
    in.automatic = false;
    in.ip[0] = a;
    in.ip[1] = b;
    in.ip[2] = c;
    in.ip[3] = d;
    in.port = port;
    return in;
}

C::Device device()
{
    C::Device d;
    d.devId = QStringLiteral("DEV-A");
    d.ip = dvm_parseIp("192.168.1.20");
    d.sampleRate = 96000;
    d.sampleByteNum = 3;
    return d;
}

/// Replays a fixed series of values, then repeats the last.
struct Script
{
    QVector<uint32_t> values;
    int next = 0;
    uint32_t operator()()
    {
        const uint32_t v = values.at(qMin(next, values.size() - 1));
        ++next;
        return v;
    }
};

C::Failure failureOf(const C::Input& in)
{
    Script s{{0u}};
    return C::evaluate(in, device(), {}, std::ref(s)).failure;
}

} // namespace

TEST(McastCreateChecks, NameAndChannelChecksComeFirstInOrder)
{
    C::Input noName = input(9);
    noName.name = QStringLiteral("  ");
    EXPECT_EQ(failureOf(noName), C::EmptyName);
    EXPECT_EQ(failureOf(input(0)), C::NoChannel);

    // Nine channels are refused for their count even when the address is wrong too.
    C::Input nine = custom(QStringLiteral("240"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1"),
                           QStringLiteral("65535"));
    nine.channels = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(failureOf(nine), C::TooManyChannels);
    EXPECT_EQ(failureOf(input(8)), C::None);
}

TEST(McastCreateChecks, CustomAddressAndPortRanges)
{
    const QString z = QStringLiteral("0");
    EXPECT_EQ(failureOf(custom("240", z, z, "1", "5004")), C::WrongIp);
    EXPECT_EQ(failureOf(custom("223", "255", "255", "255", "5004")), C::WrongIp);
    EXPECT_EQ(failureOf(custom("239", "256", "0", "1", "5004")), C::WrongIp);
    EXPECT_EQ(failureOf(custom("224", z, z, "1", "65535")), C::WrongPort);
    EXPECT_EQ(failureOf(custom("224", z, z, "1", "1023")), C::WrongPort);
    EXPECT_EQ(failureOf(custom("224", z, z, "1", "1024")), C::None);
    EXPECT_EQ(failureOf(custom("239", "255", "255", "255", "65534")), C::None);
}

TEST(McastCreateChecks, CustomChecksRunRangeBeforeFilledFields)
{
    // An empty field reads as 0: the range checks pass, the filled-field check then names it.
    EXPECT_EQ(failureOf(custom("239", "69", "", "7", "5004")), C::IpNotFilled);
    // An empty first field is out of range before it is "not filled".
    EXPECT_EQ(failureOf(custom("", "69", "1", "7", "5004")), C::WrongIp);
    // An empty port is out of range before it is "not filled".
    EXPECT_EQ(failureOf(custom("239", "69", "1", "7", "")), C::WrongPort);
    // A wrong address is reported before a wrong port.
    EXPECT_EQ(failureOf(custom("240", "69", "1", "7", "1")), C::WrongIp);
    EXPECT_EQ(failureOf(custom("239", "x", "1", "7", "5004")), C::WrongIp);
}

TEST(McastCreateChecks, AutomaticAddressSkipsAddressesInUseAndStaysInRange)
{
    // The first draws name 239.69.2.2 and 239.69.253.253, both taken; 0+2 and 251+2 are the range ends.
    const QSet<uint32_t> inUse{dvm_parseIp("239.69.2.2"), dvm_parseIp("239.69.253.253")};
    Script s{{0u, 252u, 251u, 503u, 7u, 9u}};
    EXPECT_EQ(C::autoAddress(239, 69, inUse, std::ref(s)), QStringLiteral("239.69.9.11"));
    EXPECT_EQ(s.next, 6);

    // Any random value lands in 2..253 for the last two parts.
    std::mt19937 gen(1234);
    QSet<uint32_t> seen;
    for (int i = 0; i < 2000; ++i) {
        const QString a = C::autoAddress(239, 69, seen, [&] { return static_cast<uint32_t>(gen()); });
        const QStringList p = a.split('.');
        ASSERT_EQ(p.size(), 4);
        EXPECT_EQ(p[0], "239");
        EXPECT_EQ(p[1], "69");
        for (int k = 2; k < 4; ++k) {
            EXPECT_GE(p[k].toInt(), 2);
            EXPECT_LE(p[k].toInt(), 253);
        }
        const uint32_t ip = dvm_parseIp(a);
        EXPECT_FALSE(seen.contains(ip)) << a.toStdString();
        seen.insert(ip);
    }
}

TEST(McastCreateChecks, AutomaticAddressEndsOnAFullNetwork)
{
    QSet<uint32_t> inUse;
    for (int c = 2; c <= 253; ++c)
        for (int d = 2; d <= 253; ++d)
            if (!(c == 200 && d == 100))
                inUse.insert(dvm_parseIp(QStringLiteral("239.69.%1.%2").arg(c).arg(d)));
    // A random source that always hits a taken address must not hang the view.
    EXPECT_EQ(C::autoAddress(239, 69, inUse, [] { return 0u; }), QStringLiteral("239.69.200.100"));
    inUse.insert(dvm_parseIp("239.69.200.100"));
    EXPECT_TRUE(C::autoAddress(239, 69, inUse, [] { return 0u; }).isEmpty());

    C::Input in = input(2);
    EXPECT_EQ(C::evaluate(in, device(), inUse, [] { return 5u; }).failure, C::NoFreeAddress);
}

TEST(McastCreateChecks, AutomaticModeStillChecksPrefixAndPort)
{
    C::Input in = input(2);
    in.ip[0] = QStringLiteral("10");
    EXPECT_EQ(failureOf(in), C::WrongIp);
    in = input(2);
    in.port = QStringLiteral("70000");
    EXPECT_EQ(failureOf(in), C::WrongPort);
    in.port.clear();
    EXPECT_EQ(failureOf(in), C::PortNotFilled);
}

TEST(McastCreateChecks, RequestBodyCarriesTextValues)
{
    C::Input in = input(0);
    in.channels = {3, 0, 5};
    in.name = QStringLiteral("前台 A");
    in.rtpOffsetMs = QStringLiteral("2");
    in.port = QStringLiteral("6000");
    Script s{{10u, 20u}};
    const C::Outcome out = C::evaluate(in, device(), {}, std::ref(s));
    ASSERT_EQ(out.failure, C::None);
    const QJsonObject expected = QJsonDocument::fromJson(
                                     R"({"ops":"setMcastTx","devId":"DEV-A","name":"前台 A",
        "srcChIdArr":["3","0","5"],
        "sdp":{"srcIp":"192.168.1.20","dstIp":"239.69.12.22","dstPort":"6000","chNum":"3",
               "sampleByteNum":"3","rtpTsOffset":"192","ssrc":"0"}})")
                                     .object();
    EXPECT_EQ(out.request, expected) << QJsonDocument(out.request).toJson().toStdString();
}

TEST(McastCreateChecks, RtpOffsetUsesWholeKilohertz)
{
    EXPECT_EQ(C::rtpTsOffset(3, 44100), 132u); // 44100 / 1000 = 44
    EXPECT_EQ(C::rtpTsOffset(1, 48000), 48u);
    EXPECT_EQ(C::rtpTsOffset(0, 48000), 0u);
    EXPECT_EQ(C::rtpTsOffset(5, 0), 0u);
    EXPECT_EQ(C::rtpTsOffset(10000, 384000), 3840000u);
}

TEST(McastCreateChecks, PortEditableFromFirmware3146)
{
    EXPECT_FALSE(C::portEditable(QStringLiteral("3.1.4.5")));
    EXPECT_FALSE(C::portEditable(QStringLiteral("2.9.9.9")));
    EXPECT_FALSE(C::portEditable(QString()));
    EXPECT_TRUE(C::portEditable(QStringLiteral("3.1.4.6")));
    EXPECT_TRUE(C::portEditable(QStringLiteral("3.2.0.0")));
}

TEST(McastCreateChecks, ChannelsFromCheckBoxNames)
{
    EXPECT_EQ(C::channelsFromNames({"channel_cb:0", "channel_cb:12", "channel_cb:", "other", "channel_cb:x"}),
              (QVector<int>{0, 12}));
}

TEST(McastCreateChecks, AddressesInUseComeFromStreamsAndDeviceTables)
{
    dvm_resetForTest();
    const QByteArray ann = R"({"ops":"iAmVeranto","devId":"D1","name":"n","ip":"10.1.0.5","port":"9990",
        "chNumRx":"0","chNumTx":"2","mcastNumTx":"1","canWork":"1","model":"M","sampleRate":"48000"})";
    userCallLib_handleUdp_mcast(ann.constData(), ann.size(), dvm_parseIp("10.1.0.5"), 9996);
    const QByteArray page = R"({"ops":"getAllMcastTx","idStart":"0","idNext":"1","arr":[{"id":"0",
        "sdp":{"srcIp":"10.1.0.5","dstIp":"239.69.4.4","dstPort":"5004","chNum":"1","sampleByteNum":"3",
        "rtpTsOffset":"0"},"srcChIdArr":["0"],"name":"s"}]})";
    ASSERT_EQ(userCallLib_handleUdp_ucast(page.constData(), page.size(), dvm_parseIp("10.1.0.5"), 9990), 1);
    const std::string sdp = "v=0\r\no=- 1 1 IN IP4 10.1.0.9\r\ns=Hall\r\nc=IN IP4 239.69.7.8/32\r\nt=0 0\r\n"
                            "m=audio 5004 RTP/AVP 96\r\na=rtpmap:96 "
                            "L24/48000/"
                            "2\r\na=recvonly\r\na=ptime:1\r\na=ts-refclk:ptp=IEEE1588-2008:00-1D-C1-FF-FE-00-00-0A:"
                            "0\r\na=mediaclk:direct=0\r\n";
    std::string sap("\x20\x00\x12\x34\x0A\x01\x00\x09", 8);
    sap.append("application/sdp", 16);
    sap += sdp;
    ASSERT_EQ(userCallLib_handleUdp_sap(sap.c_str(), int(sap.size()), dvm_parseIp("10.1.0.9"), 9875), 1);

    const QSet<uint32_t> used = C::addressesInUse();
    EXPECT_TRUE(used.contains(dvm_parseIp("239.69.4.4")));
    EXPECT_TRUE(used.contains(dvm_parseIp("239.69.7.8")));
    EXPECT_EQ(used.size(), 2);
    dvm_resetForTest();
}
