// Devices on real sockets on the loopback interface, talked to by plain sockets.

#include "SapAnnouncer.h"
#include "SimControl.h"
#include "SimSocketUtil.h"
#include "SimTestUtil.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>

using namespace simtest;

namespace {

[[maybe_unused]] ::testing::Environment* const g_app = ::testing::AddGlobalTestEnvironment(new QtApp);

struct SocketFixture : ::testing::Test
{
    std::unique_ptr<SimNetwork> net;
    QUdpSocket client;

    void SetUp() override
    {
        SimNetwork::Options o;
        o.port = freePort();
        o.pageSize = 3;
        o.announceMs = o.sapMs = o.clockMs = 100;
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

    bool control(const QJsonObject& line) { return SimControl(*net).handleLine(compact(line)).value("ok").toBool(); }
};

/// Hears the device group and the SAP group on the loopback interface. Other programs on this host may use the
/// same groups, so every message is kept with its sender.
struct McastListener
{
    QUdpSocket dev;
    QUdpSocket sap;
    QVector<QPair<QHostAddress, QJsonObject>> messages;
    QVector<QPair<QHostAddress, QByteArray>> sapPackets;

    bool open(const QNetworkInterface& lo)
    {
        const auto mode = QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint;
        return dev.bind(QHostAddress::AnyIPv4, SimNetwork::kDevicePort, mode) &&
               sap.bind(QHostAddress::AnyIPv4, SimNetwork::kSapPort, mode) &&
               dev.joinMulticastGroup(QHostAddress(SimNetwork::kDeviceGroup), lo) &&
               sap.joinMulticastGroup(QHostAddress(SimNetwork::kSapGroup), lo);
    }

    void drain()
    {
        while (dev.hasPendingDatagrams()) {
            const QNetworkDatagram d = dev.receiveDatagram();
            messages.append({d.senderAddress(), parse(d.data())});
        }
        while (sap.hasPendingDatagrams()) {
            const QNetworkDatagram d = sap.receiveDatagram();
            sapPackets.append({d.senderAddress(), d.data()});
        }
    }

    bool has(quint32 from, const char* key, const char* value) const
    {
        for (const auto& m : messages)
            if (m.first == QHostAddress(from) && m.second.value(QLatin1String(key)).toString() == QLatin1String(value))
                return true;
        return false;
    }

    /// SAP packets from `from` whose first byte is `kind` (0x20 announcement, 0x24 deletion) and that hold `text`.
    bool hasSap(quint32 from, quint8 kind, const QByteArray& text = {}) const
    {
        for (const auto& p : sapPackets)
            if (p.first == QHostAddress(from) && quint8(p.second.at(0)) == kind && p.second.contains(text))
                return true;
        return false;
    }

    bool waitFor(const std::function<bool()>& done)
    {
        return pumpUntil([&] {
            drain();
            return done();
        });
    }

    /// Drops what is queued or still on its way, then listens afresh.
    void restart()
    {
        pumpFor(300);
        drain();
        messages.clear();
        sapPackets.clear();
    }
};

} // namespace

TEST_F(SocketFixture, DeviceAnswersFromItsOwnAddressAndIgnoresGarbage)
{
    auto reply = ask(1, R"({"ops":"getAllRxCh","idStart":"0"})");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->senderAddress(), QHostAddress(net->device(1).ip()));
    EXPECT_EQ(reply->senderPort(), net->options().port);
    EXPECT_EQ(reply->data(), compact(net->device(1).pageReply(SimTable::RxCh, 0, 3)));

    EXPECT_FALSE(ask(0, "garbage", 300));
    EXPECT_TRUE(ask(0, R"({"ops":"getAllRxCh","idStart":"0"})")) << "and still answers after it";
}

TEST_F(SocketFixture, MulticastsReachAListenerOnTheSameHost)
{
    const QNetworkInterface lo = QNetworkInterface::interfaceFromName(QStringLiteral("lo"));
    if (!lo.isValid())
        GTEST_SKIP() << "no loopback interface named lo";
    McastListener l;
    ASSERT_TRUE(l.open(lo));
    const quint32 first = net->device(0).ip();
    const quint32 second = net->device(1).ip();
    ASSERT_TRUE(l.waitFor([&] {
        return l.has(first, "ops", "iAmVeranto") && l.has(second, "event", "masterOffset") &&
               l.has(second, "event", "adjustFreq") && l.hasSap(first, 0x20);
    })) << "announcement, clock events or SAP missing";
    EXPECT_FALSE(l.has(first, "event", "masterOffset")) << "the grandmaster reports no servo state";
    for (const auto& m : l.messages)
        if (m.first == QHostAddress(first) && m.second.value("ops").toString() == QLatin1String("iAmVeranto")) {
            EXPECT_EQ(m.second, net->device(0).announcement());
        }
    for (const auto& p : l.sapPackets)
        if (p.first == QHostAddress(first)) {
            EXPECT_EQ(p.second, SapAnnouncer::packetsFor(net->device(0)).first());
        }

    // A route change is told by both devices it touches.
    l.restart();
    ASSERT_TRUE(control({{"cmd", "route"},
                         {"devId", net->device(1).devId()},
                         {"rxCh", 5},
                         {"srcDevId", net->device(0).devId()},
                         {"srcCh", 5}}));
    EXPECT_TRUE(l.waitFor([&] { return l.has(first, "ops", "updateRoute") && l.has(second, "ops", "updateRoute"); }));
    EXPECT_FALSE(l.has(second, "ops", "updateActive")) << "the channel joined an existing stream";

    // A multicast stream created over the wire is announced; removed, its deletion is sent and announcing stops.
    l.restart();
    auto reply = ask(1, R"({"ops":"setMcastTx","name":"Wire","srcChIdArr":["1"],)"
                        R"("sdp":{"dstIp":"239.77.1.1","dstPort":"5004"}})");
    ASSERT_TRUE(reply);
    EXPECT_EQ(parse(reply->data()).value("result").toString(), "succ");
    EXPECT_TRUE(l.waitFor([&] { return l.has(second, "ops", "updateRoute") && l.hasSap(second, 0x20, "s=Wire\r\n"); }))
        << "updateRoute or SAP announcement missing";

    l.restart();
    reply = ask(1, compact(req("clrMcastTx", {{"dstIp", QString::number(ip("239.77.1.1"))}, {"name", "Wire"}})));
    ASSERT_TRUE(reply);
    EXPECT_EQ(parse(reply->data()).value("result").toString(), "succ");
    EXPECT_TRUE(l.waitFor([&] { return l.has(second, "ops", "updateRoute") && l.hasSap(second, 0x24); }))
        << "updateRoute or SAP deletion missing";
    l.restart();
    pumpFor(300);
    l.drain();
    EXPECT_FALSE(l.hasSap(second, 0x20, "s=Wire\r\n")) << "no longer announced";
    const auto deletions = [&] {
        int n = 0;
        for (const auto& p : l.sapPackets)
            n += p.first == QHostAddress(second) && quint8(p.second.at(0)) == 0x24 ? 1 : 0;
        return n;
    };
    pumpFor(1300);
    l.drain();
    EXPECT_EQ(deletions(), 2) << "the deletion is sent twice more, in case the first was lost";

    // Created again at once, the group's earlier deletion is not repeated over the new stream.
    const QByteArray create = R"({"ops":"setMcastTx","name":"Wire","srcChIdArr":["1"],)"
                              R"("sdp":{"dstIp":"239.77.1.1","dstPort":"5004"}})";
    ASSERT_TRUE(ask(1, create));
    l.restart();
    ASSERT_TRUE(ask(1, compact(req("clrMcastTx", {{"dstIp", QString::number(ip("239.77.1.1"))}, {"name", "Wire"}}))));
    ASSERT_TRUE(ask(1, create));
    pumpFor(1800);
    l.drain();
    EXPECT_EQ(deletions(), 1);

    // Silenced devices stop announcing.
    ASSERT_TRUE(control({{"cmd", "silence"}, {"devId", net->device(0).devId()}}));
    l.restart();
    pumpFor(400);
    l.drain();
    EXPECT_FALSE(l.has(first, "ops", "iAmVeranto"));
    EXPECT_FALSE(l.hasSap(first, 0x20));
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
                {9994, R"({"ops":"getIp"})", "ip", nullptr},
                {12000, R"({"ops":"getOemData","name":"cpuKHz"})", "val", "0"},
                {12000, R"({"ops":"resetFacotry"})", "result", "succ"}};
    for (const auto& row : rows) {
        auto reply = askAt(dev, row.port, row.request);
        ASSERT_TRUE(reply) << "no answer on " << row.port << " to " << row.request;
        EXPECT_EQ(reply->senderAddress(), dev);
        EXPECT_EQ(reply->senderPort(), row.port);
        const QJsonObject o = parse(reply->data());
        EXPECT_EQ(o.value("ops"), parse(row.request).value("ops"));
        EXPECT_EQ(o.value("devId").toString(), net->device(1).devId());
        const QString want = row.value ? QLatin1String(row.value) : dev.toString();
        EXPECT_EQ(o.value(QLatin1String(row.key)).toString(), want) << row.request;
    }
    // A command on a port that does not serve it goes unanswered.
    EXPECT_FALSE(ask(1, R"({"ops":"getDebugInfo"})", 300));
    EXPECT_FALSE(askAt(dev, 9994, R"({"ops":"getLock"})", 300));
}

TEST_F(SocketFixture, FactoryServiceTakesTheSshStartAsText)
{
    const QHostAddress dev(net->device(0).ip());
    auto reply = askAt(dev, SimNetwork::kFactoryPort, "hostname=" + dev.toString().toUtf8() + " startSsh");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->data(), "startSsh ok");
    EXPECT_EQ(reply->senderAddress(), dev);
    EXPECT_EQ(reply->senderPort(), SimNetwork::kFactoryPort);
    EXPECT_FALSE(askAt(dev, SimNetwork::kFactoryPort, "startSsh please", 300)) << "other text goes unanswered";
    // Neither device is an amplifier: the second module's port keeps quiet.
    EXPECT_FALSE(askAt(dev, SimNetwork::kAmpModule2Port, R"({"ops":"getInfo"})", 300));
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
    EXPECT_EQ(reply->data(), mrp.probeAnswer());
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
    QJsonObject setIp = req("setIp", {{"devId", "MD-NOBODY"},
                                      {"fixedIp", "1"},
                                      {"ip", SimDeviceConfig::ipText(newIp) + "/8"},
                                      {"gw", "127.0.0.1"},
                                      {"dns", "127.0.0.53"}});
    EXPECT_FALSE(askAt(broadcast, net->options().broadcastPort, compact(setIp), 300)) << "no device by that name";

    setIp.insert("devId", devId);
    auto reply = askAt(broadcast, net->options().broadcastPort, compact(setIp));
    ASSERT_TRUE(reply) << "no answer to the broadcast";
    EXPECT_EQ(reply->senderAddress(), QHostAddress(oldIp)) << "answered from the device's own address";
    EXPECT_EQ(reply->senderPort(), SimNetwork::kSettingsPort);
    EXPECT_EQ(parse(reply->data()).value("result").toString(), "succ");
    EXPECT_EQ(net->device(0).state().requests.value("setIp"), 0) << "the other device never saw it";

    ASSERT_TRUE(pumpUntil([&] { return net->device(1).ip() == newIp; }));
    auto version = askAt(QHostAddress(newIp), net->options().port, R"({"ops":"getVersion"})");
    ASSERT_TRUE(version) << "the moved device answers at its new address";
    EXPECT_EQ(version->senderAddress(), QHostAddress(newIp));
    EXPECT_FALSE(askAt(QHostAddress(oldIp), net->options().port, R"({"ops":"getVersion"})", 300));
}

TEST_F(SocketFixture, RebootSilencesTheDeviceForTheRebootTime)
{
    const QHostAddress device(net->device(0).ip());
    ASSERT_TRUE(askAt(device, SimNetwork::kSettingsPort, R"({"ops":"setSampleRate","val":"96000"})"));
    auto reply = askAt(device, SimNetwork::kSettingsPort, R"({"ops":"reboot"})");
    ASSERT_TRUE(reply);
    EXPECT_EQ(parse(reply->data()).value("result").toString(), "succ");
    EXPECT_FALSE(askAt(device, net->options().port, R"({"ops":"getVersion"})", 100)) << "down while rebooting";
    // It comes back by itself, without a request to wake it.
    EXPECT_TRUE(pumpUntil([this] { return net->device(0).state().rebootUntilMs < 0; }, 2000));
    EXPECT_EQ(net->device(0).config().sampleRate, 96000);
    EXPECT_TRUE(askAt(device, net->options().port, R"({"ops":"getVersion"})"));
}
