// Devices on real sockets on the loopback interface, talked to by plain sockets.

#include "SapAnnouncer.h"
#include "SimControl.h"
#include "SimTestUtil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QUdpSocket>

using namespace simtest;

namespace {

class QtApp : public ::testing::Environment
{
public:
    void SetUp() override { m_app = std::make_unique<QCoreApplication>(m_argc, m_argv); }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[8] = "simtest";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QCoreApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const g_app = ::testing::AddGlobalTestEnvironment(new QtApp);

/// A loopback block of our own: tests running in parallel must not hear each other's devices.
quint32 loopbackBlock()
{
    QRandomGenerator* rng = QRandomGenerator::system();
    return (127u << 24) | (quint32(rng->bounded(100, 250)) << 16) | (quint32(rng->bounded(0, 256)) << 8);
}

/// A port that is free on the loopback addresses right now.
quint16 freePort()
{
    QUdpSocket s;
    EXPECT_TRUE(s.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    return s.localPort();
}

/// Runs the event loop until `done` or the time is up.
template <typename F> bool pumpUntil(F done, int ms = 3000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

struct SocketFixture : ::testing::Test
{
    std::unique_ptr<SimNetwork> net;
    QUdpSocket client;

    void SetUp() override
    {
        SimNetwork::Options o;
        o.port = freePort();
        o.pageSize = 3;
        o.announceMs = 100;
        o.sapMs = 100;
        o.clockMs = 100;
        o.probePort = freePort();
        o.broadcastPort = freePort();
        o.rebootMs = 300;
        net = std::make_unique<SimNetwork>(o);
        QString error;
        const quint32 block = loopbackBlock();
        ASSERT_TRUE(net->build(SimDeviceConfig::generate({block + 11, block + 12}), &error));
        ASSERT_TRUE(net->start(&error)) << error.toStdString();
        ASSERT_TRUE(client.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    }

    /// Sends one request to device `index` and waits for one reply.
    std::optional<QNetworkDatagram> ask(int index, const QByteArray& request, int ms = 2000)
    {
        return askAt(QHostAddress(net->device(index).ip()), net->device(index).port(), request, ms);
    }

    std::optional<QNetworkDatagram> askAt(const QHostAddress& to, quint16 port, const QByteArray& request,
                                          int ms = 2000)
    {
        client.writeDatagram(request, to, port);
        if (!pumpUntil([this] { return client.hasPendingDatagrams(); }, ms))
            return std::nullopt;
        return client.receiveDatagram();
    }
};

} // namespace

TEST_F(SocketFixture, DeviceAnswersTableRequestsFromItsOwnAddress)
{
    auto reply = ask(1, R"({"ops":"getAllRxCh","idStart":"0"})");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->senderAddress(), QHostAddress(net->device(1).ip()));
    EXPECT_EQ(reply->senderPort(), net->options().port);
    EXPECT_EQ(reply->data(), compact(net->device(1).pageReply(SimTable::RxCh, 0, 3)));
    const QJsonObject page = QJsonDocument::fromJson(reply->data()).object();
    EXPECT_EQ(page.value("idNext").toString(), QStringLiteral("3"));
    EXPECT_EQ(page.value("arr").toArray().size(), 3);

    // Walk all pages the way a controller does.
    int start = 0;
    int entries = 0;
    while (start < net->device(1).config().chNumRx) {
        auto r = ask(1, compact({{"ops", "getAllRxCh"}, {"idStart", QString::number(start)}}));
        ASSERT_TRUE(r) << "no reply for idStart " << start;
        const QJsonObject p = QJsonDocument::fromJson(r->data()).object();
        entries += p.value("arr").toArray().size();
        start = p.value("idNext").toString().toInt();
    }
    EXPECT_EQ(entries, 4);
}

TEST_F(SocketFixture, SilencedDeviceDoesNotAnswerAndGarbageIsIgnored)
{
    EXPECT_FALSE(ask(0, "garbage", 300));
    EXPECT_FALSE(ask(0, R"({"ops":"getAllRxCh","idStart":"999"})", 300));
    SimControl control(*net);
    const QByteArray devId = net->device(0).devId().toUtf8();
    ASSERT_TRUE(control.handleLine(R"({"cmd":"silence","devId":")" + devId + "\"}").value("ok").toBool());
    EXPECT_FALSE(ask(0, R"({"ops":"getAllRxCh","idStart":"0"})", 300));
    ASSERT_TRUE(control.handleLine(R"({"cmd":"resume","devId":")" + devId + "\"}").value("ok").toBool());
    EXPECT_TRUE(ask(0, R"({"ops":"getAllRxCh","idStart":"0"})"));
}

TEST_F(SocketFixture, MulticastsReachAListenerOnTheSameHost)
{
    const QNetworkInterface lo = QNetworkInterface::interfaceFromName(QStringLiteral("lo"));
    if (!lo.isValid())
        GTEST_SKIP() << "no loopback interface named lo";
    QUdpSocket dev;
    QUdpSocket sap;
    ASSERT_TRUE(dev.bind(QHostAddress::AnyIPv4, SimNetwork::kDevicePort,
                         QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    ASSERT_TRUE(
        sap.bind(QHostAddress::AnyIPv4, SimNetwork::kSapPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    ASSERT_TRUE(dev.joinMulticastGroup(QHostAddress(SimNetwork::kDeviceGroup), lo));
    ASSERT_TRUE(sap.joinMulticastGroup(QHostAddress(SimNetwork::kSapGroup), lo));

    // Other programs on this host may use the same groups: keep only what our devices send.
    const QHostAddress first(net->device(0).ip());
    const QHostAddress second(net->device(1).ip());
    QVector<QJsonObject> fromFirst;
    QVector<QJsonObject> fromSecond;
    QVector<QByteArray> sapPackets;
    auto drain = [&] {
        while (dev.hasPendingDatagrams()) {
            const QNetworkDatagram d = dev.receiveDatagram();
            if (d.senderAddress() == first)
                fromFirst.append(QJsonDocument::fromJson(d.data()).object());
            else if (d.senderAddress() == second)
                fromSecond.append(QJsonDocument::fromJson(d.data()).object());
        }
        while (sap.hasPendingDatagrams()) {
            const QNetworkDatagram d = sap.receiveDatagram();
            if (d.senderAddress() == first)
                sapPackets.append(d.data());
        }
    };
    auto has = [](const QVector<QJsonObject>& v, const char* key, const char* value) {
        for (const QJsonObject& o : v)
            if (o.value(QLatin1String(key)).toString() == QLatin1String(value))
                return true;
        return false;
    };
    ASSERT_TRUE(pumpUntil([&] {
        drain();
        return has(fromFirst, "ops", "iAmVeranto") && has(fromSecond, "event", "masterOffset") &&
               has(fromSecond, "event", "adjustFreq") && !sapPackets.isEmpty();
    })) << "announcement, clock events or SAP missing";
    EXPECT_FALSE(has(fromFirst, "event", "masterOffset")) << "the grandmaster reports no servo state";
    for (const QJsonObject& o : fromFirst)
        if (o.value("ops").toString() == QLatin1String("iAmVeranto")) {
            EXPECT_EQ(o, net->device(0).announcement());
        }
    EXPECT_EQ(sapPackets.first(), SapAnnouncer::packetsFor(net->device(0)).first());

    // A route change is told by both devices it touches.
    fromFirst.clear();
    fromSecond.clear();
    SimControl control(*net);
    ASSERT_TRUE(control
                    .handleLine(compact({{"cmd", "route"},
                                         {"devId", net->device(1).devId()},
                                         {"rxCh", 5},
                                         {"srcDevId", net->device(0).devId()},
                                         {"srcCh", 5}}))
                    .value("ok")
                    .toBool());
    EXPECT_TRUE(pumpUntil([&] {
        drain();
        return has(fromFirst, "ops", "updateRoute") && has(fromSecond, "ops", "updateRoute");
    }));
    EXPECT_FALSE(has(fromSecond, "ops", "updateActive")) << "the channel joined an existing stream";

    // Silenced devices stop announcing.
    ASSERT_TRUE(
        control.handleLine(compact({{"cmd", "silence"}, {"devId", net->device(0).devId()}})).value("ok").toBool());
    pumpUntil([] { return false; }, 150);
    drain();
    fromFirst.clear();
    pumpUntil([] { return false; }, 400);
    drain();
    EXPECT_TRUE(fromFirst.isEmpty());
}

TEST_F(SocketFixture, ServicePortsAnswerFromThePortAsked)
{
    const QHostAddress dev(net->device(1).ip());
    const struct
    {
        quint16 port;
        const char* request;
        const char* key;
        const char* value;
    } rows[] = {{9995, R"({"ops":"getLock"})", "val", "0x0"},
                {8999, R"({"ops":"getLock","uiTag":"dspUiTag"})", "uiTag", "dspUiTag"},
                {9994, R"({"ops":"setPassword","old":"","new":"","isByself":"isByself"})", "result", "succ"},
                {9994, R"({"ops":"getDebugInfo"})", "devName", "SIM-02"},
                {9994, R"({"ops":"getIp"})", "ip", nullptr}};
    for (const auto& row : rows) {
        auto reply = askAt(dev, row.port, row.request);
        ASSERT_TRUE(reply) << "no answer on " << row.port << " to " << row.request;
        EXPECT_EQ(reply->senderAddress(), dev);
        EXPECT_EQ(reply->senderPort(), row.port);
        const QJsonObject o = QJsonDocument::fromJson(reply->data()).object();
        EXPECT_EQ(o.value("ops"), QJsonDocument::fromJson(row.request).object().value("ops"));
        EXPECT_EQ(o.value("devId").toString(), net->device(1).devId());
        const QString want = row.value ? QLatin1String(row.value) : dev.toString();
        EXPECT_EQ(o.value(QLatin1String(row.key)).toString(), want) << row.request;
    }
    // A command on a port that does not serve it goes unanswered; on its own port it is answered.
    EXPECT_FALSE(ask(1, R"({"ops":"getDebugInfo"})", 300));
    EXPECT_FALSE(askAt(dev, 9994, R"({"ops":"getLock"})", 300));
    EXPECT_TRUE(ask(1, R"({"ops":"getCustomStr"})"));
}

TEST_F(SocketFixture, SecondaryUnitAnswersTheProbe)
{
    const SimDevice& mrp = net->device(1);
    ASSERT_FALSE(mrp.secondaryHostName().isEmpty()) << "the generated network should hold a secondary unit";
    // All of 127/8 is local, so the unit's address exists and the answer leaves from it.
    EXPECT_TRUE(net->answersFromSecondary(1));
    EXPECT_FALSE(net->answersFromSecondary(0));
    const QHostAddress listener(QStringLiteral("127.0.0.1"));
    auto reply = askAt(listener, net->options().probePort, "AreYouMeridane?");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->senderAddress(), QHostAddress(mrp.config().secondaryIp));
    const QString text = QString::fromUtf8(reply->data());
    EXPECT_TRUE(text.contains(QStringLiteral("iAmMeridane!")));
    EXPECT_TRUE(text.split(QLatin1Char('\n')).contains(QStringLiteral("hostname=S") + mrp.devId()));
    EXPECT_TRUE(text.split(QLatin1Char('\n'))
                    .contains(QStringLiteral("ip=") + SimDeviceConfig::ipText(mrp.config().secondaryIp)));
    EXPECT_FALSE(pumpUntil([this] { return client.hasPendingDatagrams(); }, 200)) << "one unit, one answer";

    EXPECT_FALSE(askAt(listener, net->options().probePort, "AreYouSomeoneElse?", 300));
    net->device(1).setSilenced(true);
    EXPECT_FALSE(askAt(listener, net->options().probePort, "AreYouMeridane?", 300)) << "a silent device hides its unit";
}

TEST(SimSocket, BindFailureIsReported)
{
    SimNetwork::Options o;
    o.port = freePort();
    QUdpSocket blocker;
    const quint32 address = loopbackBlock() + 21;
    ASSERT_TRUE(blocker.bind(QHostAddress(address), o.port));
    SimNetwork net(o);
    QString error;
    ASSERT_TRUE(net.build(SimDeviceConfig::generate({address}), &error));
    EXPECT_FALSE(net.start(&error));
    EXPECT_TRUE(error.contains(SimDeviceConfig::ipText(address))) << error.toStdString();
    EXPECT_FALSE(net.isStarted());
}

TEST_F(SocketFixture, SerialTunnelEchoesRawBytesFromTheDevice)
{
    const QHostAddress device(net->device(0).ip());
    const QByteArray bytes("AT+VER?\x01\xff", 9);
    auto reply = askAt(device, SimNetwork::kTunnelPort, bytes);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->data(), bytes + "\r\nOK\r\n");
    EXPECT_EQ(reply->senderAddress(), device);
    EXPECT_EQ(reply->senderPort(), SimNetwork::kTunnelPort);
    EXPECT_EQ(net->device(0).state().tunnelDatagrams, 1);
    EXPECT_TRUE(net->device(0).state().requests.isEmpty()) << "tunnel bytes are no request";

    // An overlong datagram comes back cut to one frame, still ending in the mark.
    auto big = askAt(device, SimNetwork::kTunnelPort, QByteArray(4000, 'z'));
    ASSERT_TRUE(big);
    EXPECT_EQ(big->data().size(), kSimMaxDatagramBytes);
    EXPECT_TRUE(big->data().endsWith("\r\nOK\r\n"));

    net->device(0).setSilenced(true);
    EXPECT_FALSE(askAt(device, SimNetwork::kTunnelPort, "AT", 300)) << "a silent device echoes nothing";
}

TEST_F(SocketFixture, BroadcastSetIpMovesOnlyTheNamedDevice)
{
    const quint32 oldIp = net->device(1).ip();
    const quint32 newIp = oldIp + 100;
    const QString devId = net->device(1).devId();
    // The loopback network's own broadcast address: a real broadcast that never leaves the host.
    const QHostAddress broadcast(QStringLiteral("127.255.255.255"));
    const QJsonObject setIp{{"ops", "setIp"},    {"devId", devId},
                            {"fixedIp", "1"},    {"ip", SimDeviceConfig::ipText(newIp) + "/8"},
                            {"gw", "127.0.0.1"}, {"dns", "127.0.0.53"}};

    QJsonObject other = setIp;
    other.insert("devId", "MD-NOBODY");
    EXPECT_FALSE(askAt(broadcast, net->options().broadcastPort, compact(other), 300)) << "no device by that name";

    auto reply = askAt(broadcast, net->options().broadcastPort, compact(setIp));
    ASSERT_TRUE(reply) << "no answer to the broadcast";
    EXPECT_EQ(reply->senderAddress(), QHostAddress(oldIp)) << "answered from the device's own address";
    EXPECT_EQ(reply->senderPort(), SimNetwork::kSettingsPort);
    const QJsonObject answer = QJsonDocument::fromJson(reply->data()).object();
    EXPECT_EQ(answer.value("result").toString(), "succ");
    EXPECT_EQ(answer.value("devId").toString(), devId);
    EXPECT_EQ(net->device(0).state().requests.value("setIp"), 0) << "the other device never saw it";

    ASSERT_TRUE(pumpUntil([&] { return net->device(1).ip() == newIp; }));
    auto version = askAt(QHostAddress(newIp), net->options().port, R"({"ops":"getVersion"})");
    ASSERT_TRUE(version) << "the moved device answers at its new address";
    EXPECT_EQ(version->senderAddress(), QHostAddress(newIp));
    EXPECT_FALSE(askAt(QHostAddress(oldIp), net->options().port, R"({"ops":"getVersion"})", 300));
    auto ipReply = askAt(QHostAddress(newIp), SimNetwork::kSettingsPort, R"({"ops":"getIp"})");
    ASSERT_TRUE(ipReply);
    EXPECT_EQ(QJsonDocument::fromJson(ipReply->data()).object().value("dns").toString(), "127.0.0.53");
}

TEST_F(SocketFixture, RebootSilencesTheDeviceForTheRebootTime)
{
    const QHostAddress device(net->device(0).ip());
    ASSERT_TRUE(askAt(device, SimNetwork::kSettingsPort, R"({"ops":"setSampleRate","val":"96000"})"));
    auto reply = askAt(device, SimNetwork::kSettingsPort, R"({"ops":"reboot"})");
    ASSERT_TRUE(reply);
    EXPECT_EQ(QJsonDocument::fromJson(reply->data()).object().value("result").toString(), "succ");
    EXPECT_FALSE(askAt(device, net->options().port, R"({"ops":"getVersion"})", 100)) << "down while rebooting";
    // It comes back by itself, without a request to wake it.
    EXPECT_TRUE(pumpUntil([this] { return net->device(0).state().rebootUntilMs < 0; }, 2000));
    EXPECT_EQ(net->device(0).config().sampleRate, 96000);
    EXPECT_TRUE(askAt(device, net->options().port, R"({"ops":"getVersion"})"));
}

TEST_F(SocketFixture, MulticastStreamCreatedAndRemovedOverTheWire)
{
    const QNetworkInterface lo = QNetworkInterface::interfaceFromName(QStringLiteral("lo"));
    if (!lo.isValid())
        GTEST_SKIP() << "no loopback interface named lo";
    QUdpSocket dev;
    QUdpSocket sap;
    ASSERT_TRUE(dev.bind(QHostAddress::AnyIPv4, SimNetwork::kDevicePort,
                         QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    ASSERT_TRUE(
        sap.bind(QHostAddress::AnyIPv4, SimNetwork::kSapPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    ASSERT_TRUE(dev.joinMulticastGroup(QHostAddress(SimNetwork::kDeviceGroup), lo));
    ASSERT_TRUE(sap.joinMulticastGroup(QHostAddress(SimNetwork::kSapGroup), lo));
    const QHostAddress sender(net->device(1).ip());
    int updates = 0;
    QVector<QByteArray> packets;
    auto drain = [&] {
        while (dev.hasPendingDatagrams()) {
            const QNetworkDatagram d = dev.receiveDatagram();
            if (d.senderAddress() == sender &&
                QJsonDocument::fromJson(d.data()).object().value("ops").toString() == QLatin1String("updateRoute"))
                ++updates;
        }
        while (sap.hasPendingDatagrams()) {
            const QNetworkDatagram d = sap.receiveDatagram();
            if (d.senderAddress() == sender)
                packets.append(d.data());
        }
    };
    auto announces = [&packets](const char* name) {
        for (const QByteArray& p : packets)
            if (quint8(p.at(0)) == 0x20 && p.contains(QByteArray("s=") + name + "\r\n"))
                return true;
        return false;
    };
    const QByteArray create =
        R"({"ops":"setMcastTx","name":"Wire","srcChIdArr":["1"],"sdp":{"dstIp":"239.77.1.1","dstPort":"5004"}})";
    auto reply = ask(1, create);
    ASSERT_TRUE(reply);
    EXPECT_EQ(QJsonDocument::fromJson(reply->data()).object().value("result").toString(), "succ");
    EXPECT_TRUE(pumpUntil([&] {
        drain();
        return updates > 0 && announces("Wire");
    })) << "updateRoute or SAP announcement missing";

    updates = 0;
    packets.clear();
    reply = ask(1, compact({{"ops", "clrMcastTx"}, {"dstIp", QString::number(ip("239.77.1.1"))}, {"name", "Wire"}}));
    ASSERT_TRUE(reply);
    EXPECT_EQ(QJsonDocument::fromJson(reply->data()).object().value("result").toString(), "succ");
    auto deleted = [&packets] {
        for (const QByteArray& p : packets)
            if (quint8(p.at(0)) == 0x24)
                return true;
        return false;
    };
    EXPECT_TRUE(pumpUntil([&] {
        drain();
        return updates > 0 && deleted();
    })) << "updateRoute or SAP deletion missing";
    pumpUntil([] { return false; }, 300);
    drain();
    packets.clear();
    pumpUntil([] { return false; }, 300);
    drain();
    EXPECT_FALSE(announces("Wire")) << "no longer announced";
}
