#include "CtlRoutes.h"
#include "CtlSession.h"
#include "CtlTargets.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "TestAnnouncement.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cstring>
#include <gtest/gtest.h>

namespace {

void announce(const QString& devId, const QString& name, const QString& ip)
{
    QJsonObject o = testAnnouncement(devId, name, ip);
    o.insert("chNumTx", "2");
    o.insert("chNumRx", "3");
    o.insert("mcastNumRx", "2");
    const QByteArray msg = QJsonDocument(o).toJson(QJsonDocument::Compact);
    userCallLib_handleUdp_mcast(msg.constData(), msg.size(), dvm_parseIp(ip), 9996);
    DevDetailStore::instance().addFromRegistry(devId);
}

void announceStream()
{
    QByteArray p("\x20\x00\x12\x34\x0A\x00\x00\x63", 8);
    p.append("application/sdp", 16);
    p += "v=0\r\no=- 1 1 IN IP4 10.0.0.99\r\ns=Stage mix\r\nc=IN IP4 239.69.1.2/32\r\nt=0 0\r\n"
         "m=audio 5004 RTP/AVP 96\r\na=rtpmap:96 L24/48000/2\r\na=ptime:1\r\n"
         "a=ts-refclk:ptp=IEEE1588-2008:00-1D-C1-FF-FE-12-34-56:0\r\na=mediaclk:direct=0\r\n";
    userCallLib_handleUdp_sap(p.constData(), p.size(), dvm_parseIp("10.0.0.99"), 9875);
}

class CtlRoutesTest : public ::testing::Test
{
protected:
    CtlRoutesTest()
    {
        dvm_resetForTest();
        DevDetailStore::instance().clear();
        announce("MD01", "Stage box", "10.0.0.11");
        announce("MD02", "Desk", "10.0.0.12");
        announceStream();
        DevDetailStore::instance().updateDevDetail("MD02", [](DevDetail_t& d) { d.rxChNames[1] = "Talkback"; });
        // Desk in 2 <- Stage box out 1; Desk in 3 <- stream channel 2.
        DevTables& t = findDevById("MD02")->tables;
        t.setRxChMap(1, 4);
        std::strncpy(t.rtpCh[4].srcDevId, "MD01", DVM_NAME_LEN - 1);
        t.rtpCh[4].setSrcChId(0);
        t.setRxChMap(2, 5);
        t.rtpCh[5].setSrcChId(1);
        t.mcastRx[0].stream.dstIp = dvm_parseIp("239.69.1.2");
        t.mcastRx[0].setRtpChId(0, 5);
    }
    ~CtlRoutesTest() override
    {
        DevDetailStore::instance().clear();
        dvm_resetForTest();
    }
};

} // namespace

TEST_F(CtlRoutesTest, RoutesWithTheMatrixNames)
{
    const CtlRoutes::Snapshot s = CtlRoutes::snapshot();
    ASSERT_EQ(s.routes.size(), 2u);
    const QJsonObject unicast = CtlRoutes::routeJson(s, s.routes.at(0));
    EXPECT_EQ(unicast.value("kind").toString(), "unicast");
    EXPECT_EQ(unicast.value("sender").toObject(),
              (QJsonObject{{"id", "MD01"}, {"name", "Stage box"}, {"channel", 1}, {"channelName", "NetOut1"}}));
    EXPECT_EQ(unicast.value("receiver").toObject(),
              (QJsonObject{{"id", "MD02"}, {"name", "Desk"}, {"channel", 2}, {"channelName", "Talkback"}}));
    const QJsonObject multicast = CtlRoutes::routeJson(s, s.routes.at(1));
    EXPECT_EQ(multicast.value("kind").toString(), "multicast");
    EXPECT_EQ(multicast.value("sender").toObject().value("id").toString(), "239.69.1.2");
    // The matrix names the stream as SAP did; it may trim the CR of the "s=" line for display.
    const QString streamName = multicast.value("sender").toObject().value("name").toString();
    EXPECT_TRUE(streamName == "Stage mix" || streamName == "Stage mix\r") << streamName.toStdString();
    EXPECT_EQ(multicast.value("sender").toObject().value("channel").toInt(), 2);
    EXPECT_EQ(CtlRoutes::routeText(s, s.routes.at(0)),
              "Stage box:NetOut1 -> Desk:Talkback (unicast; MD01:1 -> MD02:2)");
    EXPECT_EQ(CtlRoutes::routeText(s, s.routes.at(1)),
              streamName + ":CH2 -> Desk:NetIn3 (multicast stream; 239.69.1.2:2 -> MD02:3)");
}

TEST_F(CtlRoutesTest, ReceiversAreFoundOnTheMatrixAxes)
{
    const CtlRoutes::Snapshot s = CtlRoutes::snapshot();
    const CtlTargets::Result rx = CtlTargets::channel(s.cols, "Desk:Talkback", true);
    ASSERT_TRUE(rx.ok()) << rx.error.toStdString();
    const AxisItem& item = s.cols.at(rx.position);
    const RouteEntry* route = CtlRoutes::routeInto(s, item.id, item.channel);
    ASSERT_NE(route, nullptr);
    EXPECT_EQ(route->sendId, "MD01");
    EXPECT_EQ(CtlRoutes::routeInto(s, "MD02", 1), nullptr);
    // The stream is a sender by name or address, never a receiver.
    EXPECT_TRUE(CtlTargets::channel(s.rows, "Stage mix:2").ok());
    EXPECT_EQ(CtlTargets::channel(s.rows, "239.69.1.2:2").position,
              CtlTargets::channel(s.rows, "Stage mix:2").position);
    EXPECT_FALSE(CtlTargets::channel(s.cols, "Stage mix:1", true).ok());
}

TEST_F(CtlRoutesTest, StreamsListingKeepsTheSapNameByteForByte)
{
    const QByteArray out = CtlSession::listing(CtlOptions::Streams);
    EXPECT_TRUE(out.contains(R"("name": "Stage mix\r")")) << out.toStdString();
    const QJsonArray streams = QJsonDocument::fromJson(out).array();
    ASSERT_EQ(streams.size(), 1);
    EXPECT_EQ(streams.at(0).toObject().value("name").toString(), "Stage mix\r");
}
