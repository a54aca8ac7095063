#include "RouteFacts.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "StoreTestSupport.h"

#include <QJsonDocument>
#include <cstring>
#include <gtest/gtest.h>

namespace {

void announce(const QString& devId, const QString& name, const QString& ip, QJsonObject extra = {})
{
    for (const char* key : {"chNumTx", "chNumRx"})
        extra.insert(key, extra.value(key).toString("4"));
    extra.insert("ucastNumTx", "2");
    extra.insert("mcastNumRx", "2");
    storetest::announce(devId, ip, extra, name);
}

DevTables& tables(const char* devId)
{
    return findDevById(devId)->tables;
}

/// Receive channel `dstCh` of `rx` fed through RTP channel `rtp` from channel `srcCh` of `src` ("" multicast).
void feed(const char* rx, int dstCh, int rtp, const char* src, int srcCh)
{
    DevTables& t = tables(rx);
    t.setRxChMap(dstCh, rtp);
    std::strncpy(t.rtpCh[rtp].srcDevId, src, DVM_NAME_LEN - 1);
    t.rtpCh[rtp].setSrcChId(srcCh);
}

class RouteFactsTest : public ::testing::Test
{
protected:
    RouteFactsTest()
    {
        dvm_resetForTest();
        store.clear();
        announce("TX", "Sender", "10.0.0.10");
        announce("RX", "Receiver", "10.0.0.20", {{"sampleRate", "96000"}, {"delayUs", "3000"}});
        store.addFromRegistry("TX");
        store.addFromRegistry("RX");
        store.updateDevDetail("TX", [](DevDetail_t& d) { d.txChNames[1] = QStringLiteral("Vocal"); });
        store.updateDevDetail("RX", [](DevDetail_t& d) {
            d.firmwareVersion = QStringLiteral("3.1.10.0");
            d.model = QStringLiteral("MRV-VSC");
        });
    }
    ~RouteFactsTest() override
    {
        store.clear();
        dvm_resetForTest();
    }

    static RouteFacts::Cell unicast(int sendCh, int recvCh, bool routed = false)
    {
        RouteFacts::Cell c;
        c.sendId = "TX";
        c.sendChannel = sendCh;
        c.recvId = "RX";
        c.recvChannel = recvCh;
        c.routed = routed;
        return c;
    }

    DevDetailStore store;
};

} // namespace

TEST_F(RouteFactsTest, UnicastFactsComeFromBothDevices)
{
    const RouteFacts::Gathered g = RouteFacts::gather(unicast(2, 1), true, store);
    const RouteClickChecks::Facts& f = g.facts;
    EXPECT_TRUE(f.chinese);
    EXPECT_FALSE(f.multicast);
    EXPECT_TRUE(f.senderKnown && f.receiverKnown);
    EXPECT_EQ(f.senderSampleRate, 48000);
    EXPECT_EQ(f.receiverSampleRate, 96000);
    EXPECT_EQ(f.senderIp, dvm_parseIp("10.0.0.10"));
    EXPECT_EQ(f.receiverIp, dvm_parseIp("10.0.0.20"));
    EXPECT_TRUE(f.streamSlotFree);
    EXPECT_FALSE(f.rxChannelActive);
}

TEST_F(RouteFactsTest, ExistingSourceIsLabelledByNameAndChannelName)
{
    feed("RX", 0, 3, "TX", 1);
    QString label;
    EXPECT_TRUE(RouteFacts::activeSource(findDevById("RX"), 0, store, &label));
    EXPECT_EQ(label, "Sender:Vocal");
    const RouteFacts::Gathered g = RouteFacts::gather(unicast(1, 1), false, store);
    EXPECT_TRUE(g.facts.rxChannelActive);
    EXPECT_EQ(g.facts.existingSourceLabel, "Sender:Vocal");

    // A source gone from the network is named by its devId and channel number; a multicast one has no label.
    feed("RX", 1, 4, "GONE", 6);
    EXPECT_TRUE(RouteFacts::activeSource(findDevById("RX"), 1, store, &label));
    EXPECT_EQ(label, "GONE:7");
    feed("RX", 2, 5, "", 0);
    label = "stale";
    EXPECT_TRUE(RouteFacts::activeSource(findDevById("RX"), 2, store, &label));
    EXPECT_TRUE(label.isEmpty());
    EXPECT_FALSE(RouteFacts::activeSource(findDevById("RX"), 3, store, &label));
    EXPECT_FALSE(RouteFacts::activeSource(nullptr, 0, store, &label));
    EXPECT_FALSE(RouteFacts::activeSource(findDevById("RX"), DVM_TABLE_SIZE, store, &label));
}

TEST_F(RouteFactsTest, FullStreamSlotsAreSeen)
{
    // Both unicast transmit slots already carry eight channels to other receivers.
    DevTables& t = tables("TX");
    for (int s = 0; s < 2; ++s) {
        t.ucastTx[s].stream.dstIp = dvm_parseIp("10.0.0.3") + s;
        t.ucastTx[s].stream.chNum = 8;
        for (int c = 0; c < 8; ++c)
            t.ucastTx[s].setSrcChId(c, c);
    }
    EXPECT_FALSE(RouteFacts::gather(unicast(1, 1), false, store).facts.streamSlotFree);
}

TEST_F(RouteFactsTest, MissingDevicesAreReportedAsUnknown)
{
    RouteFacts::Cell c = unicast(1, 1);
    c.sendId = "NOBODY";
    EXPECT_FALSE(RouteFacts::gather(c, false, store).facts.senderKnown);
    c.multicast = true;
    c.sendId = "239.9.9.9";
    EXPECT_FALSE(RouteFacts::gather(c, false, store).facts.senderKnown);
}

TEST_F(RouteFactsTest, MulticastFactsComeFromTheStreamAndTheReceiver)
{
    storetest::announceStream("Stage", "239.1.2.3", 2, 5006, 96000, "10.0.0.99");
    RouteFacts::Cell c = unicast(2, 3);
    c.multicast = true;
    c.sendId = "239.1.2.3";
    const RouteFacts::Gathered g = RouteFacts::gather(c, false, store);
    const RouteClickChecks::Facts& f = g.facts;
    ASSERT_TRUE(f.senderKnown && f.receiverKnown);
    EXPECT_TRUE(f.multicast);
    EXPECT_EQ(f.senderSampleRate, 96000);
    EXPECT_EQ(f.senderIp, dvm_parseIp("10.0.0.99"));
    EXPECT_EQ(f.streamPort, 5006);
    EXPECT_EQ(f.streamFrames, 96);
    EXPECT_EQ(f.receiverDelayUs, 3000);
    EXPECT_EQ(f.receiverFirmware, "3.1.10.0");
    EXPECT_TRUE(f.receiverIsVirtualCard);
    EXPECT_EQ(g.stream.dstIp, dvm_parseIp("239.1.2.3"));

    // The request carries the stream's own description and protocol channel numbers.
    const QJsonObject req =
        QJsonDocument::fromJson(RouteFacts::request(c, g, RouteClickChecks::Request::SetMcastRx).toUtf8()).object();
    EXPECT_EQ(req.value("ops").toString(), "setMcastRx");
    EXPECT_EQ(req.value("srcChId").toString(), "1");
    EXPECT_EQ(req.value("dstChId").toString(), "2");
    EXPECT_EQ(req.value("sdp").toObject().value("dstIp").toString(), "239.1.2.3");
    EXPECT_EQ(req.value("sdp").toObject().value("dstPort").toString(), "5006");
}

TEST_F(RouteFactsTest, RequestsUseProtocolChannelNumbers)
{
    const RouteFacts::Cell c = unicast(3, 4);
    const RouteFacts::Gathered g = RouteFacts::gather(c, false, store);
    EXPECT_EQ(RouteFacts::request(c, g, RouteClickChecks::Request::SetUcastRx),
              R"({"dstChId":"3","ops":"setUcastRx","srcChId":"2","srcDevId":"TX"})");
    EXPECT_EQ(RouteFacts::request(c, g, RouteClickChecks::Request::ClrRxCh), R"({"dstChId":"3","ops":"clrRxCh"})");
    EXPECT_TRUE(RouteFacts::request(c, g, RouteClickChecks::Request::None).isEmpty());
}
