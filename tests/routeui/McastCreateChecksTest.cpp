#include "McastCreateChecks.h"
#include "RegistryFeed.h"

#include <QJsonArray>
#include <gtest/gtest.h>
#include <random>

namespace {

using C = McastCreateChecks;

/// `line` is "name|channels|a.b.c.d|port" with "auto" in front of the address for automatic mode, where only
/// the first two parts count.
C::Input input(const char* line)
{
    const QStringList f = QString::fromUtf8(line).split('|');
    C::Input in;
    in.name = f[0];
    for (int i = 0; i < f[1].toInt(); ++i)
        in.channels << i;
    QString ip = f[2];
    in.automatic = ip.startsWith("auto ");
    const QStringList parts = ip.remove("auto ").split('.');
    for (int i = 0; i < 4; ++i)
        in.ip[i] = parts.value(i);
    in.port = f[3];
    in.rtpOffsetMs = QStringLiteral("0");
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
    uint32_t operator()() { return values.at(qMin(next++, values.size() - 1)); }
};

} // namespace

TEST(McastCreateChecks, ChecksInOrder)
{
    struct Case
    {
        const char* line;
        C::Failure failure;
    };
    const Case cases[] = {
        {"  |9|240.0.0.1|65535", C::EmptyName},
        {"Stage|0|auto 239.69|5004", C::NoChannel},
        // Nine channels are refused for their count even when the address is wrong too.
        {"Stage|9|240.0.0.1|65535", C::TooManyChannels},
        {"Stage|8|auto 239.69|5004", C::None},
        {"Stage|2|240.0.0.1|5004", C::WrongIp},
        {"Stage|2|223.255.255.255|5004", C::WrongIp},
        {"Stage|2|239.256.0.1|5004", C::WrongIp},
        {"Stage|2|239.x.1.7|5004", C::WrongIp},
        {"Stage|2|224.0.0.1|65535", C::WrongPort},
        {"Stage|2|224.0.0.1|1023", C::WrongPort},
        {"Stage|2|224.0.0.1|1024", C::None},
        {"Stage|2|239.255.255.255|65534", C::None},
        // An empty field reads as 0: the range checks pass, the filled-field check then names it; an empty first
        // field or port is out of range first; a wrong address is reported before a wrong port.
        {"Stage|2|239.69..7|5004", C::IpNotFilled},
        {"Stage|2|.69.1.7|5004", C::WrongIp},
        {"Stage|2|239.69.1.7|", C::WrongPort},
        {"Stage|2|240.69.1.7|1", C::WrongIp},
        // Automatic mode still checks the prefix and the port.
        {"Stage|2|auto 10.69|5004", C::WrongIp},
        {"Stage|2|auto 239.69|70000", C::WrongPort},
        {"Stage|2|auto 239.69|", C::PortNotFilled},
    };
    for (const Case& c : cases) {
        Script s{{0u}};
        EXPECT_EQ(C::evaluate(input(c.line), device(), {}, std::ref(s)).failure, c.failure) << c.line;
    }
}

TEST(McastCreateChecks, AutomaticAddressSkipsAddressesInUseStaysInRangeAndEndsOnAFullNetwork)
{
    // The first draws name 239.69.2.2 and 239.69.253.253, both taken; 0+2 and 251+2 are the range ends.
    const QSet<uint32_t> taken{dvm_parseIp("239.69.2.2"), dvm_parseIp("239.69.253.253")};
    Script s{{0u, 252u, 251u, 503u, 7u, 9u}};
    EXPECT_EQ(C::autoAddress(239, 69, taken, std::ref(s)), QStringLiteral("239.69.9.11"));
    EXPECT_EQ(s.next, 6);

    // Any random value lands in 2..253 for the last two parts.
    std::mt19937 gen(1234);
    QSet<uint32_t> seen;
    for (int i = 0; i < 2000; ++i) {
        const QString a = C::autoAddress(239, 69, seen, [&] { return static_cast<uint32_t>(gen()); });
        const QStringList p = a.split('.');
        ASSERT_EQ(p.size(), 4);
        ASSERT_EQ(p[0] + "." + p[1], "239.69");
        for (int k = 2; k < 4; ++k)
            ASSERT_TRUE(p[k].toInt() >= 2 && p[k].toInt() <= 253) << a.toStdString();
        ASSERT_FALSE(seen.contains(dvm_parseIp(a))) << a.toStdString();
        seen.insert(dvm_parseIp(a));
    }

    QSet<uint32_t> inUse;
    for (int c = 2; c <= 253; ++c)
        for (int d = 2; d <= 253; ++d)
            if (!(c == 200 && d == 100))
                inUse.insert(dvm_parseIp(QStringLiteral("239.69.%1.%2").arg(c).arg(d)));
    // A random source that always hits a taken address must not hang the view.
    EXPECT_EQ(C::autoAddress(239, 69, inUse, [] { return 0u; }), QStringLiteral("239.69.200.100"));
    inUse.insert(dvm_parseIp("239.69.200.100"));
    EXPECT_TRUE(C::autoAddress(239, 69, inUse, [] { return 0u; }).isEmpty());
    EXPECT_EQ(C::evaluate(input("Stage|2|auto 239.69|5004"), device(), inUse, [] { return 5u; }).failure,
              C::NoFreeAddress);
}

TEST(McastCreateChecks, RequestBodyCarriesTextValues)
{
    C::Input in = input("前台 A|0|auto 239.69|6000");
    in.channels = {3, 0, 5};
    in.rtpOffsetMs = QStringLiteral("2");
    Script s{{10u, 20u}};
    const C::Outcome out = C::evaluate(in, device(), {}, std::ref(s));
    ASSERT_EQ(out.failure, C::None);
    const QJsonObject expected = QJsonDocument::fromJson(R"({"ops":"setMcastTx","devId":"DEV-A","name":"前台 A",
        "srcChIdArr":["3","0","5"],
        "sdp":{"srcIp":"192.168.1.20","dstIp":"239.69.12.22","dstPort":"6000","chNum":"3",
               "sampleByteNum":"3","rtpTsOffset":"192","ssrc":"0"}})")
                                     .object();
    EXPECT_EQ(out.request, expected) << QJsonDocument(out.request).toJson().toStdString();
}

TEST(McastCreateChecks, SmallRules)
{
    // The offset uses whole kilohertz: 44100 / 1000 = 44.
    struct Offset
    {
        int ms, rate;
        uint32_t ticks;
    };
    for (const Offset& o : {Offset{3, 44100, 132}, Offset{1, 48000, 48}, Offset{0, 48000, 0}, Offset{5, 0, 0},
                            Offset{10000, 384000, 3840000}})
        EXPECT_EQ(C::rtpTsOffset(o.ms, o.rate), o.ticks) << o.ms << " ms at " << o.rate;
    for (const char* v : {"3.1.4.5", "2.9.9.9", ""})
        EXPECT_FALSE(C::portEditable(QString::fromLatin1(v))) << v;
    for (const char* v : {"3.1.4.6", "3.2.0.0"})
        EXPECT_TRUE(C::portEditable(QString::fromLatin1(v))) << v;
    EXPECT_EQ(C::channelsFromNames({"channel_cb:0", "channel_cb:12", "channel_cb:", "other", "channel_cb:x"}),
              (QVector<int>{0, 12}));
}

TEST(McastCreateChecks, AddressesInUseComeFromStreamsAndDeviceTables)
{
    dvm_resetForTest();
    regfeed::announce("D1", "n", "10.1.0.5", QJsonObject{{"chNumTx", "2"}, {"mcastNumTx", "1"}});
    ASSERT_EQ(regfeed::tablePage("10.1.0.5", "getAllMcastTx", 0, 1,
                                 QJsonArray{regfeed::txEntry(0, regfeed::sdp("10.1.0.5", "239.69.4.4", 1), 1)}),
              1);
    ASSERT_EQ(regfeed::sapStream("10.1.0.9", "Hall", "239.69.7.8"), 1);
    EXPECT_EQ(C::addressesInUse(), (QSet<uint32_t>{dvm_parseIp("239.69.4.4"), dvm_parseIp("239.69.7.8")}));
    dvm_resetForTest();
}
