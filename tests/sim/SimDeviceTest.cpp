#include "SimTestUtil.h"

#include <climits>

using namespace simtest;

TEST(SimDevice, AnnouncementCarriesEveryFieldAsText)
{
    auto net = generated(3); // the last one is of the "MRP-" family
    const SimDevice& d = net->device(1);
    const QJsonObject a = d.announcement();
    expectAllText(a, "iAmVeranto");
    EXPECT_EQ(a.value("ops").toString(), QStringLiteral("iAmVeranto"));
    EXPECT_EQ(a.value("ip").toString(), QStringLiteral("10.0.0.2"));
    EXPECT_EQ(a.value("devId").toString(), QStringLiteral("MD0A000002"));
    EXPECT_EQ(a.value("port").toString(), QStringLiteral("9990"));
    EXPECT_EQ(a.value("chNumRx").toString(), QStringLiteral("8"));
    EXPECT_EQ(a.value("mcastNumTx").toString(), QStringLiteral("4"));
    EXPECT_EQ(a.value("sampleRate").toString(), QStringLiteral("48000"));
    EXPECT_EQ(a.value("canWork").toString(), QStringLiteral("1"));
    EXPECT_EQ(a.value("model").toString(), QStringLiteral("MRD-D8"));
    // The first device is the grandmaster of every other one.
    EXPECT_EQ(a.value("gmClkId").toString(), net->device(0).config().myClkId);
    EXPECT_NE(a.value("myClkId").toString(), a.value("gmClkId").toString());
    // The same members as the dump, where the tables take the place of "ops".
    QStringList keys = net->dump().value("devices").toArray()[1].toObject().keys();
    keys.removeOne("tables");
    keys.append("ops");
    keys.sort();
    EXPECT_EQ(a.keys(), keys);
}

TEST(SimDevice, PagesCarryTheRouteTables)
{
    auto net = generated(3);
    const SimDevice& d = net->device(1); // receives device 1's channels 0-1 and its multicast on 2-3
    const QJsonObject rx = d.pageReply(SimTable::RxCh, 0, 8);
    EXPECT_EQ(rx.value("ops").toString(), QStringLiteral("getAllRxCh"));
    EXPECT_EQ(rx.value("idStart").toString(), QStringLiteral("0"));
    EXPECT_EQ(rx.value("idNext").toString(), QStringLiteral("8"));
    const QJsonArray rxArr = rx.value("arr").toArray();
    ASSERT_EQ(rxArr.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(num(rxArr[i].toObject().value("id")), i);
        EXPECT_EQ(num(rxArr[i].toObject().value("rtpChId")), i);
    }

    const QJsonArray rtp = d.pageReply(SimTable::RtpCh, 0, 8).value("arr").toArray();
    ASSERT_EQ(rtp.size(), 4);
    for (int i = 0; i < 4; ++i) {
        // Channels 2-3 come by multicast: a receiver names no source device for them.
        EXPECT_EQ(rtp[i].toObject().value("srcDevId").toString(), i < 2 ? net->device(0).devId() : QString());
        EXPECT_EQ(num(rtp[i].toObject().value("srcChId")), i % 2);
    }

    const QJsonObject urx = d.pageReply(SimTable::UcastRx, 0, 8);
    expectAllText(urx, "getAllUcastRx");
    const QJsonArray urxArr = urx.value("arr").toArray();
    ASSERT_EQ(urxArr.size(), 1);
    const QJsonObject s = urxArr[0].toObject();
    EXPECT_EQ(s.value("active").toString(), QStringLiteral("1"));
    const QJsonObject sdp = s.value("sdp").toObject();
    EXPECT_EQ(sdp.value("srcIp").toString(), QStringLiteral("10.0.0.1"));
    EXPECT_EQ(sdp.value("dstIp").toString(), QStringLiteral("10.0.0.2"));
    EXPECT_EQ(num(sdp.value("chNum")), 2);
    EXPECT_EQ(num(sdp.value("sampleByteNum")), 3);
    EXPECT_GT(num(sdp.value("dstPort")), 0);
    const QJsonArray slotIds{"0", "1", "-1", "-1", "-1", "-1", "-1", "-1"}; // eight slotIds, unused ones -1
    EXPECT_EQ(s.value("rtpChIdArr").toArray(), slotIds);

    // The sender lists the same stream among its unicast transmit streams.
    const QJsonArray utx = net->device(0).pageReply(SimTable::UcastTx, 0, 8).value("arr").toArray();
    ASSERT_EQ(utx.size(), 1);
    EXPECT_EQ(utx[0].toObject().value("sdp").toObject(), sdp);
    EXPECT_EQ(utx[0].toObject().value("srcChIdArr").toArray(), slotIds);
    EXPECT_EQ(utx[0].toObject().value("name").toString(), d.config().name);

    const QJsonArray mtx = net->device(0).pageReply(SimTable::McastTx, 0, 8).value("arr").toArray();
    ASSERT_EQ(mtx.size(), 1);
    EXPECT_EQ(mtx[0].toObject().value("sdp").toObject().value("dstIp").toString(), QStringLiteral("239.69.0.1"));
    const QJsonArray mrx = d.pageReply(SimTable::McastRx, 0, 8).value("arr").toArray();
    ASSERT_EQ(mrx.size(), 1);
    EXPECT_EQ(mrx[0].toObject().value("sdp"), mtx[0].toObject().value("sdp"));

    EXPECT_EQ(d.pageReply(SimTable::ActiveUcast, 0, 8).value("arr").toArray(), QJsonArray{QStringLiteral("0")});
    EXPECT_EQ(d.pageReply(SimTable::ActiveMcast, 0, 8).value("arr").toArray(), QJsonArray{QStringLiteral("0")});
    EXPECT_TRUE(net->device(0).pageReply(SimTable::ActiveUcast, 0, 8).value("arr").toArray().isEmpty());
}

TEST(SimDevice, InactiveStreamsAreListedButNotAmongActiveIds)
{
    auto net = generated(2);
    SimDevice& d = net->device(1);
    d.ucastRx()[0].active = false;
    EXPECT_EQ(d.pageReply(SimTable::UcastRx, 0, 8).value("arr").toArray()[0].toObject().value("active").toString(),
              QStringLiteral("0"));
    EXPECT_TRUE(d.pageReply(SimTable::ActiveUcast, 0, 8).value("arr").toArray().isEmpty());
}

struct PageCase
{
    SimTable table;
    int pageSize;
};

class SimDevicePaging : public ::testing::TestWithParam<PageCase>
{
};

TEST_P(SimDevicePaging, WalkingPagesGivesEveryEntryOnce)
{
    auto net = generated(3);
    // More content: the 64-channel device takes channels from both others.
    for (int ch = 2; ch < 20; ++ch)
        ASSERT_TRUE(net->route(net->device(2).devId(), ch, net->device(ch % 2).devId(), ch % 8).ok());
    for (int i = 0; i < net->deviceCount(); ++i) {
        const SimDevice& d = net->device(i);
        const PageCase pc = GetParam();
        const int count = d.tableCount(pc.table);
        const QJsonArray all = d.pageReply(pc.table, 0, INT_MAX, INT_MAX).value("arr").toArray();
        QJsonArray walked;
        int start = 0;
        int pages = 0;
        do {
            const QJsonObject page = d.pageReply(pc.table, start, pc.pageSize);
            EXPECT_EQ(page.value("ops").toString(), SimDevice::opsForTable(pc.table));
            EXPECT_EQ(num(page.value("idStart")), start);
            const int next = num(page.value("idNext"));
            EXPECT_EQ(next, std::min(start + pc.pageSize, count));
            for (const QJsonValue& e : page.value("arr").toArray()) {
                const int id = e.isString() ? num(e) : num(e.toObject().value("id"));
                EXPECT_GE(id, start);
                EXPECT_LT(id, next);
                walked.append(e);
            }
            EXPECT_LE(compact(page).size(), kSimMaxDatagramBytes);
            start = next;
            ASSERT_LT(++pages, 10000);
        } while (start < count);
        EXPECT_EQ(walked, all) << "device " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(AllTables, SimDevicePaging,
                         ::testing::Values(PageCase{SimTable::RxCh, 1}, PageCase{SimTable::RxCh, 3},
                                           PageCase{SimTable::RxCh, 8}, PageCase{SimTable::RxCh, 100},
                                           PageCase{SimTable::RtpCh, 5}, PageCase{SimTable::RtpCh, 8},
                                           PageCase{SimTable::UcastRx, 1}, PageCase{SimTable::UcastRx, 8},
                                           PageCase{SimTable::UcastTx, 3}, PageCase{SimTable::UcastTx, 8},
                                           PageCase{SimTable::McastRx, 2}, PageCase{SimTable::McastTx, 8},
                                           PageCase{SimTable::ActiveUcast, 3}, PageCase{SimTable::ActiveMcast, 8}));

TEST(SimDevice, PageAtTheEndAndEmptyTables)
{
    auto net = generated(1);
    const SimDevice& d = net->device(0);
    const QJsonObject end = d.pageReply(SimTable::RxCh, 16, 8);
    EXPECT_EQ(end.value("idStart").toString(), QStringLiteral("16"));
    EXPECT_EQ(end.value("idNext").toString(), QStringLiteral("16"));
    EXPECT_TRUE(end.value("arr").isArray());
    EXPECT_TRUE(end.value("arr").toArray().isEmpty());

    SimDeviceConfig c = bare("10.0.0.50", 0);
    c.ucastNumRx = c.ucastNumTx = c.mcastNumRx = c.mcastNumTx = 0;
    SimDevice empty(c, 9990);
    for (int t = 0; t <= int(SimTable::ActiveMcast); ++t) {
        EXPECT_EQ(empty.tableCount(SimTable(t)), 0);
        const QJsonObject p = empty.pageReply(SimTable(t), 0, 8);
        EXPECT_EQ(p.value("idNext").toString(), QStringLiteral("0"));
        EXPECT_TRUE(p.value("arr").toArray().isEmpty());
    }
}

TEST(SimDevice, FullStreamTablePagesStayWithinOneDatagram)
{
    // Eight senders each feeding eight channels fill all eight unicast receive streams of one device.
    QVector<SimDeviceConfig> configs;
    SimDeviceConfig rx = bare("10.0.1.100", 64);
    configs.append(rx);
    for (int s = 0; s < 8; ++s) {
        SimDeviceConfig tx = bare("10.0.1.1", 16);
        tx.ip += quint32(s);
        tx.devId = SimDeviceConfig::devIdForIp(tx.ip);
        tx.name = QStringLiteral("a sender with a name long enough to matter %1").arg(s);
        tx.myClkId = SimDeviceConfig::clockIdForIp(tx.ip);
        configs.append(tx);
        for (int k = 0; k < 8; ++k)
            configs[0].routes.append({s * 8 + k, tx.devId, k});
    }
    SimNetwork net({});
    QString error;
    ASSERT_TRUE(net.build(configs, &error)) << error.toStdString();
    for (SimTable t : {SimTable::UcastRx, SimTable::UcastTx}) {
        const int devIndex = t == SimTable::UcastRx ? 0 : 1;
        const SimDevice& d = net.device(devIndex);
        int start = 0;
        int entries = 0;
        int pages = 0;
        while (start < d.tableCount(t)) {
            const QJsonObject page = d.pageReply(t, start, 8);
            EXPECT_LE(compact(page).size(), kSimMaxDatagramBytes);
            const int next = num(page.value("idNext"));
            ASSERT_GT(next, start);
            entries += page.value("arr").toArray().size();
            start = next;
            ++pages;
        }
        EXPECT_EQ(entries, t == SimTable::UcastRx ? 8 : 1);
        if (t == SimTable::UcastRx) {
            EXPECT_GT(pages, 1) << "eight full streams do not fit one datagram and must be split";
        }
    }
}
