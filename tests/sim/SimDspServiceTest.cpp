// The DSP service of a simulated device over real loopback sockets: framed TCP requests and UDP changes.

#include "SimControl.h"
#include "SimDspConfig.h"
#include "SimDspFramer.h"
#include "SimSocketUtil.h"
#include "SimTestUtil.h"

#include <QNetworkDatagram>
#include <QTcpSocket>

using namespace simtest;

namespace {

[[maybe_unused]] ::testing::Environment* const g_app = ::testing::AddGlobalTestEnvironment(new QtApp);

/// A framed client of the service.
struct Client
{
    QTcpSocket socket;
    SimDspFramer framer; // its own framing is checked byte by byte in the logic tests
    QList<QByteArray> replies;

    bool connectTo(quint32 address)
    {
        socket.connectToHost(QHostAddress(address), 8999);
        return pumpUntil([this] { return socket.state() == QAbstractSocket::ConnectedState; });
    }

    void send(const QByteArray& raw) { socket.write(raw); }
    void request(const QJsonObject& o) { send(SimDspFramer::frame(compact(o))); }

    /// The next whole reply, or nullopt after `ms`.
    std::optional<QJsonObject> next(int ms = 3000)
    {
        if (!pumpUntil([this] { return framer.feed(socket.readAll(), &replies) && !replies.isEmpty(); }, ms))
            return std::nullopt;
        const QByteArray payload = replies.takeFirst();
        EXPECT_EQ(QJsonDocument::fromJson(payload).toJson(QJsonDocument::Compact), payload) << "compact JSON";
        return parse(payload);
    }

    bool closedByPeer(int ms = 3000)
    {
        return pumpUntil([this] { return socket.state() == QAbstractSocket::UnconnectedState; }, ms);
    }
};

struct DspServiceFixture : ::testing::Test
{
    std::unique_ptr<SimNetwork> net;
    quint32 dspIp = 0;
    QString devId;

    void SetUp() override
    {
        SimNetwork::Options o;
        o.port = freePort();
        o.probePort = freePort();
        o.broadcastPort = freePort();
        o.announceMs = 1000;
        net = std::make_unique<SimNetwork>(o);
        // The service port is fixed, so parallel runs must not share addresses.
        const quint32 block = loopbackBlock();
        QString error;
        ASSERT_TRUE(net->build(SimDeviceConfig::generate({block + 21, block + 22, block + 23}), &error));
        ASSERT_TRUE(net->start(&error)) << error.toStdString();
        dspIp = net->device(2).ip();
        devId = net->device(2).devId();
    }

    QJsonObject getConfig() const { return {{"devId", devId}, {"ops", "getConfig"}, {"uiTag", "dspUiTag"}}; }
};

} // namespace

TEST_F(DspServiceFixture, GetConfigOverTcpMatchesTheDevice)
{
    Client c;
    ASSERT_TRUE(c.connectTo(dspIp));
    // The controller's envelope puts devId first with a blank after the comma; any valid JSON will do.
    const QByteArray envelope = "{\"devId\":\"" + devId.toUtf8() + "\", \"ops\":\"getConfig\",\"uiTag\":\"dspUiTag\"}";
    c.send(SimDspFramer::frame(envelope));
    const auto r = c.next();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->value("ops").toString(), "getConfig");
    EXPECT_EQ(r->value("uiTag").toString(), "dspUiTag");
    EXPECT_EQ(r->value("devId").toString(), devId);
    EXPECT_EQ(r->value("result").toString(), "succ");
    EXPECT_EQ(r->value("config").toObject(), SimDspConfig::current(net->device(2)));

    // Devices without a processor have no TCP service.
    QTcpSocket plain;
    plain.connectToHost(QHostAddress(net->device(0).ip()), 8999);
    EXPECT_TRUE(pumpUntil([&] { return plain.state() == QAbstractSocket::UnconnectedState; }));
}

TEST_F(DspServiceFixture, TwoMessagesInOneWriteAndOneSplitOverWrites)
{
    Client c;
    ASSERT_TRUE(c.connectTo(dspIp));
    const QJsonObject version{{"devId", devId}, {"ops", "getVersion"}, {"uiTag", "dspUiTag"}};
    c.send(SimDspFramer::frame(compact(getConfig())) + SimDspFramer::frame(compact(version)));
    const auto first = c.next();
    const auto second = c.next();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->value("ops").toString(), "getConfig");
    EXPECT_EQ(second->value("ops").toString(), "getVersion");

    const QByteArray framed = SimDspFramer::frame(compact(version));
    c.send(framed.left(3));
    c.socket.flush();
    EXPECT_FALSE(c.next(300)) << "no answer before the message is whole";
    c.send(framed.mid(3));
    const auto third = c.next();
    ASSERT_TRUE(third);
    EXPECT_EQ(third->value("ops").toString(), "getVersion");
}

TEST_F(DspServiceFixture, BadLengthDropsOnlyThatClient)
{
    Client good;
    Client bad;
    Client zero;
    ASSERT_TRUE(good.connectTo(dspIp));
    ASSERT_TRUE(bad.connectTo(dspIp));
    ASSERT_TRUE(zero.connectTo(dspIp));
    bad.send(QByteArray("\xff\xff\xff\x7f", 4) + "garbage");
    zero.send(QByteArray(4, '\0') + compact(getConfig()));
    EXPECT_TRUE(bad.closedByPeer());
    EXPECT_TRUE(zero.closedByPeer());

    good.request(getConfig());
    const auto r = good.next();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->value("result").toString(), "succ");
    // A newcomer is served too.
    Client later;
    ASSERT_TRUE(later.connectTo(dspIp));
    later.request(getConfig());
    EXPECT_TRUE(later.next());
}

TEST_F(DspServiceFixture, UdpSetBorderProcIsServedByTheNextTcpGetConfig)
{
    QUdpSocket udp;
    ASSERT_TRUE(udp.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    const QJsonObject change{{"blockFlag", "bf_in_ch_1_3"}, {"nodeId", "0"},    {"obj", QJsonObject{{"limitDb", "-9"}}},
                             {"ops", "setBorderProc"},      {"portIndex", "1"}, {"procIndex", "3"},
                             {"uiTag", "dspUiTag"}};
    udp.writeDatagram(compact(change), QHostAddress(dspIp), 8999);
    ASSERT_TRUE(pumpUntil([&] { return udp.hasPendingDatagrams(); }));
    const QNetworkDatagram d = udp.receiveDatagram();
    EXPECT_EQ(d.senderPort(), 8999);
    const QJsonObject reply = parse(d.data());
    EXPECT_EQ(reply.value("result").toString(), "succ");
    EXPECT_EQ(reply.value("blockFlag").toString(), "bf_in_ch_1_3");
    EXPECT_EQ(reply.value("uiTag").toString(), "dspUiTag");

    Client c;
    ASSERT_TRUE(c.connectTo(dspIp));
    c.request(getConfig());
    const auto r = c.next();
    ASSERT_TRUE(r);
    const QJsonObject block = SimDspConfig::block(r->value("config").toObject(), 0, 1, 3).value_or(QJsonObject());
    EXPECT_EQ(block.value("type").toString(), "6");
    EXPECT_EQ(block.value("obj").toObject().value("limitDb").toString(), "-9");
}

TEST_F(DspServiceFixture, SetConfigRoundTripOverTheWireShowsInTheState)
{
    Client c;
    ASSERT_TRUE(c.connectTo(dspIp));
    QJsonObject config = SimDspConfig::generate(net->device(2).config());
    config.insert("customStr", QStringLiteral("saved from the dialog ✓"));
    c.request({{"devId", devId}, {"ops", "setConfig"}, {"uiTag", "dspUiTag"}, {"config", config}});
    auto r = c.next();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->value("result").toString(), "succ");
    c.request(getConfig());
    r = c.next();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->value("config").toObject(), config);

    SimControl control(*net);
    QJsonObject state = control.handleLine(compact({{"cmd", "state"}, {"devId", devId}}));
    EXPECT_EQ(state.value("dspConfig").toObject().value("saved").toInt(), 1);
    EXPECT_EQ(state.value("dspConfig").toObject().value("sha1"), SimDspConfig::summary(config).value("sha1"));
    EXPECT_TRUE(
        control.handleLine(compact({{"cmd", "state"}, {"devId", net->device(0).devId()}})).value("dspConfig").isNull());
}

TEST_F(DspServiceFixture, ControlStopsAndRestartsTheService)
{
    SimControl control(*net);
    Client before;
    ASSERT_TRUE(before.connectTo(dspIp));

    QJsonObject a = control.handleLine(compact({{"cmd", "dspService"}, {"devId", devId}, {"on", false}}));
    ASSERT_TRUE(a.value("ok").toBool()) << compact(a).toStdString();
    EXPECT_TRUE(before.closedByPeer()) << "open connections are dropped";
    QTcpSocket refused;
    refused.connectToHost(QHostAddress(dspIp), 8999);
    EXPECT_TRUE(pumpUntil([&] { return refused.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_FALSE(control.handleLine(compact({{"cmd", "state"}, {"devId", devId}}))
                     .value("dspConfig")
                     .toObject()
                     .value("serviceOn")
                     .toBool());
    // UDP on 8999 keeps answering: only the TCP service went away.
    QUdpSocket udp;
    ASSERT_TRUE(udp.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    udp.writeDatagram(compact({{"ops", "getCpuUsage"}, {"uiTag", "dspUiTag"}}), QHostAddress(dspIp), 8999);
    EXPECT_TRUE(pumpUntil([&] { return udp.hasPendingDatagrams(); }));

    a = control.handleLine(compact({{"cmd", "dspService"}, {"devId", devId}, {"on", true}}));
    ASSERT_TRUE(a.value("ok").toBool());
    Client after;
    ASSERT_TRUE(after.connectTo(dspIp));
    after.request(getConfig());
    EXPECT_TRUE(after.next());

    for (const QJsonObject& bad : {QJsonObject{{"cmd", "dspService"}, {"devId", net->device(0).devId()}, {"on", false}},
                                   QJsonObject{{"cmd", "dspService"}, {"devId", devId}, {"on", "off"}},
                                   QJsonObject{{"cmd", "dspService"}, {"devId", "nobody"}, {"on", true}}})
        EXPECT_FALSE(control.handleLine(compact(bad)).value("ok").toBool()) << compact(bad).toStdString();
}
