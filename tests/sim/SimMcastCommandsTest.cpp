// Multicast transmit streams and multicast receive routes, through the handlers and the network.

#include "SapAnnouncer.h"
#include "SimControl.h"
#include "SimTestUtil.h"

#include <QRandomGenerator>
#include <QSet>

using namespace simtest;

namespace {

QJsonObject sdp(const char* dstIp, const char* port = "5004", const char* chNum = "2")
{
    return QJsonObject{{"srcIp", "10.0.0.1"}, {"dstIp", dstIp},       {"dstPort", port},
                       {"chNum", chNum},      {"sampleByteNum", "3"}, {"rtpTsOffset", "4800"}};
}

QJsonObject createReq(const char* name, const char* dstIp, QJsonArray channels = {"0", "3"})
{
    return req("setMcastTx", {{"name", name},
                              {"sdp", QJsonObject{{"dstIp", dstIp}, {"dstPort", "5006"}, {"rtpTsOffset", "96"}}},
                              {"srcChIdArr", channels}});
}

QJsonObject joinReq(const QJsonObject& description, int streamCh, int rxCh)
{
    return req("setMcastRx",
               {{"sdp", description}, {"srcChId", QString::number(streamCh)}, {"dstChId", QString::number(rxCh)}});
}

QVector<SimDeviceConfig> network()
{
    return {bare("10.0.0.1", 8), bare("10.0.0.2", 8), bare("10.0.0.3", 16)};
}

/// `o` with `key` set to `value`, or removed when `value` is undefined.
QJsonObject with(QJsonObject o, const char* key, const QJsonValue& value = QJsonValue::Undefined)
{
    if (value.isUndefined())
        o.remove(QLatin1String(key));
    else
        o.insert(QLatin1String(key), value);
    return o;
}

quint32 group(const char* text)
{
    return ip(text);
}

/// Entries of one table as the controller reads them (all pages).
QJsonArray table(const SimDevice& d, SimTable t)
{
    QJsonArray all;
    for (int start = 0; start < d.tableCount(t);) {
        const QJsonObject page = d.pageReply(t, start, 8);
        for (const QJsonValue& v : page.value("arr").toArray())
            all.append(v);
        start = page.value("idNext").toString().toInt();
    }
    return all;
}

} // namespace

TEST(SimMcastCommands, CreatedStreamReadsBackAndIsAnnounced)
{
    Bench b(network());
    const QJsonObject a = b.one(0, createReq("Stage", "239.69.1.2"));
    ASSERT_EQ(a.value("result").toString(), "succ") << compact(a).toStdString();
    EXPECT_EQ(a.value("name").toString(), "Stage");
    EXPECT_EQ(a.value("sdpId").toString(), "0");
    EXPECT_EQ(a.value("dstIp").toString(), QString::number(group("239.69.1.2")));

    const QJsonArray tx = table(b.net->device(0), SimTable::McastTx);
    ASSERT_EQ(tx.size(), 1);
    const QJsonObject e = tx.first().toObject();
    EXPECT_EQ(e.value("name").toString(), "Stage");
    // Sent from the device's own address, in its sample format.
    EXPECT_EQ(compact(e.value("sdp").toObject()), compact({{"srcIp", "10.0.0.1"},
                                                           {"dstIp", "239.69.1.2"},
                                                           {"dstPort", "5006"},
                                                           {"chNum", "2"},
                                                           {"rtpTsOffset", "96"},
                                                           {"sampleByteNum", "3"}}));
    EXPECT_EQ(e.value("srcChIdArr").toArray().toVariantList().mid(0, 2), (QVariantList{"0", "3"}));

    // The periodic announcements include it, and its creation carries one at once.
    const QVector<QByteArray> packets = SapAnnouncer::packetsFor(b.net->device(0));
    ASSERT_EQ(packets.size(), 1);
    EXPECT_TRUE(packets.first().contains("s=Stage\r\n"));
    EXPECT_TRUE(packets.first().contains("c=IN IP4 239.69.1.2/32\r\n"));
    SimMcastTxConfig more{QStringLiteral("More"), group("239.69.1.3"), 5004, {1}};
    const SimChange change = b.net->addMcastTx(b.net->device(0).devId(), more);
    ASSERT_TRUE(change.ok());
    EXPECT_TRUE(change.routeChanged.contains(0)) << "updateRoute from the sender";
    ASSERT_EQ(change.sap.size(), 1);
    EXPECT_EQ(change.sap.first().device, 0);
    EXPECT_EQ(change.sap.first().packet, SapAnnouncer::packetsFor(b.net->device(0)).at(1));
}

TEST(SimMcastCommands, CreationRefusesBadBodiesAndFullTables)
{
    Bench b(network());
    const QJsonObject before = b.net->dump();
    const QJsonObject good = createReq("x", "239.1.1.1");
    const QVector<QPair<const char*, QJsonObject>> bad{
        {"empty name", createReq("  ", "239.1.1.1")},
        {"line break would end the SDP name line", createReq("a\r\nc=IN IP4 1.2.3.4", "239.1.1.1")},
        {"name longer than 63 bytes", createReq(QByteArray(64, 'n').constData(), "239.1.1.1")},
        {"unicast group", createReq("x", "10.1.1.1")},
        {"unreadable group", createReq("x", "239.1.1")},
        {"no channel", createReq("x", "239.1.1.1", QJsonArray{})},
        {"nine channels", createReq("x", "239.1.1.1", {"0", "1", "2", "3", "4", "5", "6", "7", "0"})},
        {"channel out of range", createReq("x", "239.1.1.1", {"8"})},
        {"channel not a number", createReq("x", "239.1.1.1", {"one"})},
        {"no sdp", with(good, "sdp")},
        {"no srcChIdArr", with(good, "srcChIdArr")},
        {"offset not unsigned",
         with(good, "sdp", QJsonObject{{"dstIp", "239.1.1.1"}, {"dstPort", "5004"}, {"rtpTsOffset", "-1"}})},
        {"no port", with(good, "sdp", QJsonObject{{"dstIp", "239.1.1.1"}})},
    };
    for (const auto& c : bad) {
        const QJsonObject a = b.one(0, c.second);
        EXPECT_EQ(a.value("result").toString(), "fail") << c.first;
        EXPECT_FALSE(a.value("reason").toString().isEmpty()) << c.first;
    }
    EXPECT_EQ(b.net->dump(), before) << "a refused creation changes nothing";

    // Slots run out: the fifth stream of a four-slot device is refused with the reason a controller knows.
    const int slotCount = b.net->device(1).config().mcastNumTx;
    for (int i = 0; i < slotCount; ++i)
        ASSERT_EQ(b.result(1, createReq("s", QStringLiteral("239.2.0.%1").arg(i + 1).toLatin1().constData())), "succ");
    const QJsonObject full = b.one(1, createReq("s", "239.2.0.99"));
    EXPECT_EQ(full.value("result").toString(), "fail");
    EXPECT_EQ(full.value("reason").toString(), "no free sdpId");
    // A group another device already sends is refused too.
    EXPECT_EQ(b.result(0, createReq("dup", "239.2.0.1")), "fail");
}

TEST(SimMcastCommands, RemovalSendsASapDeletionAndLeavesReceiversInactive)
{
    Bench b(network());
    ASSERT_EQ(b.result(0, createReq("Stage", "239.69.1.2")), "succ");
    ASSERT_EQ(b.result(1, joinReq(sdp("239.69.1.2"), 1, 4)), "succ");
    ASSERT_TRUE(b.net->device(1).mcastRx()[0].active);
    const QByteArray announcement = SapAnnouncer::packetsFor(b.net->device(0)).first();

    const SimChange change = b.net->removeMcastTx(b.net->device(0).devId(), group("239.69.1.2"));
    ASSERT_TRUE(change.ok());
    EXPECT_TRUE(change.routeChanged.contains(0));
    EXPECT_TRUE(change.activeChanged.contains(1)) << "updateActive from the receiver";
    ASSERT_EQ(change.sap.size(), 1);
    const QByteArray del = change.sap.first().packet;
    EXPECT_EQ(quint8(del.at(0)), 0x24) << "SAP version 1, deletion";
    EXPECT_EQ(del.mid(2, 6), announcement.mid(2, 6)) << "same hash and origin as the announcement";
    EXPECT_TRUE(del.mid(24).startsWith("o=- ")) << "the origin line identifies the session";
    EXPECT_FALSE(del.contains("s=Stage"));

    EXPECT_TRUE(SapAnnouncer::packetsFor(b.net->device(0)).isEmpty()) << "no longer announced";
    EXPECT_TRUE(table(b.net->device(0), SimTable::McastTx).isEmpty());
    EXPECT_TRUE(b.net->device(1).mcastRx()[0].used) << "the receiver stays joined";
    EXPECT_FALSE(b.net->device(1).mcastRx()[0].active);
    EXPECT_GE(b.net->device(1).rxChMap()[4], 0);

    // The same group sent again wakes the receiver up.
    ASSERT_EQ(b.result(2, createReq("Again", "239.69.1.2")), "succ");
    EXPECT_TRUE(b.net->device(1).mcastRx()[0].active);
}

TEST(SimMcastCommands, RemovalByCommand)
{
    Bench b(network());
    ASSERT_EQ(b.result(0, createReq("A", "239.69.1.2")), "succ");
    ASSERT_EQ(b.result(0, createReq("B", "239.69.1.3")), "succ");
    const QString decimal = QString::number(group("239.69.1.2"));
    const QJsonObject a = b.one(0, req("clrMcastTx", {{"dstIp", decimal}, {"name", "A"}}));
    EXPECT_EQ(a.value("result").toString(), "succ");
    EXPECT_EQ(a.value("dstIp").toString(), decimal) << "the controller matches the answer by it";
    EXPECT_EQ(a.value("name").toString(), "A");
    const QJsonArray left = table(b.net->device(0), SimTable::McastTx);
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(left.first().toObject().value("name").toString(), "B");
    EXPECT_EQ(left.first().toObject().value("id").toString(), "1") << "other streams keep their slot";

    const QJsonObject again = b.one(0, req("clrMcastTx", {{"dstIp", decimal}, {"name", "A"}}));
    EXPECT_EQ(again.value("result").toString(), "fail") << "already gone";
    EXPECT_EQ(b.result(1, req("clrMcastTx", {{"dstIp", QString::number(group("239.69.1.3"))}})), "fail")
        << "another device's stream is unknown here";
    for (const QJsonObject& bad :
         {req("clrMcastTx", {{"dstIp", "4294967296"}}), req("clrMcastTx", {{"dstIp", "-1"}}), req("clrMcastTx")})
        EXPECT_EQ(b.result(0, bad), "fail") << compact(bad).toStdString();
    EXPECT_EQ(b.result(0, req("clrMcastTx", {{"dstIp", "239.69.1.3"}})), "succ") << "dotted text is understood";
    EXPECT_TRUE(table(b.net->device(0), SimTable::McastTx).isEmpty());
    // Slots are reused.
    const QJsonObject created = b.one(0, createReq("C", "239.69.1.9"));
    EXPECT_EQ(created.value("sdpId").toString(), "0");
}

TEST(SimMcastCommands, JoiningAStreamMapsTheChannelAndSharesTheEntry)
{
    Bench b(network());
    ASSERT_EQ(b.result(0, createReq("Stage", "239.69.1.2", {"5", "6"})), "succ");
    const QJsonObject first = b.one(1, joinReq(sdp("239.69.1.2"), 1, 4));
    ASSERT_EQ(first.value("result").toString(), "succ") << compact(first).toStdString();
    EXPECT_EQ(first.value("dstChId").toString(), "4");
    const SimDevice& rx = b.net->device(1);
    const int rtp = rx.rxChMap()[4];
    ASSERT_GE(rtp, 0);
    EXPECT_EQ(rx.rtpChannels()[rtp].srcDevId, b.net->device(0).devId());
    EXPECT_EQ(rx.rtpChannels()[rtp].srcChId, 6) << "stream channel 1 carries transmit channel 6";
    const QJsonArray entries = table(rx, SimTable::McastRx);
    ASSERT_EQ(entries.size(), 1);
    const QJsonObject e = entries.first().toObject();
    EXPECT_EQ(e.value("sdp").toObject(), SimDevice::sdpToWire(rx.mcastRx()[0].sdp));
    EXPECT_EQ(e.value("sdp").toObject().value("rtpTsOffset").toString(), "4800") << "the description as given";
    EXPECT_EQ(e.value("rtpChIdArr").toArray().at(1).toString(), QString::number(rtp));
    EXPECT_EQ(e.value("active").toString(), "1");
    EXPECT_EQ(table(rx, SimTable::ActiveMcast).size(), 1);

    // The other stream channel joins the same entry; the same channel twice shares its RTP channel.
    SimSdp s = rx.mcastRx()[0].sdp;
    const SimChange second = b.net->joinMcast(rx.devId(), s, 0, 5);
    ASSERT_TRUE(second.ok());
    EXPECT_TRUE(second.routeChanged.contains(1)) << "updateRoute from the receiver";
    EXPECT_FALSE(second.activeChanged.contains(1)) << "no new stream";
    EXPECT_EQ(table(rx, SimTable::McastRx).size(), 1);
    ASSERT_EQ(b.result(1, joinReq(sdp("239.69.1.2"), 1, 7)), "succ");
    EXPECT_EQ(rx.rxChMap()[7], rtp);
    EXPECT_FALSE(b.net->joinMcast(rx.devId(), s, 1, 7).changed()) << "already routed this way";

    // A unicast route on the channel is replaced, its stream released on both ends.
    ASSERT_TRUE(b.net->route(rx.devId(), 2, b.net->device(2).devId(), 0).ok());
    ASSERT_EQ(b.result(1, joinReq(sdp("239.69.1.2"), 0, 2)), "succ");
    EXPECT_FALSE(rx.ucastRx()[0].used);
    EXPECT_FALSE(b.net->device(2).ucastTx()[0].used);

    // Clearing every channel of the stream leaves the group.
    for (const char* ch : {"4", "5", "7"})
        EXPECT_EQ(b.result(1, req("clrRxCh", {{"dstChId", ch}})), "succ");
    EXPECT_EQ(table(rx, SimTable::McastRx).size(), 1) << "channel 2 still takes stream channel 0";
    EXPECT_EQ(b.result(1, req("clrRxCh", {{"dstChId", "2"}})), "succ");
    EXPECT_TRUE(table(rx, SimTable::McastRx).isEmpty());
    EXPECT_TRUE(table(rx, SimTable::RtpCh).isEmpty());
}

TEST(SimMcastCommands, JoiningRefusals)
{
    Bench b(network());
    ASSERT_EQ(b.result(0, createReq("Stage", "239.69.1.2")), "succ");
    b.net->device(1).setLockMask(0x1);
    const QJsonObject locked = b.one(1, joinReq(sdp("239.69.1.2"), 0, 0));
    EXPECT_EQ(locked.value("reason").toString(), "LOCK_UCAST_MCAST");
    b.net->device(1).setLockMask(0);
    EXPECT_EQ(b.result(0, createReq("Other", "239.69.1.3")), "succ") << "creation is not a route change";

    const QJsonObject before = b.net->dump();
    const QJsonObject good = joinReq(sdp("239.69.1.2"), 0, 0);
    const QVector<QPair<const char*, QJsonObject>> bad{
        {"no sdp", with(good, "sdp")},
        {"sdp not an object", with(good, "sdp", "v=0")},
        {"missing member", with(good, "sdp", with(sdp("239.69.1.2"), "rtpTsOffset"))},
        {"unicast group", joinReq(sdp("10.0.0.9"), 0, 0)},
        {"port 0", joinReq(sdp("239.69.1.2", "0"), 0, 0)},
        {"port too large", joinReq(sdp("239.69.1.2", "65536"), 0, 0)},
        {"nine channels", joinReq(sdp("239.69.1.2", "5004", "9"), 0, 0)},
        {"stream channel beyond the description", joinReq(sdp("239.69.1.2"), 2, 0)},
        {"stream channel beyond what is sent", joinReq(sdp("239.69.1.2", "5004", "8"), 2, 0)},
        {"receive channel out of range", joinReq(sdp("239.69.1.2"), 0, 8)},
        {"negative channel", joinReq(sdp("239.69.1.2"), -1, 0)},
    };
    for (const auto& c : bad) {
        const QJsonObject a = b.one(1, c.second);
        EXPECT_EQ(a.value("result").toString(), "fail") << c.first;
    }
    EXPECT_EQ(b.result(0, joinReq(sdp("239.69.1.2"), 0, 0)), "fail") << "its own stream";
    EXPECT_EQ(b.net->dump(), before) << "a refused join changes nothing";

    // Every multicast receive slot taken: a further group is refused, an existing one still joins.
    const int slotCount = b.net->device(2).config().mcastNumRx;
    for (int i = 0; i < slotCount; ++i)
        ASSERT_EQ(b.result(2, joinReq(sdp(QStringLiteral("239.3.0.%1").arg(i + 1).toLatin1().constData()), 0, i)),
                  "succ");
    const QJsonObject full = b.one(2, joinReq(sdp("239.69.1.2"), 0, 12));
    EXPECT_EQ(full.value("result").toString(), "fail");
    EXPECT_EQ(full.value("reason").toString(), "no free sdpId");
    EXPECT_LT(b.net->device(2).rxChMap()[12], 0);
    EXPECT_EQ(b.result(2, joinReq(sdp("239.3.0.2"), 1, 12)), "succ") << "a group already received still joins";
    // Replacing the only channel of a group frees its slot for the new one.
    EXPECT_EQ(b.result(2, joinReq(sdp("239.69.1.2"), 0, 0)), "succ");
    EXPECT_EQ(b.net->device(2).rtpChannels()[b.net->device(2).rxChMap()[0]].srcDevId, b.net->device(0).devId());
}

TEST(SimMcastCommands, AStreamNobodySimulatedSendsIsJoinedInactive)
{
    Bench b(network());
    ASSERT_EQ(b.result(1, joinReq(sdp("239.9.9.9"), 0, 3)), "succ");
    const SimDevice& rx = b.net->device(1);
    EXPECT_FALSE(rx.mcastRx()[0].active);
    EXPECT_TRUE(table(rx, SimTable::ActiveMcast).isEmpty());
    EXPECT_EQ(rx.rtpChannels()[rx.rxChMap()[3]].srcDevId, "10.0.0.1") << "named by the source address";
    EXPECT_EQ(b.result(1, req("getMcastStats", {{"sdpId", "0"}})), "fail") << "no packets arrive";

    const SimChange change =
        b.net->addMcastTx(b.net->device(2).devId(), {QStringLiteral("late"), group("239.9.9.9"), 5004, {0}});
    ASSERT_TRUE(change.ok());
    EXPECT_TRUE(change.activeChanged.contains(1));
    EXPECT_TRUE(rx.mcastRx()[0].active);
    EXPECT_EQ(b.result(1, req("getMcastStats", {{"sdpId", "0"}})), "succ");
}

TEST(SimMcastCommands, StateShowsMulticastStreams)
{
    Bench b(network());
    ASSERT_EQ(b.result(0, createReq("Stage", "239.69.1.2")), "succ");
    ASSERT_EQ(b.result(1, joinReq(sdp("239.69.1.2"), 1, 4)), "succ");
    SimControl control(*b.net);
    const QJsonObject tx = control.handleLine(compact({{"cmd", "state"}, {"devId", b.net->device(0).devId()}}));
    const QJsonArray streams = tx.value("mcastTx").toArray();
    ASSERT_EQ(streams.size(), 1);
    EXPECT_EQ(streams.first().toObject().value("name").toString(), "Stage");
    EXPECT_EQ(streams.first().toObject().value("dstIp").toString(), "239.69.1.2");
    EXPECT_EQ(streams.first().toObject().value("srcChIds").toArray(), (QJsonArray{0, 3}));
    const QJsonObject rx = control.handleLine(compact({{"cmd", "state"}, {"devId", b.net->device(1).devId()}}));
    const QJsonArray joined = rx.value("mcastRx").toArray();
    ASSERT_EQ(joined.size(), 1);
    EXPECT_TRUE(joined.first().toObject().value("active").toBool());
    EXPECT_EQ(joined.first().toObject().value("rtpChIds").toArray().at(1).toInt(), b.net->device(1).rxChMap()[4]);
}

TEST(SimClockEvents, SlavesReportLockedWithSmallVaryingCorrections)
{
    QRandomGenerator rng(42);
    QSet<QString> offsets;
    QSet<QString> ppms;
    for (int i = 0; i < 50; ++i) {
        const QVector<QJsonObject> events = SimNetwork::clockEvents(rng);
        ASSERT_EQ(events.size(), 2);
        EXPECT_EQ(events[0].value("event").toString(), "masterOffset");
        EXPECT_EQ(events[0].value("state").toString(), "2") << "locked";
        EXPECT_LE(std::abs(num(events[0].value("offset"))), 150);
        EXPECT_EQ(events[1].value("event").toString(), "adjustFreq");
        EXPECT_LE(std::abs(num(events[1].value("ppm"))), 3);
        offsets.insert(events[0].value("offset").toString());
        ppms.insert(events[1].value("ppm").toString());
    }
    EXPECT_GT(offsets.size(), 10) << "the offset varies";
    EXPECT_GT(ppms.size(), 2) << "the correction varies";
}

TEST(SimMcastCommands, ChangesKeepDevicesInPlace)
{
    // Handlers and tests hold references to devices across a change; the change must not move them.
    Bench b(network());
    const SimDevice* rx = &b.net->device(1);
    ASSERT_TRUE(b.net->route(rx->devId(), 0, b.net->device(2).devId(), 0).ok());
    EXPECT_EQ(&b.net->device(1), rx);
    ASSERT_EQ(b.result(0, createReq("Stage", "239.69.1.2")), "succ");
    ASSERT_EQ(b.result(1, joinReq(sdp("239.69.1.2"), 0, 1)), "succ");
    EXPECT_EQ(&b.net->device(1), rx);
    EXPECT_FALSE(b.net->joinMcast(rx->devId(), rx->mcastRx()[0].sdp, 5, 1).ok());
    EXPECT_FALSE(b.net->route(rx->devId(), 0, b.net->device(2).devId(), 99).ok());
    EXPECT_EQ(&b.net->device(1), rx) << "refused changes are undone in place too";
    EXPECT_EQ(rx->rtpChannels()[rx->rxChMap()[1]].srcDevId, b.net->device(0).devId());
}
