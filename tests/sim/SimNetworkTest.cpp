#include "SimTestUtil.h"

using namespace simtest;

namespace {

/// Checks what must hold after any change: both ends of every unicast stream agree slot by slot, every
/// RTP channel feeds a receive channel and sits in exactly one receive stream.
void expectConsistent(const SimNetwork& net)
{
    for (int i = 0; i < net.deviceCount(); ++i) {
        const SimDevice& r = net.device(i);
        for (int rtp = 0; rtp < r.rtpChannels().size(); ++rtp) {
            if (!r.rtpChannels()[rtp].isUsed())
                continue;
            EXPECT_GT(r.rxChannelsUsing(rtp), 0) << r.devId().toStdString() << " rtp " << rtp;
            int inStreams = 0;
            for (const auto* table : {&r.ucastRx(), &r.mcastRx()})
                for (const SimRxStream& s : *table)
                    if (s.used)
                        inStreams += int(std::count(s.rtpChIds.begin(), s.rtpChIds.end(), rtp));
            EXPECT_EQ(inStreams, 1) << r.devId().toStdString() << " rtp " << rtp;
        }
        for (int ch : r.rxChMap())
            if (ch >= 0) {
                EXPECT_TRUE(r.rtpChannels()[ch].isUsed());
            }
        for (const SimRxStream& s : r.ucastRx()) {
            if (!s.used)
                continue;
            const int si = net.indexOfIp(s.sdp.srcIp);
            ASSERT_GE(si, 0);
            int matches = 0;
            for (const SimTxStream& t : net.device(si).ucastTx()) {
                if (!t.used || !t.sdp.sameFlow(s.sdp))
                    continue;
                ++matches;
                EXPECT_EQ(t.sdp.chNum, s.sdp.chNum);
                for (int k = 0; k < kSimStreamSlots; ++k) {
                    EXPECT_EQ(t.srcChIds[k] >= 0, s.rtpChIds[k] >= 0);
                    if (s.rtpChIds[k] >= 0) {
                        const SimRtpChannel& rc = r.rtpChannels()[s.rtpChIds[k]];
                        EXPECT_EQ(rc.srcChId, t.srcChIds[k]);
                        EXPECT_EQ(rc.srcDevId, net.device(si).devId());
                    }
                }
            }
            EXPECT_EQ(matches, 1);
        }
        for (const SimTxStream& t : r.ucastTx()) {
            if (!t.used)
                continue;
            const int ri = net.indexOfIp(t.sdp.dstIp);
            ASSERT_GE(ri, 0);
            bool found = false;
            for (const SimRxStream& s : net.device(ri).ucastRx())
                found = found || (s.used && s.sdp.sameFlow(t.sdp));
            EXPECT_TRUE(found) << "transmit stream without a receiver";
        }
    }
}

int usedCount(const std::vector<SimRxStream>& t)
{
    return int(std::count_if(t.begin(), t.end(), [](const SimRxStream& s) { return s.used; }));
}

int usedCount(const std::vector<SimTxStream>& t)
{
    return int(std::count_if(t.begin(), t.end(), [](const SimTxStream& s) { return s.used; }));
}

} // namespace

TEST(SimNetwork, GeneratedNetworkIsConsistent)
{
    auto net = generated(5);
    expectConsistent(*net);
    EXPECT_EQ(usedCount(net->device(0).ucastTx()), 1);
    EXPECT_EQ(usedCount(net->device(4).ucastTx()), 0);
    EXPECT_EQ(usedCount(net->device(4).ucastRx()), 1);
}

TEST(SimNetwork, RoutesShareStreamsAndRtpChannels)
{
    auto net = generated(3);
    const QString a = net->device(0).devId();
    const QString c = net->device(2).devId();

    // A second stream from a new sender; then more channels of the same sender join it.
    SimChange ch = net->route(c, 10, a, 5);
    ASSERT_TRUE(ch.ok()) << ch.error.toStdString();
    EXPECT_TRUE(ch.routeChanged.contains(2));
    EXPECT_TRUE(ch.routeChanged.contains(0));
    EXPECT_EQ(ch.activeChanged, QVector<int>{2});
    ASSERT_TRUE(net->route(c, 11, a, 6).ok());
    EXPECT_EQ(usedCount(net->device(2).ucastRx()), 2);
    EXPECT_EQ(usedCount(net->device(0).ucastTx()), 2);

    // The same sender channel on a second receive channel reuses its RTP channel.
    const int rtp10 = net->device(2).rxChMap()[10];
    SimChange shared = net->route(c, 12, a, 5);
    ASSERT_TRUE(shared.ok());
    EXPECT_TRUE(shared.activeChanged.isEmpty());
    EXPECT_EQ(net->device(2).rxChMap()[12], rtp10);
    expectConsistent(*net);

    // Routing the same way again changes nothing.
    SimChange again = net->route(c, 12, a, 5);
    EXPECT_TRUE(again.ok());
    EXPECT_FALSE(again.changed());

    // Removing one of two users keeps the RTP channel; removing the last frees it.
    ASSERT_TRUE(net->unroute(c, 10).ok());
    EXPECT_TRUE(net->device(2).rtpChannels()[rtp10].isUsed());
    ASSERT_TRUE(net->unroute(c, 12).ok());
    EXPECT_FALSE(net->device(2).rtpChannels()[rtp10].isUsed());
    expectConsistent(*net);

    SimChange last = net->unroute(c, 11);
    ASSERT_TRUE(last.ok());
    EXPECT_EQ(last.activeChanged, QVector<int>{2});
    EXPECT_TRUE(last.routeChanged.contains(0)) << "the sender's transmit table changed too";
    EXPECT_EQ(usedCount(net->device(2).ucastRx()), 1);
    EXPECT_EQ(usedCount(net->device(0).ucastTx()), 1);
    expectConsistent(*net);

    SimChange none = net->unroute(c, 11);
    EXPECT_TRUE(none.ok());
    EXPECT_FALSE(none.changed());
}

TEST(SimNetwork, ChannelCountFollowsTheHighestUsedSlot)
{
    auto net = generated(2);
    const QString a = net->device(0).devId();
    const QString b = net->device(1).devId();
    ASSERT_TRUE(net->route(b, 4, a, 9).ok()); // third slot of the existing stream
    EXPECT_EQ(net->device(1).ucastRx()[0].sdp.chNum, 3);
    ASSERT_TRUE(net->unroute(b, 1).ok()); // hole in the middle keeps the count
    EXPECT_EQ(net->device(1).ucastRx()[0].sdp.chNum, 3);
    ASSERT_TRUE(net->unroute(b, 4).ok());
    EXPECT_EQ(net->device(1).ucastRx()[0].sdp.chNum, 1);
    EXPECT_EQ(net->device(0).ucastTx()[0].sdp.chNum, 1);
    // The freed slot is taken again by the next channel.
    ASSERT_TRUE(net->route(b, 5, a, 7).ok());
    EXPECT_EQ(net->device(1).ucastRx()[0].rtpChIds[1], net->device(1).rxChMap()[5]);
    expectConsistent(*net);
}

TEST(SimNetwork, NinthChannelFromOneSenderOpensASecondStream)
{
    auto net = generated(3);
    const QString a = net->device(0).devId();
    const QString c = net->device(2).devId();
    for (int k = 0; k < 9; ++k)
        ASSERT_TRUE(net->route(c, 20 + k, a, k).ok()) << k;
    EXPECT_EQ(usedCount(net->device(2).ucastRx()), 3); // one from device 2, two from device 1
    expectConsistent(*net);
}

TEST(SimNetwork, ReroutingReplacesTheOldRoute)
{
    auto net = generated(3);
    const QString a = net->device(0).devId();
    const QString c = net->device(2).devId();
    // Device 3 takes rx 0 and 1 from device 2; move both to device 1.
    ASSERT_TRUE(net->route(c, 0, a, 3).ok());
    SimChange ch = net->route(c, 1, a, 4);
    ASSERT_TRUE(ch.ok());
    EXPECT_TRUE(ch.routeChanged.contains(1)) << "the old sender loses its stream";
    EXPECT_TRUE(ch.activeChanged.contains(2));
    EXPECT_EQ(usedCount(net->device(1).ucastTx()), 0);
    EXPECT_EQ(net->device(2).rtpChannels()[net->device(2).rxChMap()[1]].srcDevId, a);
    expectConsistent(*net);
}

TEST(SimNetwork, UnicastRouteOverAMulticastChannel)
{
    auto net = generated(3);
    const QString b = net->device(1).devId();
    const QString c = net->device(2).devId();
    ASSERT_EQ(usedCount(net->device(1).mcastRx()), 1);
    ASSERT_TRUE(net->route(b, 2, c, 0).ok()); // rx 2 was fed by the multicast stream
    EXPECT_EQ(usedCount(net->device(1).mcastRx()), 1);
    EXPECT_EQ(net->device(1).mcastRx()[0].rtpChIds[0], -1);
    SimChange ch = net->unroute(b, 3);
    EXPECT_TRUE(ch.activeChanged.contains(1)) << "the emptied subscription ends";
    EXPECT_EQ(usedCount(net->device(1).mcastRx()), 0);
    expectConsistent(*net);
}

TEST(SimNetwork, RefusedRoutesChangeNothing)
{
    auto net = generated(3);
    const QString a = net->device(0).devId();
    const QString b = net->device(1).devId();
    const QJsonObject before = net->dump();
    struct Case
    {
        QString dev;
        int rx;
        QString src;
        int srcCh;
    };
    for (const Case& k :
         {Case{QStringLiteral("nope"), 0, a, 0}, Case{b, 0, QStringLiteral("nope"), 0}, Case{a, 0, a, 0},
          Case{b, -1, a, 0}, Case{b, 8, a, 0}, Case{b, 0, a, 16}, Case{b, 0, a, -1}}) {
        SimChange ch = net->route(k.dev, k.rx, k.src, k.srcCh);
        EXPECT_FALSE(ch.ok()) << k.dev.toStdString() << " " << k.rx;
        EXPECT_FALSE(ch.changed());
    }
    EXPECT_FALSE(net->unroute(b, 8).ok());
    EXPECT_FALSE(net->unroute(QStringLiteral("nope"), 0).ok());
    EXPECT_EQ(net->dump(), before);
}

TEST(SimNetwork, FullStreamTableRefusesAndRollsBack)
{
    QVector<SimDeviceConfig> configs{bare("10.0.2.1"), bare("10.0.2.2"), bare("10.0.2.3")};
    configs[0].ucastNumRx = 1;
    configs[0].routes = {{0, configs[1].devId, 0}};
    SimNetwork net({});
    QString error;
    ASSERT_TRUE(net.build(configs, &error)) << error.toStdString();
    const QJsonObject before = net.dump();
    SimChange ch = net.route(configs[0].devId, 1, configs[2].devId, 0);
    EXPECT_EQ(ch.error, QStringLiteral("no free sdpId"));
    EXPECT_EQ(net.dump(), before);
    // Re-routing the only channel to the other sender frees the slot first, so it succeeds.
    ASSERT_TRUE(net.route(configs[0].devId, 0, configs[2].devId, 0).ok());
    expectConsistent(net);

    SimDeviceConfig noTx = bare("10.0.2.4");
    noTx.ucastNumTx = 0;
    SimNetwork net2({});
    ASSERT_TRUE(net2.build({configs[2], noTx}, &error));
    EXPECT_EQ(net2.route(configs[2].devId, 0, noTx.devId, 0).error, QStringLiteral("no free sdpId"));
}

TEST(SimNetwork, SampleRateMismatchIsRefused)
{
    QVector<SimDeviceConfig> configs{bare("10.0.3.1"), bare("10.0.3.2")};
    configs[1].sampleRate = 96000;
    SimNetwork net({});
    QString error;
    ASSERT_TRUE(net.build(configs, &error));
    EXPECT_FALSE(net.route(configs[0].devId, 0, configs[1].devId, 0).ok());
}

TEST(SimNetwork, MulticastSubscriptions)
{
    auto net = generated(3);
    const QString c = net->device(2).devId();
    const quint32 group = ip("239.69.0.1");
    SimChange ch = net->subscribeMcast(c, group, {5, 6});
    ASSERT_TRUE(ch.ok()) << ch.error.toStdString();
    EXPECT_TRUE(ch.activeChanged.contains(2));
    const SimDevice& d = net->device(2);
    const SimRtpChannel& first = d.rtpChannels()[d.rxChMap()[5]];
    EXPECT_EQ(first.srcDevId, net->device(0).devId());
    EXPECT_EQ(first.srcChId, 0);
    EXPECT_EQ(d.rtpChannels()[d.rxChMap()[6]].srcChId, 1);
    expectConsistent(*net);

    EXPECT_FALSE(net->subscribeMcast(c, group, {7}).ok()) << "already receiving";
    EXPECT_FALSE(net->subscribeMcast(c, ip("239.1.1.1"), {7}).ok()) << "nobody sends it";
    EXPECT_FALSE(net->subscribeMcast(net->device(0).devId(), group, {7}).ok()) << "own stream";
    EXPECT_FALSE(net->subscribeMcast(net->device(1).devId(), ip("239.69.0.1"), {0, 1, 2}).ok());

    SimMcastTxConfig dup{QStringLiteral("dup"), group, 5004, {0}};
    EXPECT_FALSE(net->addMcastTx(c, dup).ok()) << "group already in use";
    SimMcastTxConfig other{QStringLiteral("other"), ip("239.69.0.2"), 5004, {3, 4, 5}};
    ASSERT_TRUE(net->addMcastTx(c, other).ok());
    EXPECT_EQ(net->device(2).mcastTx()[0].sdp.chNum, 3);
}

TEST(SimNetwork, BuildReportsBadReferences)
{
    SimDeviceConfig missingSource = bare("10.0.4.1");
    missingSource.routes = {{0, QStringLiteral("MISSING"), 0}};
    SimDeviceConfig missingGroup = bare("10.0.4.2");
    missingGroup.mcastRx = {{ip("239.5.5.5"), {0}}};
    const QVector<SimDeviceConfig> bad[] = {{missingSource}, {missingGroup}, {bare("10.0.4.3"), bare("10.0.4.3")}};
    for (const QVector<SimDeviceConfig>& configs : bad) {
        QString error;
        EXPECT_FALSE(SimNetwork({}).build(configs, &error)) << configs.first().ip;
        EXPECT_FALSE(error.isEmpty());
        if (&configs == &bad[0]) {
            EXPECT_TRUE(error.contains(QStringLiteral("MISSING"))) << "the error names what is missing";
        }
    }
}

TEST(SimNetwork, DumpHasTheControllerShape)
{
    auto net = generated(2);
    const QJsonObject dump = net->dump();
    const QJsonArray devices = dump.value("devices").toArray();
    ASSERT_EQ(devices.size(), 2);
    const QJsonObject d = devices[1].toObject();
    QStringList expected = {"devId",      "name",       "ip",         "port",       "chNumRx",    "chNumTx",
                            "ucastNumRx", "ucastNumTx", "mcastNumRx", "mcastNumTx", "sampleRate", "sampleByteNum",
                            "pFrameNum",  "dscp",       "delayUs",    "myClkId",    "gmClkId",    "model",
                            "phyChNumRx", "phyChNumTx", "canWork",    "tables"};
    QStringList keys = d.keys();
    expected.sort();
    keys.sort();
    EXPECT_EQ(keys, expected);
    EXPECT_TRUE(d.value("port").isDouble());
    EXPECT_EQ(d.value("chNumRx").toInt(), 8);
    EXPECT_EQ(d.value("canWork").toInt(), 1);
    EXPECT_EQ(d.value("ip").toString(), QStringLiteral("10.0.0.2"));

    const QJsonObject tables = d.value("tables").toObject();
    QStringList tableKeys = tables.keys();
    EXPECT_EQ(tableKeys, (QStringList{"mcastRx", "mcastTx", "rtpCh", "rxCh", "ucastRx", "ucastTx"}));
    EXPECT_EQ(tables.value("rxCh").toArray().size(), 4);
    EXPECT_EQ(tables.value("ucastTx").toArray().size(), 0);
    const QJsonObject urx = tables.value("ucastRx").toArray()[0].toObject();
    EXPECT_TRUE(urx.value("active").isBool());
    EXPECT_TRUE(urx.value("active").toBool());
    EXPECT_EQ(urx.value("rtpChIdArr").toArray(), (QJsonArray{0, 1, -1, -1, -1, -1, -1, -1}));
    const QJsonObject sdp = urx.value("sdp").toObject();
    EXPECT_TRUE(sdp.value("dstPort").isDouble());
    EXPECT_TRUE(sdp.value("rtpTsOffset").isDouble());
    EXPECT_EQ(sdp.value("srcIp").toString(), QStringLiteral("10.0.0.1"));
    const QJsonObject rtp = tables.value("rtpCh").toArray()[0].toObject();
    EXPECT_EQ(rtp.value("srcChId").toInt(-2), 0);
    EXPECT_EQ(rtp.value("id").toInt(-2), 0);

    // Same facts as the wire: what a controller fetches page by page must equal the dump.
    const SimDevice& dev = net->device(1);
    const QJsonArray wire = dev.pageReply(SimTable::UcastRx, 0, 8).value("arr").toArray();
    EXPECT_EQ(wire[0].toObject().value("sdp").toObject().value("rtpTsOffset").toString().toDouble(),
              sdp.value("rtpTsOffset").toDouble());
}

TEST(SimNetwork, PeriodicRoundsAreSlicedIntoBoundedBursts)
{
    struct Case
    {
        int datagrams, periodMs, maxBurst, slices;
        const char* what;
    };
    const Case cases[] = {
        {0, 1000, 32, 1, "no device"},
        {3, 1000, 32, 1, "a small network sends in one go"},
        {32, 1000, 32, 1, "exactly one burst"},
        {33, 1000, 32, 2, "one more needs a second slice"},
        {1024, 1000, 32, 32, "a large network"},
        {2048, 1000, 32, 64, "two clock events per device"},
        {1024, 100, 32, 10, "slices stay 10 ms apart"},
        {1024, 10, 32, 1, "the shortest period cannot be sliced"},
        {5, 1000, 0, 5, "a burst bound below one counts as one"},
    };
    for (const Case& c : cases) {
        const int slices = SimNetwork::sliceCount(c.datagrams, c.periodMs, c.maxBurst);
        EXPECT_EQ(slices, c.slices) << c.what;
        if (c.periodMs / 10 >= c.datagrams / std::max(1, c.maxBurst) + 1) {
            EXPECT_LE((c.datagrams + slices - 1) / slices, std::max(1, c.maxBurst)) << c.what;
        }
    }
}
